// The product's entry in Apps & features: a key of its own below the current user's
// "Software\Microsoft\Windows\CurrentVersion\Uninstall", named after the build's company and
// product, so that installing the same product again replaces its entry and two products never
// share one.
#pragma once

#include <windows.h>

#include "afxstr.h"

// The root the entry's key lies below, as messages name it.
constexpr char kEntryRootName[] = "HKEY_CURRENT_USER\\";

// The entry's key below HKEY_CURRENT_USER, from the program's own product settings; empty when the
// program has none (then no entry is made or removed).
CString ProductEntryKey();

struct ProductEntry {
    CString displayName;   // the name the uninstaller shows
    CString uninstaller;   // the installed uninstaller's path
    CString location;      // the destination, without a trailing backslash
    ULONGLONG installedBytes = 0;
};

// Creates or replaces the entry at `key`: DisplayName, UninstallString (the uninstaller, quoted),
// DisplayIcon, DisplayVersion and Publisher (the build's version and company), InstallLocation,
// InstallDate (YYYYMMDD), EstimatedSize (KiB), NoModify and NoRepair. False when any of it could
// not be written.
bool RegisterProductEntry(const CString& key, const ProductEntry& entry);

enum class EntryRemoval {
    kRemoved,  // it was this uninstaller's, and is gone
    kAbsent,   // no entry (none was logged, or it is gone already)
    kOthers,   // it names another copy of the uninstaller, installed since: it stays
    kRefused,  // the log names some other key: nothing is touched
    kFailed,   // it could not be deleted
};

// Removes the logged entry `loggedKey` (below HKEY_CURRENT_USER) when it is this product's own
// key and its UninstallString names `uninstaller`.
EntryRemoval RemoveProductEntry(const CString& loggedKey, const CString& uninstaller);
