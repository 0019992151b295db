#include "removal.h"

#include <algorithm>
#include <climits>
#include <set>
#include <unordered_map>

#include "pack_format.h"
#include "afxstr.h"
#include "install_record.h"
#include "log_keys.h"
#include "shell_folder_values.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Byte position of the last separator that is a character of its own, or npos.
std::size_t LastSeparator(const std::string& s)
{
    const int found = FindLastCharacter(s.data(), static_cast<int>(s.size()), '\\', '/');
    return found < 0 ? std::string::npos : static_cast<std::size_t>(found);
}

// Drops trailing separators, except the one of a drive root's "X:\" (which becomes "X:").
void DropTrailingSeparators(std::string& s)
{
    while (!s.empty() && LastSeparator(s) == s.size() - 1) s.pop_back();
}

bool SameText(const wchar_t* a, const wchar_t* b, std::size_t length)
{
    // The file system's own comparison: ordinal, with simple upper-case folding.
    return CompareStringOrdinal(a, static_cast<int>(length), b, static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

// Where the part of a path below its drive or share starts; npos for anything that is not a plain
// absolute path ("X:\..." or "\\server\share\..."): relative and drive-relative paths (which
// would be taken from wherever the uninstaller runs), and the device namespaces "\\?\" and
// "\\.\", in which no normalisation applies.
std::size_t RootLength(const std::string& path)
{
    if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':' && IsSeparator(path[2]))
        return 3;
    if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '?' && path[2] != '.' &&
        !IsSeparator(path[2])) {
        std::size_t server = path.find_first_of("\\/", 2);
        std::size_t share = server == std::string::npos ? server : path.find_first_of("\\/", server + 1);
        return share == std::string::npos ? std::string::npos : share + 1;
    }
    return std::string::npos;
}

// A component of dots and spaces alone with two dots or more: Windows drops trailing dots and
// spaces, so ".. " and "..." may step up as ".." does.
bool HasParentLikeComponent(const std::string& below)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= below.size(); ++i) {
        if (i < below.size() && !IsSeparator(below[i])) continue;
        int dots = 0;
        bool only = i > start;
        for (std::size_t j = start; j < i && only; ++j) {
            if (below[j] == '.') ++dots;
            else if (below[j] != ' ') only = false;
        }
        if (only && dots >= 2) return true;
        start = i + 1;
    }
    return false;
}

// The path normalised by GetFullPathNameA, without trailing separators; false when it has no
// normal form that fits MAX_PATH.
bool FullPath(const std::string& path, std::string& full)
{
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    full.assign(buffer, length);
    DropTrailingSeparators(full);
    return !full.empty();
}

// Removes one file or empty folder. A folder that still holds something stays, and that is no
// failure; nor is a path that is gone already. A read-only file is made writable first (Windows
// refuses to delete it otherwise) and read-only again when it could not be deleted all the same.
bool RemovePath(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    // A link to a folder is no folder of the installation's: removing it reliably as the link
    // cannot be done on every system (Wine removes the folder it points to), so it stays, named.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (RemoveDirectoryA(path.c_str())) return true;
        DWORD error = GetLastError();
        return error == ERROR_DIR_NOT_EMPTY || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    if (DeleteFileA(path.c_str())) return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (readOnly) SetFileAttributesA(path.c_str(), attributes);
    return false;
}

// Whether a path's folders below its root hold a reparse point, each folder's attributes read once
// however many entries lie in it. Entries come folder by folder, so the last folder's answer serves
// most of them.
class LinkedFolders {
public:
    bool Between(const std::string& full, std::size_t rootLength)
    {
        std::size_t slash = LastSeparator(full);
        if (slash == std::string::npos || slash <= rootLength) return false;
        if (slash == m_lastFolder.size() && full.compare(0, slash, m_lastFolder) == 0) return m_bLastLinked;
        m_lastFolder.assign(full, 0, slash);
        m_bLastLinked = false;
        for (std::string folder = m_lastFolder; !m_bLastLinked; folder.resize(slash)) {
            m_bLastLinked = IsLink(folder);
            slash = LastSeparator(folder);
            if (slash == std::string::npos || slash <= rootLength) break;
        }
        return m_bLastLinked;
    }

private:
    bool IsLink(const std::string& folder)
    {
        auto known = m_known.find(folder);
        if (known != m_known.end()) return known->second;
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        const bool linked = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        m_known.emplace(folder, linked);
        return linked;
    }

    std::unordered_map<std::string, bool> m_known;
    std::string m_lastFolder;
    bool m_bLastLinked = false;
};

class Outcome {
public:
    // `order` is the entry's place in the log; what is not an entry comes after every one.
    void Left(int order, const std::string& path)
    {
        if (m_result.nLeft++ == 0 || order < m_firstOrder) {
            m_firstOrder = order;
            m_result.firstLeft = path;
        }
    }
    const RemovalOutcome& Result() const { return m_result; }

private:
    RemovalOutcome m_result;
    int m_firstOrder = INT_MAX;
};

}  // namespace

CRemovalScope::CRemovalScope(const std::string& destDir, const std::string& programs,
                             const std::string& desktop)
{
    Root root;
    m_bHasDest = MakeRoot(destDir, root);
    if (m_bHasDest) m_roots.push_back(root);
    for (const std::string* folder : {&programs, &desktop})
        if (MakeRoot(*folder, root)) m_roots.push_back(root);
}

CRemovalScope CRemovalScope::ForCurrentUser(const std::string& destDir)
{
    // The folders the installer made its shortcuts in; one whose name the code page cannot write
    // held none of them.
    const ShellFolders folders = ReadShellFolders();
    const std::string programs = folders.bProgramsLost ? std::string() : static_cast<LPCSTR>(folders.programs);
    const std::string desktop = folders.bDesktopLost ? std::string() : static_cast<LPCSTR>(folders.desktop);
    return CRemovalScope(destDir, programs, desktop);
}

bool CRemovalScope::MakeRoot(const std::string& text, Root& root)
{
    // A drive's root, "X:" once its backslash is dropped, would otherwise name the drive's
    // current directory.
    const std::string folder = text.size() == 2 && text[1] == ':' ? text + "\\" : text;
    if (RootLength(folder) == std::string::npos || !FullPath(folder, root.path)) return false;
    root.wide = Widened(root.path);
    return true;
}

bool CRemovalScope::NormalisedDestination(std::string& full) const
{
    if (!m_bHasDest) return false;
    full = m_roots[0].path;
    return true;
}

CRemovalScope::Verdict CRemovalScope::Judge(const std::string& path, std::string& full, std::size_t& rootLength) const
{
    const std::size_t driveLength = RootLength(path);
    if (driveLength == std::string::npos) return Verdict::kRefused;
    // The installer's own rules for what lies below a folder: no ".." component, no colon (an
    // alternate data stream), no reserved device name, which no normalisation makes harmless.
    std::string below = path.substr(driveLength);
    DropTrailingSeparators(below);
    if (HasParentLikeComponent(below)) return Verdict::kRefused;
    if (!below.empty()) {
        EntryNameFault fault = CheckEntryName(below.c_str());
        if (fault == EntryNameFault::kParent || fault == EntryNameFault::kColon ||
            fault == EntryNameFault::kDeviceName)
            return Verdict::kRefused;
    }
    if (!FullPath(path, full)) return Verdict::kRefused;

    const std::wstring wide = Widened(full);
    for (const Root& root : m_roots)
        if (wide.size() == root.wide.size() && SameText(wide.c_str(), root.wide.c_str(), wide.size()))
            return Verdict::kRoot;
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        // Component by component: C:\GamesX is not inside C:\Games.
        const std::wstring& r = m_roots[i].wide;
        if (wide.size() > r.size() + 1 && wide[r.size()] == L'\\' && SameText(wide.c_str(), r.c_str(), r.size())) {
            rootLength = m_roots[i].path.size();
            return i == 0 && m_bHasDest ? Verdict::kInside : Verdict::kShellFolder;
        }
    }
    return Verdict::kRefused;
}

RemovalOutcome RemoveInstallation(const CRemovalScope& scope, const std::vector<LogEntry>& entries, bool bCutOff,
                                  const std::string& logPath, const std::string& programPath,
                                  std::atomic<int>& done)
{
    Outcome outcome;
    std::string destFull;
    const bool hasDest = scope.NormalisedDestination(destFull);
    // Folders inside the destination that held an entry. Installed files land in folders that the
    // installer made for them but did not log; they go when nothing else is left in them.
    std::set<std::string> folders;

    LinkedFolders links;

    // Last entry first: the shortcuts before the folders of their group, which come after them.
    for (std::size_t i = entries.size(); i-- > 0;) {
        const LogEntry& entry = entries[i];
        std::string full;
        std::size_t rootLength = 0;
        CRemovalScope::Verdict verdict = scope.Judge(entry.path, full, rootLength);
        if (verdict == CRemovalScope::Verdict::kRefused ||
            (verdict != CRemovalScope::Verdict::kRoot && links.Between(full, rootLength))) {
            outcome.Left(entry.index, entry.path);
        } else if (verdict != CRemovalScope::Verdict::kRoot) {
            if (!RemovePath(full)) outcome.Left(entry.index, entry.path);
            // A run cut off while it unpacked a file left the file's archive beside it.
            if (verdict == CRemovalScope::Verdict::kInside && bCutOff) RemovePath(full + ".zip");
            if (verdict == CRemovalScope::Verdict::kInside && hasDest) {
                // Up to the destination, and no further once a folder is known with its parents.
                for (std::size_t slash = LastSeparator(full); slash != std::string::npos && slash > destFull.size();
                     slash = LastSeparator(full)) {
                    full.resize(slash);
                    if (!folders.insert(full).second) break;
                }
            }
        }
        done.fetch_add(1, std::memory_order_relaxed);
    }

    // A folder's path is longer than its parent's: longest first is deepest first.
    std::vector<std::string> byDepth(folders.begin(), folders.end());
    folders.clear();
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : byDepth) RemoveDirectoryA(folder.c_str());

    if (!RemovePath(logPath)) outcome.Left(INT_MAX, logPath);
    RemovePath(static_cast<LPCSTR>(NewLogPath(logPath.c_str())));
    if (!programPath.empty() && !RemovePath(programPath)) outcome.Left(INT_MAX, programPath);
    // A drive's root is no folder to remove (and "X:" alone names the drive's current directory).
    if (hasDest && destFull.size() > 2) RemoveDirectoryA(destFull.c_str());
    return outcome.Result();
}
