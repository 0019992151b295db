// CPackFile: reads the package one entry at a time and writes each entry's zip data out as the
// entry archive, the entry's target path with ".zip" appended.
#pragma once

#include <windows.h>

#include <cstdio>

#include "pack_format.h"

// What the latest ReadNextEntry met: an entry written out, the clean end of the package (nothing
// left, or a remainder shorter than a header, which the format ignores), or a failure (the
// package cut short inside an entry, a refused name, an entry archive that could not be created,
// written or closed, a read error, no open package).
enum class PackReadStatus { Entry, End, Failed };

class CPackFile {
public:
    CPackFile() = default;
    virtual ~CPackFile();
    CPackFile(const CPackFile&) = delete;
    CPackFile& operator=(const CPackFile&) = delete;

    // Closes a package that is still open, then opens `path` for binary reading.
    bool Open(LPCSTR path);

    // Reads the entry at the stream's position and writes its data to destDir + "\" + name +
    // ".zip", creating the directories of that path first. On success copies the name as stored
    // into `nameOut` (a buffer of MAX_PATH bytes) and returns true; `nameOut` is written only then.
    // False ends the package for the caller; GetLastStatus tells a clean end from a failure.
    // After a failure every further read fails as well, until the next Open.
    bool ReadNextEntry(LPCSTR destDir, LPSTR nameOut);

    PackReadStatus GetLastStatus() const { return m_status; }
    // The name in the header that the latest ReadNextEntry read, also when the entry then failed
    // (a package cut short, an archive that could not be written); "" when it read no header or
    // the name field held no terminating NUL.
    LPCSTR GetLastEntryName() const { return m_szLastName; }

    // Closes the package; does nothing on a closed reader.
    void Close();

protected:
    // Asks for one directory of an entry archive's path, `path` ending in its backslash. The
    // result is ignored: most prefixes exist already, and a directory that could not be made shows
    // as an entry archive that cannot be created.
    virtual void CreateDirectoryPrefix(LPCSTR path);

private:
    static constexpr std::size_t kCopyChunk = 0x10000;

    bool End();
    bool Fail();
    void CreateDirectoriesOf(LPCSTR archivePath);
    bool CopyEntryData(std::FILE* archive, std::uint32_t size);

    std::FILE* m_pStream = nullptr;
    PackReadStatus m_status = PackReadStatus::End;
    char m_szLastName[kPackNameField] = "";
    // The folder, with its backslash, of the last entry archive created: its levels exist.
    char m_szKnownFolder[MAX_PATH] = "";
    std::size_t m_nKnownFolderLength = 0;
    // Every entry streams through this one buffer, so an entry of any size costs no allocation.
    char m_szCopyBuffer[kCopyChunk];
};
