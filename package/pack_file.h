// CPackFile: reads the package one entry at a time and writes each entry's zip data out as the
// entry archive, the entry's target path with ".zip" appended.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pack_format.h"

// What the latest ReadNextEntry met:
// - Entry: an entry written out as its archive.
// - Skipped: an entry whose archive was not written (a refused name, an archive path too long, an
//   archive that could not be created, written or closed). Its data has been read past and no
//   archive of it is left, so the stream stands at the next entry and reading may go on.
// - End: the clean end of the package (nothing left, or a remainder shorter than a header, which
//   the format ignores).
// - Failed: the package cannot be read further (cut short inside an entry, a read error, a header
//   whose name field holds no NUL and whose size cannot be trusted either, no open package). The
//   partial archive of the entry under way is deleted.
// - Changed: with a check, the package is not the one the check expects: an entry differs, one
//   is more or missing, or the package cannot be read further. Nothing of the entry is left, and
//   every further read fails as well.
enum class PackReadStatus { Entry, Skipped, End, Failed, Changed };

// Told of every entry that is about to be written out, before anything of it (a folder, the
// archive) is made: the installation lists the entry's target there, ahead of its making.
class PackEntryWatcher {
public:
    virtual void BeforeMaking(LPCSTR name) = 0;

protected:
    ~PackEntryWatcher() = default;
};

// Checks the package against what it must hold. Every byte of an entry passes through Add, its
// header first, before the entry is taken.
class PackEntryCheck {
public:
    // Before anything of the entry is read on or made: whether an entry with this header may come.
    virtual bool Expects(const PackEntryHeader& header) = 0;
    virtual void Add(const void* data, std::size_t size) = 0;
    // After its data: whether the entry is the one expected.
    virtual bool Matches() = 0;
    // At the package's clean end, `length` bytes into it: whether nothing more is expected; else
    // false, with the name of the first entry missing in `missing` (empty when none is).
    virtual bool IsComplete(std::uint64_t length, std::string& missing) = 0;

protected:
    ~PackEntryCheck() = default;
};

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
    // False for anything else; GetLastStatus tells a skipped entry (read on) from a clean end and
    // a failure. After a failure every further read fails as well, until the next Open.
    bool ReadNextEntry(LPCSTR destDir, LPSTR nameOut);

    PackReadStatus GetLastStatus() const { return m_status; }
    // The name in the header that the latest ReadNextEntry read, also when the entry was then
    // skipped or failed (a package cut short); "" when it read no header or the name field held
    // no terminating NUL. After a clean end that the check did not expect, the entry missing.
    LPCSTR GetLastEntryName() const { return m_szLastName; }

    // Closes the package; does nothing on a closed reader.
    void Close();

    // The watcher told of every entry before it is made; none when null.
    void SetWatcher(PackEntryWatcher* watcher) { m_pWatcher = watcher; }
    // The check of every entry; none when null. Set before the first read.
    void SetCheck(PackEntryCheck* check) { m_pCheck = check; }
    // Skips every entry whose name has a byte beyond ASCII: for names in UTF-8 that this process's
    // code page would read as other letters.
    void SetAsciiNamesOnly(bool asciiOnly) { m_bAsciiNamesOnly = asciiOnly; }

protected:
    // Asks for one directory of an entry archive's path, `path` ending in its backslash; true when
    // this call made it. Most prefixes exist already, and a directory that could not be made shows
    // as an entry archive that cannot be created.
    virtual bool CreateDirectoryPrefix(LPCSTR path);

private:
    static constexpr std::size_t kCopyChunk = 0x10000;

    bool End();
    bool Skip();
    bool Fail();
    bool Changed();
    bool SkipData(std::uint32_t size);
    std::FILE* CreateArchive(LPCSTR archivePath);
    void CreateDirectoriesOf(LPCSTR archivePath);
    bool CopyEntryData(std::FILE* archive, std::uint32_t size, bool& written);
    // Takes back what was made for an entry that could not be written out in full: its archive,
    // and the folders made for it alone.
    void DiscardEntry();
    void RemoveMadeFolders();

    std::FILE* m_pStream = nullptr;
    PackEntryWatcher* m_pWatcher = nullptr;
    PackEntryCheck* m_pCheck = nullptr;
    bool m_bAsciiNamesOnly = false;
    std::uint64_t m_nConsumed = 0;  // bytes of the package read so far
    // The latest entry's archive and the folders made for it, in the order they were made.
    char m_szArchivePath[MAX_PATH] = "";
    std::vector<std::string> m_madeFolders;
    PackReadStatus m_status = PackReadStatus::End;
    char m_szLastName[kPackNameField] = "";
    // The folder, with its backslash, of the last entry archive created: its levels exist.
    char m_szKnownFolder[MAX_PATH] = "";
    std::size_t m_nKnownFolderLength = 0;
    // Every entry streams through this one buffer, so an entry of any size costs no allocation.
    char m_szCopyBuffer[kCopyChunk];
};
