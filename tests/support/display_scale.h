// The display's scale that Wine gives the programs started from now on: it reads its LogPixels
// at a program's start.
#pragma once

#include <windows.h>

// Sets the scale while it lives, and puts back what was there when it goes.
class CDisplayScale {
public:
    explicit CDisplayScale(DWORD dpi);
    ~CDisplayScale();
    CDisplayScale(const CDisplayScale&) = delete;
    CDisplayScale& operator=(const CDisplayScale&) = delete;

private:
    struct Key {
        HKEY root;
        const char* path;
        DWORD old = 0;
        bool had = false;
    };
    Key m_keys[2] = {{HKEY_CURRENT_USER, "Control Panel\\Desktop"}, {HKEY_CURRENT_CONFIG, "Software\\Fonts"}};
};
