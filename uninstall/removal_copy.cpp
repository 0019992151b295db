#include "removal_copy.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kSwitch[] = "/remove";
constexpr char kPrefix[] = "~uninstall-";
constexpr char kSuffix[] = ".exe";
constexpr int kHexDigits = 16;
// Long enough for any original to have ended: it ends right after starting the copy.
constexpr DWORD kOriginalTimeoutMs = 30000;

std::string TempFolder()
{
    char path[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, path);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(path, n);  // ends in a backslash
}

std::string ModulePath()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(path, n);
}

}  // namespace

bool IsRemovalCopyName(const char* name)
{
    const std::size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (std::strlen(name) != prefix + kHexDigits + suffix) return false;
    if (_strnicmp(name, kPrefix, prefix) != 0 || _stricmp(name + prefix + kHexDigits, kSuffix) != 0) return false;
    for (int i = 0; i < kHexDigits; ++i)
        if (!std::strchr("0123456789abcdefABCDEF", name[prefix + i])) return false;
    return true;
}

bool ParseCopyArguments(int argc, char** argv, CopyArguments& args)
{
    if (argc != 4 || std::strcmp(argv[1], kSwitch) != 0) return false;
    char* end = nullptr;
    unsigned long long handle = std::strtoull(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || handle == 0) return false;
    args.hOriginal = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(handle));
    args.original = argv[3];
    return !args.original.empty();
}

bool StartRemovalCopy(const std::string& original)
{
    std::string temp = TempFolder();
    std::string self = ModulePath();
    if (temp.empty() || self.empty()) return false;

    char name[64];
    std::snprintf(name, sizeof name, "%s%08lx%08lx%s", kPrefix, GetCurrentProcessId(), GetTickCount(), kSuffix);
    std::string copy = temp + name;
    if (!CopyFileA(self.c_str(), copy.c_str(), FALSE)) return false;
    // A copy must be deletable later whatever the original's attributes were.
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A handle rather than a process id, which Windows may give to another process once this one
    // has ended. It is the only inheritable handle of this process.
    HANDLE self_handle = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self_handle,
                         SYNCHRONIZE, TRUE, 0)) {
        DeleteFileA(copy.c_str());
        return false;
    }
    std::string commandLine = "\"" + copy + "\" " + kSwitch + " " +
                              std::to_string(reinterpret_cast<ULONG_PTR>(self_handle)) + " \"" + original + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  temp.c_str(), &si, &pi);
    CloseHandle(self_handle);
    if (!started) {
        DeleteFileA(copy.c_str());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void WaitForOriginal(HANDLE hOriginal)
{
    WaitForSingleObject(hOriginal, kOriginalTimeoutMs);
    CloseHandle(hOriginal);
}

void TidyRemovalCopies()
{
    std::string temp = TempFolder();
    std::string self = ModulePath();
    if (temp.empty()) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temp + kPrefix + "*" + kSuffix).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsRemovalCopyName(found.cFileName)) continue;
            std::string path = temp + found.cFileName;
            if (lstrcmpiA(path.c_str(), self.c_str()) != 0) DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (!self.empty()) MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
