#include "uninstall_log.h"

#include <cstring>
#include <iterator>

#include "log_keys.h"
#include "profile_line.h"
#include "setup_files.h"

namespace {

constexpr DWORD kScanChunk = 0x10000;  // also the longest line that is looked at

// A key that one "key=value" line holds as it is: printable ASCII, no white space, no "=", and
// nothing that would make the line a section header or a comment.
bool IsPlainKey(LPCSTR key)
{
    if (*key == '\0' || *key == '[' || *key == ';') return false;
    for (; *key; ++key)
        if (*key <= 0x20 || *key >= 0x7f || *key == '=') return false;
    return true;
}

// A value that stays on its line and that the platform would write back byte for byte (every
// byte a character of the ANSI code page).
bool IsPlainValue(LPCSTR value)
{
    if (std::strpbrk(value, "\r\n") != nullptr) return false;
    const int length = static_cast<int>(std::strlen(value));
    return length == 0 ||
           MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, value, length, nullptr, 0) > 0;
}

ULONGLONG Join(DWORD high, DWORD low)
{
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

ULONGLONG FileTimeValue(const FILETIME& time)
{
    return Join(time.dwHighDateTime, time.dwLowDateTime);
}

bool ReadAt(HANDLE file, ULONGLONG offset, char* buffer, DWORD size, DWORD& got)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, size, &got, nullptr);
}

}  // namespace

CUninstallLog::CUninstallLog(LPCSTR path) : m_strPath(path) {}

CUninstallLog::~CUninstallLog()
{
    Close();
}

void CUninstallLog::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CUninstallLog::Open()
{
    if (m_hFile != INVALID_HANDLE_VALUE) return true;
    // Shared for writing and deleting as the profile functions open it, so that neither they nor
    // a CopyFileA of the template are refused while the file is open here.
    m_hFile = CreateFileA(m_strPath, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hFile != INVALID_HANDLE_VALUE;
}

bool CUninstallLog::WriteString(LPCSTR key, LPCSTR value)
{
    if (!IsPlainKey(key) || !IsPlainValue(value)) return WriteThroughPlatform(key, value);
    if (!Open()) return WriteThroughPlatform(key, value);
    FileState now;
    if (!Look(now) || m_bPlatformOnly || HasKey(key)) return WriteThroughPlatform(key, value);
    return Append(m_hFile, now, std::string(key) + "=" + value + "\r\n", {FoldName(key)});
}

std::size_t CUninstallLog::WriteFileEntries(int first, const std::vector<std::string>& paths)
{
    if (paths.empty()) return 0;
    // One insertion when every line is a plain new key, as WriteString would write them.
    FileState now;
    bool together = Open() && Look(now) && !m_bPlatformOnly;
    std::string lines;
    std::vector<std::wstring> keys;
    for (std::size_t i = 0; together && i < paths.size(); ++i) {
        const CString key = ItemKey(UninstallLog::kFileKey, first + static_cast<int>(i));
        together = IsPlainValue(paths[i].c_str()) && !HasKey(key);
        lines.append(static_cast<LPCSTR>(key)).append("=").append(paths[i]).append("\r\n");
        keys.push_back(FoldName(static_cast<LPCSTR>(key)));
    }
    if (together && Append(m_hFile, now, lines, keys)) return paths.size();
    std::size_t written = 0;
    while (written < paths.size() &&
           WriteString(ItemKey(UninstallLog::kFileKey, first + static_cast<int>(written)), paths[written].c_str()))
        ++written;
    return written;
}

// Size and write time only: GetFileInformationByHandle would also ask for the volume's serial
// number, which costs Wine a round trip to its mount manager, more than the write itself. The
// file is read again when either differs from what this object left.
bool CUninstallLog::Look(FileState& now)
{
    LARGE_INTEGER size;
    FILETIME written;
    if (!GetFileSizeEx(m_hFile, &size) || !GetFileTime(m_hFile, nullptr, nullptr, &written)) return false;
    now.size = static_cast<ULONGLONG>(size.QuadPart);
    now.writeTime = FileTimeValue(written);
    return (m_bKnown && m_state.size == now.size && m_state.writeTime == now.writeTime) || Scan(m_hFile, now);
}

bool CUninstallLog::WriteThroughPlatform(LPCSTR key, LPCSTR value)
{
    // Whether the profile functions open a file that another handle holds for writing depends on
    // the share modes of both opens; with this handle closed the question never arises.
    Close();
    m_bKnown = false;
    return WritePrivateProfileStringA(UninstallLog::kSection, key, value, m_strPath) != FALSE;
}

bool CUninstallLog::Append(HANDLE file, const FileState& before, const std::string& lines,
                           const std::vector<std::wstring>& keys)
{
    std::string text;
    if (m_bNeedsLineEnd) text += "\r\n";
    if (!m_bHasSection) text = text + "[" + UninstallLog::kSection + "]\r\n";
    text += lines;
    const std::size_t inserted = text.size();
    text += m_strTail;

    m_bKnown = false;  // until the write is known to be whole
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(m_nInsertAt);
    at.OffsetHigh = static_cast<DWORD>(m_nInsertAt >> 32);
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, &at) ||
        written != text.size()) {
        // A write cut short (a full disk) has overwritten the sections behind the insertion with
        // the new lines: they go back where they were, in room the file had already.
        DWORD restored = 0;
        if (!m_strTail.empty())
            WriteFile(file, m_strTail.data(), static_cast<DWORD>(m_strTail.size()), &restored, &at);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(before.size);
        if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
        return false;
    }

    m_nInsertAt += inserted;
    m_bHasSection = true;
    m_bNeedsLineEnd = false;
    for (const std::wstring& key : keys) AddKey(key);

    ULONGLONG after = 0;
    if (!MoveWriteTimeOn(file, before.writeTime, after)) return true;  // written, but unknown

    m_state.size = m_nInsertAt + m_strTail.size();
    m_state.writeTime = after;
    m_bKnown = true;
    return true;
}

// Wine keeps parsed profiles and parses a file again only when its write time has changed (or is
// under about two seconds old). The file system's clock may not have moved since the last write,
// so the time is moved on by hand when it has not: a cached copy can never pass for this one. The
// file system keeps times at a resolution of its own (two seconds on FAT), so the time it kept is
// read back: that is what the next write compares with. False when the time is not known.
bool CUninstallLog::MoveWriteTimeOn(HANDLE file, ULONGLONG before, ULONGLONG& after)
{
    FILETIME now;
    if (!GetFileTime(file, nullptr, nullptr, &now)) return false;
    after = FileTimeValue(now);
    if (after > before) return true;
    const ULONGLONG moved = before + 1;
    FILETIME time{static_cast<DWORD>(moved), static_cast<DWORD>(moved >> 32)};
    if (!SetFileTime(file, nullptr, nullptr, &time) || !GetFileTime(file, nullptr, nullptr, &now))
        return false;
    after = FileTimeValue(now);
    return true;
}

bool CUninstallLog::Scan(HANDLE file, const FileState& now)
{
    const ULONGLONG size = now.size;
    m_bKnown = false;
    m_bPlatformOnly = false;
    m_bHasSection = false;
    m_nInsertAt = size;
    m_bNeedsLineEnd = false;
    m_strTail.clear();
    m_names.clear();
    m_fileRanges.clear();

    // Lines end at every CR and LF, as the profile functions split them; empty lines are skipped.
    std::vector<char> buffer(kScanChunk);
    ULONGLONG bufferOffset = 0;  // file offset of buffer[0]
    DWORD filled = 0;
    bool inFiles = false;
    bool atEnd = false;
    char lastByte = '\n';
    while (!atEnd) {
        DWORD got = 0;
        if (!ReadAt(file, bufferOffset + filled, buffer.data() + filled, kScanChunk - filled, got))
            return false;
        if (bufferOffset == 0 && filled == 0 && got >= 2) {
            // A byte-order mark makes the platform read the file as UTF-8 or UTF-16.
            const auto* b = reinterpret_cast<const unsigned char*>(buffer.data());
            if ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF) ||
                (got >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)) {
                m_bPlatformOnly = true;
                return true;
            }
        }
        if (got > 0) lastByte = buffer[filled + got - 1];
        filled += got;
        atEnd = got == 0 || bufferOffset + filled >= size;

        DWORD lineStart = 0;
        for (DWORD i = 0; i < filled; ++i) {
            if (buffer[i] != '\r' && buffer[i] != '\n') continue;
            const ULONGLONG sectionsEnd = bufferOffset + lineStart;
            ScanLine(buffer.data() + lineStart, buffer.data() + i, sectionsEnd, inFiles);
            if (m_nInsertAt != size) break;  // the first "files" section has ended
            lineStart = i + 1;
        }
        if (m_nInsertAt != size) break;
        if (atEnd) {
            if (lineStart < filled)
                ScanLine(buffer.data() + lineStart, buffer.data() + filled, bufferOffset + lineStart,
                         inFiles);
            break;
        }
        if (lineStart == 0 && filled == kScanChunk) {
            m_bPlatformOnly = true;  // a line longer than the buffer
            return true;
        }
        std::memmove(buffer.data(), buffer.data() + lineStart, filled - lineStart);
        bufferOffset += lineStart;
        filled -= lineStart;
    }

    if (m_nInsertAt < size) {
        // The sections behind the first "files" one: rewritten behind every new line.
        m_strTail.resize(static_cast<std::size_t>(size - m_nInsertAt));
        DWORD got = 0;
        if (!ReadAt(file, m_nInsertAt, m_strTail.data(), static_cast<DWORD>(m_strTail.size()), got) ||
            got != m_strTail.size())
            return false;
    } else {
        m_bNeedsLineEnd = size > 0 && lastByte != '\r' && lastByte != '\n';
    }

    m_state = now;
    m_bKnown = true;
    return true;
}

// One line (without its line end) that starts at file offset `offset`, read as the profile
// functions read it. Sets m_nInsertAt when the line is the header that ends the first "files"
// section.
void CUninstallLog::ScanLine(const char* begin, const char* end, ULONGLONG offset, bool& inFiles)
{
    const ProfileLine line = ClassifyProfileLine(begin, static_cast<std::size_t>(end - begin), IsAnsiLeadByte);
    const std::string_view name(begin + line.nameBegin, line.nameEnd - line.nameBegin);
    if (line.kind == ProfileLineKind::kSection) {
        if (!m_bHasSection && FoldName(name) == L"files") {
            m_bHasSection = true;
            inFiles = true;
        } else if (inFiles) {
            inFiles = false;
            m_nInsertAt = offset;
        }
    } else if (line.kind == ProfileLineKind::kKey && inFiles) {
        AddKey(FoldName(name));  // comments and nameless lines are never plain keys
    }
}

bool CUninstallLog::HasKey(LPCSTR key) const
{
    const std::wstring name = FoldName(key);
    const long long n = FileKeyNumber(name);
    if (n < 0) return m_names.count(name) != 0;
    auto next = m_fileRanges.upper_bound(n);
    return next != m_fileRanges.begin() && n < std::prev(next)->second;
}

void CUninstallLog::AddKey(const std::wstring& lowerName)
{
    const long long n = FileKeyNumber(lowerName);
    if (n < 0) {
        m_names.insert(lowerName);
        return;
    }
    // Ranges [begin, end) that neither overlap nor touch.
    auto next = m_fileRanges.upper_bound(n);
    if (next != m_fileRanges.begin()) {
        auto range = std::prev(next);
        if (n < range->second) return;
        if (n == range->second) {
            range->second = n + 1;
            if (next != m_fileRanges.end() && next->first == n + 1) {
                range->second = next->second;
                m_fileRanges.erase(next);
            }
            return;
        }
    }
    if (next != m_fileRanges.end() && next->first == n + 1) {
        const long long end = next->second;
        m_fileRanges.erase(next);
        m_fileRanges[n] = end;
    } else {
        m_fileRanges[n] = n + 1;
    }
}
