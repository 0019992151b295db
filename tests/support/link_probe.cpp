#include "link_probe.h"

#include <shlobj.h>

#include <cstring>

#include "test_support.h"

namespace {

// The shell link header: HeaderSize 0x4C at 0, then at fixed offsets IconIndex (56, 32-bit),
// ShowCommand (60, 32-bit) and HotKey (64, 16-bit).
constexpr size_t kHeaderSize = 0x4C;

template <typename T>
T At(const std::string& bytes, size_t offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

bool ReadHeader(const std::string& path, LinkContents& link)
{
    bool ok = false;
    std::string bytes = ReadWholeFile(path, &ok);
    if (!ok || bytes.size() < kHeaderSize || At<DWORD>(bytes, 0) != kHeaderSize)
        return false;
    link.iconIndex = At<INT32>(bytes, 56);
    link.showCmd = At<INT32>(bytes, 60);
    link.hotkey = At<WORD>(bytes, 64);
    return true;
}

bool LoadThroughShell(const std::string& path, LinkContents& link)
{
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    IPersistFile* file = nullptr;
    bool loaded = false;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH * 2];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2);
        if (SUCCEEDED(file->Load(widePath, STGM_READ))) {
            char text[1024];
            int index = 0;
            text[0] = 0;
            shellLink->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            link.target = text;
            text[0] = 0;
            shellLink->GetArguments(text, sizeof text);
            link.arguments = text;
            text[0] = 0;
            shellLink->GetWorkingDirectory(text, sizeof text);
            link.workingDir = text;
            text[0] = 0;
            shellLink->GetDescription(text, sizeof text);
            link.description = text;
            text[0] = 0;
            shellLink->GetIconLocation(text, sizeof text, &index);
            link.iconPath = text;
            loaded = true;
        }
        file->Release();
    }
    shellLink->Release();
    return loaded;
}

}  // namespace

LinkContents ReadLink(const std::string& path)
{
    LinkContents link;
    bool comReady = SUCCEEDED(CoInitialize(nullptr));
    link.loaded = LoadThroughShell(path, link) && ReadHeader(path, link);
    if (comReady)
        CoUninitialize();
    return link;
}

bool operator==(const LinkContents& a, const LinkContents& b)
{
    return a.loaded == b.loaded && a.target == b.target && a.arguments == b.arguments &&
           a.workingDir == b.workingDir && a.description == b.description &&
           a.iconPath == b.iconPath && a.iconIndex == b.iconIndex && a.showCmd == b.showCmd &&
           a.hotkey == b.hotkey;
}

std::ostream& operator<<(std::ostream& out, const LinkContents& link)
{
    return out << "{loaded " << link.loaded << ", target '" << link.target << "', arguments '"
               << link.arguments << "', working dir '" << link.workingDir << "', description '"
               << link.description << "', icon '" << link.iconPath << "' #" << link.iconIndex
               << ", show " << link.showCmd << ", hot key " << link.hotkey << "}";
}

LinkContents CreatedLink(const std::string& target, const std::string& arguments,
                         const std::string& workingDir, const std::string& description)
{
    return LinkContents{true,   target, arguments,     workingDir, description,
                        target, 0,      SW_SHOWNORMAL, 0};
}
