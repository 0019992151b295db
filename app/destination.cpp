#include "destination.h"

#include <windows.h>

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

void CopyLogTemplate(const CString& templatePath, const CString& logPath)
{
    // CopyFileA refuses to replace a read-only file, and the copy takes the template's attributes.
    SetFileAttributesA(logPath, FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(templatePath, logPath, FALSE)) return;
    DWORD attributes = GetFileAttributesA(logPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(logPath, attributes & ~FILE_ATTRIBUTE_READONLY);
}
