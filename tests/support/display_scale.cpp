#include "display_scale.h"

namespace {

void SetLogPixels(HKEY root, const char* path, const DWORD* dpi)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    if (dpi) RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(dpi), sizeof *dpi);
    else RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
}

}  // namespace

CDisplayScale::CDisplayScale(DWORD dpi)
{
    for (Key& key : m_keys) {
        DWORD size = sizeof key.old;
        key.had = RegGetValueA(key.root, key.path, "LogPixels", RRF_RT_REG_DWORD, nullptr, &key.old, &size) ==
                  ERROR_SUCCESS;
        SetLogPixels(key.root, key.path, &dpi);
    }
}

CDisplayScale::~CDisplayScale()
{
    for (const Key& key : m_keys) SetLogPixels(key.root, key.path, key.had ? &key.old : nullptr);
}
