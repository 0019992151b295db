#include "utf8_build.h"

#include "manifest_code_page.h"

bool BuiltForUtf8()
{
    static const bool utf8 = [] {
        HMODULE self = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
        const char* manifest = found ? static_cast<const char*>(LockResource(LoadResource(self, found))) : nullptr;
        return manifest && DeclaresUtf8CodePage(std::string_view(manifest, SizeofResource(self, found)));
    }();
    return utf8;
}

bool Utf8Misread()
{
    return BuiltForUtf8() && GetACP() != CP_UTF8;
}

bool HasNonAscii(const char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    return false;
}

bool FileHasNonAscii(LPCSTR path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[0x10000];
    DWORD got = 0;
    bool found = false;
    while (!found && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) found = HasNonAscii(buffer, got);
    CloseHandle(file);
    return found;
}

std::string Utf8ToAnsi(const std::string& text)
{
    if (text.empty()) return text;
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()))));
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0], bytes, nullptr, nullptr);
    return ansi;
}
