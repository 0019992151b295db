#include "test_support.h"

#include "dialog_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string TestProgramDir()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.rfind('\\') + 1);
}

ScratchDir::ScratchDir() : ScratchDir(TestProgramDir()) {}

ScratchDir::ScratchDir(const std::string& parent)
{
    static unsigned counter = 0;
    char name[64];
    snprintf(name, sizeof name, "scratch-%lu-%u", GetCurrentProcessId(), ++counter);
    m_path = parent + name;
    RemoveTree(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(m_path);
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadWholeFile(const std::string& path, bool* ok)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (ok) *ok = f != nullptr;
    if (!f) return bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return;  // a link: what it points at is no part of the tree
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n != "." && n != "..") RemoveTree(path + "\\" + n);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> LoggedPaths(const std::string& log, int first)
{
    std::vector<std::string> paths;
    for (int i = first;; ++i) {
        char key[32], value[MAX_PATH] = "";
        snprintf(key, sizeof key, "file%d", i);
        static const char kNone[] = "<none>";
        GetPrivateProfileStringA("files", key, kNone, value, MAX_PATH, log.c_str());
        if (lstrcmpA(value, kNone) == 0) return paths;
        paths.push_back(value);
    }
}

std::string MarkerProgram()
{
    return TestProgramDir() + "..\\fixtures\\marker.exe";
}

MarkerRecord ReadMarkerRecord(const std::string& program)
{
    std::string record = ReadWholeFile(program + ".ran");
    std::size_t first = record.find('\n');
    std::size_t second = first == std::string::npos ? first : record.find('\n', first + 1);
    MarkerRecord parts;
    parts.commandLine = record.substr(0, first);
    if (first != std::string::npos) parts.currentDir = record.substr(first + 1, second - first - 1);
    return parts;
}

bool WaitForFile(const std::string& path, DWORD timeoutMs)
{
    if (!WaitUntil([&] { return FileExists(path); }, timeoutMs)) return false;
    Sleep(100);  // let the writer finish and close it
    return true;
}

std::string SmallDriveRoot()
{
    const char* drive = std::getenv("SETUP_TEST_SMALL_DRIVE");
    if (drive == nullptr || *drive == '\0') return std::string();
    return std::string(drive) + "\\";
}

bool IsCiRun()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}

bool FillDrive(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    static const char block[4096] = {};
    DWORD written = 0;
    while (WriteFile(h, block, sizeof block, &written, nullptr) && written == sizeof block) {
    }
    // Less than a block may be left over; single bytes take it.
    while (WriteFile(h, block, 1, &written, nullptr) && written == 1) {
    }
    CloseHandle(h);
    return true;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                         << " were expected, first difference at offset " << i;
}

bool WriteWideFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadWideFile(const std::wstring& path, bool* ok)
{
    std::string bytes;
    *ok = false;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(h);
    *ok = true;
    return bytes;
}
