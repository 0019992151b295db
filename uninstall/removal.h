// What the uninstaller removes, and where it may act at all.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "log_contents.h"

// The folders inside which a logged path may be removed: the destination (the log's own folder)
// and the current user's Start-menu Programs and Desktop folders, as the installer read them.
class CRemovalScope {
public:
    enum class Verdict {
        kInside,       // inside the destination: removed, and its folders after it
        kShellFolder,  // inside Programs or Desktop: removed
        kRoot,         // one of the folders themselves: never removed, and no failure
        kRefused,      // anything else: left alone, counted and named
    };

    // `destDir` without a trailing backslash; the shell folders are given by the registry texts
    // (empty when there is none).
    CRemovalScope(const std::string& destDir, const std::string& programs, const std::string& desktop);
    // The same with the values "Programs" and "Desktop" of the current user's Shell Folders key.
    static CRemovalScope ForCurrentUser(const std::string& destDir);

    // Judges a path as the log holds it; `full` receives its normalised form (the one to act on)
    // for kInside and kShellFolder, and `rootLength` the length of the folder it lies in.
    Verdict Judge(const std::string& path, std::string& full, std::size_t& rootLength) const;
    Verdict Judge(const std::string& path, std::string& full) const
    {
        std::size_t rootLength = 0;
        return Judge(path, full, rootLength);
    }
    // The destination as GetFullPathNameA gives it, without a trailing backslash ("X:" for a
    // drive's root); false when it has none.
    bool NormalisedDestination(std::string& full) const;

private:
    struct Root {
        std::string path;    // normalised, no trailing backslash (a drive root keeps "X:")
        std::wstring wide;   // the same, for comparison
    };
    static bool MakeRoot(const std::string& text, Root& root);

    std::vector<Root> m_roots;  // [0] is the destination when it could be normalised
    bool m_bHasDest = false;
};

// What could not be removed: how many of the listed items, and the first of them in the log's
// order (the log itself and the uninstaller coming after every entry).
struct RemovalOutcome {
    int nLeft = 0;
    std::string firstLeft;
};

// Removes what the log lists, last entry first, then the folders inside the destination that held
// removed files (deepest first, each only when empty), then `logPath` and `programPath` (the
// uninstaller that the user started, no longer running), then the destination when empty.
// A path with a reparse point (a junction, a symbolic link, a mount point) among its folders below
// the folder it lies in is left alone, counted and named: nothing behind a link is touched. An
// entry that is itself a link to a folder is left and named too; a file that is a link goes as the
// link (DeleteFileA removes the link, not its target). The installer's own passing files go with
// what they belong to: when the log is that of a run cut off (`bCutOff`: it has no "filenum"), the
// archive ("<path>.zip") of a file it lists inside the destination, which the run may have been
// unpacking when it ended; and a new log that a run was making ("uninstall.ini.new").
// `done` counts the entries dealt with, for a progress display on another thread.
RemovalOutcome RemoveInstallation(const CRemovalScope& scope, const std::vector<LogEntry>& entries, bool bCutOff,
                                  const std::string& logPath, const std::string& programPath,
                                  std::atomic<int>& done);
