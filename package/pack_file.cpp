#include "pack_file.h"

#include <algorithm>
#include <cstring>

#include "utf8_build.h"
#include "written_file.h"

CPackFile::~CPackFile()
{
    Close();
}

bool CPackFile::Open(LPCSTR path)
{
    Close();
    m_status = PackReadStatus::End;
    m_szLastName[0] = '\0';
    m_nKnownFolderLength = 0;
    m_nConsumed = 0;
    m_pStream = std::fopen(path, "rb");
    return m_pStream != nullptr;
}

void CPackFile::Close()
{
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
}

bool CPackFile::End()
{
    std::string missing;
    if (m_pCheck != nullptr && !m_pCheck->IsComplete(m_nConsumed, missing)) {
        lstrcpynA(m_szLastName, missing.c_str(), sizeof m_szLastName);
        return Changed();
    }
    m_status = PackReadStatus::End;
    return false;
}

bool CPackFile::Fail()
{
    // A checked package that cannot be read to its end is not the package expected.
    m_status = m_pCheck != nullptr ? PackReadStatus::Changed : PackReadStatus::Failed;
    return false;
}

bool CPackFile::Changed()
{
    m_status = PackReadStatus::Changed;
    return false;
}

namespace {

// The longest folder path that CreateDirectoryA makes on Windows: MAX_PATH less room for a short
// file name inside it.
constexpr std::size_t kMaxFolderLength = MAX_PATH - 12 - 1;

// Forms destDir + "\" + name + ".zip" in `path` (MAX_PATH bytes). Windows refuses a path of
// MAX_PATH characters or more, and a folder of more than kMaxFolderLength, where Wine would make
// and open them, so both lengths are checked here.
bool FormArchivePath(LPCSTR destDir, const char* name, char (&path)[MAX_PATH])
{
    static const char kSuffix[] = ".zip";
    const std::size_t dirLength = std::strlen(destDir);
    const std::size_t nameLength = std::strlen(name);
    const std::size_t suffixLength = sizeof kSuffix - 1;
    if (dirLength + 1 + nameLength + suffixLength > MAX_PATH - 1) return false;
    const char* lastSeparator = std::strrchr(name, '\\');  // byte by byte, as folders are made
    const std::size_t folderLength =
        lastSeparator == nullptr ? dirLength : dirLength + 1 + (lastSeparator - name);
    if (folderLength > kMaxFolderLength) return false;
    char* p = path;
    std::memcpy(p, destDir, dirLength);
    p += dirLength;
    *p++ = '\\';
    std::memcpy(p, name, nameLength);
    p += nameLength;
    std::memcpy(p, kSuffix, sizeof kSuffix);
    return true;
}

}  // namespace

bool CPackFile::ReadNextEntry(LPCSTR destDir, LPSTR nameOut)
{
    if (m_status == PackReadStatus::Changed) return false;
    if (m_pStream == nullptr || m_status == PackReadStatus::Failed || destDir == nullptr) return Fail();
    if (std::feof(m_pStream)) return End();

    m_szLastName[0] = '\0';
    m_szArchivePath[0] = '\0';
    m_madeFolders.clear();
    PackEntryHeader header;
    const std::size_t got = std::fread(&header, 1, sizeof header, m_pStream);
    m_nConsumed += got;
    if (got < sizeof header) return std::ferror(m_pStream) ? Fail() : End();  // a shorter remainder is not an entry

    // A name field without its NUL is no header the package tool writes: the stream is out of
    // step with the entries, and the size beside it means nothing.
    const char* name = GetEntryName(header);
    if (name == nullptr) return Fail();
    std::strcpy(m_szLastName, name);
    const std::uint32_t size = GetEntrySize(header);
    // An entry the check does not expect here is not read on: nothing of it is made.
    if (m_pCheck != nullptr) {
        if (!m_pCheck->Expects(header)) return Changed();
        m_pCheck->Add(&header, sizeof header);
    }

    // The name is checked before anything is created: "..\x" would leave the destination, "COM1"
    // would open a device, and "x." would create a file other than the one the log names.
    char szArchivePath[MAX_PATH];
    if (!IsAcceptableEntryName(name) || (m_bAsciiNamesOnly && HasNonAscii(name, std::strlen(name))) ||
        !FormArchivePath(destDir, name, szArchivePath))
        return SkipData(size);
    if (m_pWatcher != nullptr) m_pWatcher->BeforeMaking(name);
    std::strcpy(m_szArchivePath, szArchivePath);
    std::FILE* archive = CreateArchive(szArchivePath);
    if (archive == nullptr) {
        RemoveMadeFolders();
        return SkipData(size);
    }
    bool written = true;
    const bool read = CopyEntryData(archive, size, written);
    if (!CloseWrittenFile(archive)) written = false;
    // An entry that is not the one expected is taken back before it is decompressed: none of its
    // bytes reaches the entry's own name.
    if (read && m_pCheck != nullptr && !m_pCheck->Matches()) {
        DiscardEntry();
        return Changed();
    }
    if (!read || !written) {
        DiscardEntry();  // a partial archive is of no use, and nor are the folders made for it
        return read ? Skip() : Fail();
    }

    std::strcpy(nameOut, name);  // shorter than the archive path, so it fits MAX_PATH bytes
    m_status = PackReadStatus::Entry;
    return true;
}

bool CPackFile::Skip()
{
    m_status = PackReadStatus::Skipped;
    return false;
}

bool CPackFile::SkipData(std::uint32_t size)
{
    // Read, not sought past: an entry whose data runs past the end is damage, not a skip.
    bool written = true;
    if (!CopyEntryData(nullptr, size, written)) return Fail();
    return m_pCheck != nullptr && !m_pCheck->Matches() ? Changed() : Skip();
}

std::FILE* CPackFile::CreateArchive(LPCSTR archivePath)
{
    CreateDirectoriesOf(archivePath);
    std::FILE* archive = std::fopen(archivePath, "wb");
    if (archive == nullptr) {
        // A read-only archive of an earlier run is in the way, or a folder known from an earlier
        // entry has gone since: make every level again.
        SetFileAttributesA(archivePath, FILE_ATTRIBUTE_NORMAL);
        m_nKnownFolderLength = 0;
        CreateDirectoriesOf(archivePath);
        archive = std::fopen(archivePath, "wb");
    }
    if (archive == nullptr) return nullptr;
    // The archive's folder exists now: the next entry need not ask for it, nor for its parents.
    const std::size_t folderLength = std::strrchr(archivePath, '\\') - archivePath + 1;
    std::memcpy(m_szKnownFolder, archivePath, folderLength);
    m_nKnownFolderLength = folderLength;
    return archive;
}

void CPackFile::CreateDirectoriesOf(LPCSTR archivePath)
{
    // Byte by byte, shortest prefix first: a parent must exist before its child can be made.
    // Levels that the previous entry's archive was created in exist already; entries of one
    // folder follow each other, so most entries ask for no folder at all.
    std::size_t known = 0;
    for (std::size_t i = 0; i < m_nKnownFolderLength && archivePath[i] == m_szKnownFolder[i]; ++i)
        if (archivePath[i] == '\\') known = i + 1;
    char szPrefix[MAX_PATH];
    for (std::size_t i = known; archivePath[i] != '\0'; ++i) {
        if (archivePath[i] != '\\') continue;
        std::memcpy(szPrefix, archivePath, i + 1);
        szPrefix[i + 1] = '\0';
        if (CreateDirectoryPrefix(szPrefix)) m_madeFolders.emplace_back(szPrefix);
    }
}

bool CPackFile::CreateDirectoryPrefix(LPCSTR path)
{
    return CreateDirectoryA(path, nullptr) != FALSE;
}

void CPackFile::DiscardEntry()
{
    if (m_szArchivePath[0] != '\0') DeleteFileA(m_szArchivePath);
    m_szArchivePath[0] = '\0';
    RemoveMadeFolders();
}

void CPackFile::RemoveMadeFolders()
{
    // Deepest first; a folder that holds something by now stays.
    for (auto folder = m_madeFolders.rbegin(); folder != m_madeFolders.rend(); ++folder)
        RemoveDirectoryA(folder->c_str());
    if (!m_madeFolders.empty()) m_nKnownFolderLength = 0;
    m_madeFolders.clear();
}

bool CPackFile::CopyEntryData(std::FILE* archive, std::uint32_t size, bool& written)
{
    std::uint32_t remaining = size;
    while (remaining > 0) {
        if (std::feof(m_pStream)) return false;  // the package ends inside this entry
        const std::size_t want = std::min<std::size_t>(remaining, kCopyChunk);
        const std::size_t got = std::fread(m_szCopyBuffer, 1, want, m_pStream);
        // Nothing delivered without the end of the file is a read error; reading again would
        // deliver nothing again.
        if (got == 0) return false;
        m_nConsumed += got;
        if (m_pCheck != nullptr) m_pCheck->Add(m_szCopyBuffer, got);
        // After a failed write the rest is still read, so that the stream reaches the next entry.
        if (archive != nullptr && written && std::fwrite(m_szCopyBuffer, 1, got, archive) != got)
            written = false;
        remaining -= static_cast<std::uint32_t>(got);
    }
    return true;
}
