// Reads a saved shortcut back through the shell's own link object, and the fields that Wine's
// IShellLinkA does not report faithfully from the file's fixed header.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>

struct LinkContents {
    bool loaded = false;  // IPersistFile::Load succeeded and the header could be read
    std::string target;
    std::string arguments;
    std::string workingDir;
    std::string description;
    std::string iconPath;
    // From the header (Wine's IShellLinkA reports show command 1 whatever the file holds).
    int iconIndex = -1;
    int showCmd = -1;
    WORD hotkey = 0xFFFF;
};

LinkContents ReadLink(const std::string& path);

bool operator==(const LinkContents& a, const LinkContents& b);
std::ostream& operator<<(std::ostream& out, const LinkContents& link);

// What CreateShortcut saves: the target is also the icon (index 0), a normal window, no hot key.
LinkContents CreatedLink(const std::string& target, const std::string& arguments,
                         const std::string& workingDir, const std::string& description);
