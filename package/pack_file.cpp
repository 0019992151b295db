#include "pack_file.h"

#include <algorithm>
#include <cstring>

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
    m_status = PackReadStatus::End;
    return false;
}

bool CPackFile::Fail()
{
    m_status = PackReadStatus::Failed;
    return false;
}

namespace {

// Forms destDir + "\" + name + ".zip" in `path` (MAX_PATH bytes). Windows refuses a path of
// MAX_PATH characters or more, but Wine's stdio would open it, so the length is checked here.
bool FormArchivePath(LPCSTR destDir, const char* name, char (&path)[MAX_PATH])
{
    static const char kSuffix[] = ".zip";
    const std::size_t dirLength = std::strlen(destDir);
    const std::size_t nameLength = std::strlen(name);
    const std::size_t suffixLength = sizeof kSuffix - 1;
    if (dirLength + 1 + nameLength + suffixLength > MAX_PATH - 1) return false;
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
    if (m_pStream == nullptr || m_status == PackReadStatus::Failed || destDir == nullptr)
        return Fail();
    if (std::feof(m_pStream)) return End();

    m_szLastName[0] = '\0';
    PackEntryHeader header;
    if (std::fread(&header, 1, sizeof header, m_pStream) < sizeof header)
        return std::ferror(m_pStream) ? Fail() : End();  // a shorter remainder is not an entry

    // The name is checked before anything is created: "..\x" would leave the destination, "COM1"
    // would open a device, and "x." would create a file other than the one the log names.
    const char* name = GetEntryName(header);
    std::strcpy(m_szLastName, name != nullptr ? name : "");
    if (name == nullptr || !IsAcceptableEntryName(name)) return Fail();

    char szArchivePath[MAX_PATH];
    if (!FormArchivePath(destDir, name, szArchivePath)) return Fail();

    CreateDirectoriesOf(szArchivePath);
    std::FILE* archive = std::fopen(szArchivePath, "wb");
    if (archive == nullptr && m_nKnownFolderLength > 0) {
        // A folder known from an earlier entry may have gone since: make every level again.
        m_nKnownFolderLength = 0;
        CreateDirectoriesOf(szArchivePath);
        archive = std::fopen(szArchivePath, "wb");
    }
    if (archive == nullptr) return Fail();
    // The archive's folder exists now: the next entry need not ask for it, nor for its parents.
    const std::size_t folderLength = std::strrchr(szArchivePath, '\\') - szArchivePath + 1;
    std::memcpy(m_szKnownFolder, szArchivePath, folderLength);
    m_nKnownFolderLength = folderLength;
    const bool copied = CopyEntryData(archive, GetEntrySize(header));
    if (!CloseWrittenFile(archive) || !copied) return Fail();

    std::strcpy(nameOut, name);  // shorter than the archive path, so it fits MAX_PATH bytes
    m_status = PackReadStatus::Entry;
    return true;
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
        CreateDirectoryPrefix(szPrefix);
    }
}

void CPackFile::CreateDirectoryPrefix(LPCSTR path)
{
    CreateDirectoryA(path, nullptr);
}

bool CPackFile::CopyEntryData(std::FILE* archive, std::uint32_t size)
{
    std::uint32_t remaining = size;
    while (remaining > 0) {
        if (std::feof(m_pStream)) return false;  // the package ends inside this entry
        const std::size_t want = std::min<std::size_t>(remaining, kCopyChunk);
        const std::size_t got = std::fread(m_szCopyBuffer, 1, want, m_pStream);
        // Nothing delivered without the end of the file is a read error; reading again would
        // deliver nothing again.
        if (got == 0) return false;
        if (std::fwrite(m_szCopyBuffer, 1, got, archive) != got) return false;
        remaining -= static_cast<std::uint32_t>(got);
    }
    return true;
}
