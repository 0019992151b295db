#include "destination.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "profile_line.h"

void CreateFolderPath(const CString& destDir)
{
    // Every prefix that ends before a backslash, shortest first, then the whole path. The scan is
    // aware of double-byte characters: a trail byte 0x5C is not a separator. Prefixes that name no
    // folder to make ("C:", "\\server\share") are refused by the system and cost nothing.
    const int length = destDir.GetLength();
    for (int i = 0; i < length; ++i) {
        if (destDir[i] == '\\') {
            if (i > 0) CreateDirectoryA(destDir.Left(i), nullptr);
        } else if (IsDBCSLeadByte(static_cast<BYTE>(destDir[i])) && i + 1 < length) {
            ++i;
        }
    }
    CreateDirectoryA(destDir, nullptr);
}

namespace {

// Takes a UTF-8 byte-order mark off the start of the file at `path`: the profile functions, which
// write the log, would take it for part of the template's first line and lose its first section.
// Only for a program that runs in UTF-8: in another code page the mark is what tells the profile
// functions (Wine's at least) that the file is UTF-8, and the template stays as it was.
void RemoveByteOrderMark(const CString& path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    char mark[3] = {};
    DWORD got = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 3 && size.QuadPart < (1 << 30) &&
        ReadFile(file, mark, 3, &got, nullptr) && got == 3 &&
        std::string_view(mark, 3) == kUtf8ByteOrderMark) {
        std::vector<char> rest(static_cast<size_t>(size.QuadPart - 3));
        DWORD read = 0, written = 0;
        if (rest.empty() || (ReadFile(file, rest.data(), static_cast<DWORD>(rest.size()), &read, nullptr) &&
                             read == rest.size())) {
            SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            if (rest.empty() || (WriteFile(file, rest.data(), read, &written, nullptr) && written == read))
                SetEndOfFile(file);
        }
    }
    CloseHandle(file);
}

}  // namespace

void CopyLogTemplate(const CString& templatePath, const CString& logPath)
{
    // CopyFileA refuses to replace a read-only file, and the copy takes the template's attributes.
    SetFileAttributesA(logPath, FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(templatePath, logPath, FALSE)) return;
    DWORD attributes = GetFileAttributesA(logPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(logPath, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (GetACP() == CP_UTF8) RemoveByteOrderMark(logPath);
}
