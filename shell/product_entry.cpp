#include "product_entry.h"

#include <string>
#include <utility>

#include "brand_ids.h"
#include "log_keys.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

CString BrandString(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// The same file on the same volume, whatever the spelling of its path (a short name, another
// case); false when either cannot be opened.
bool SameFile(LPCSTR a, LPCSTR b)
{
    BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
    bool known = true;
    for (auto [path, info] : {std::pair{a, &infoA}, std::pair{b, &infoB}}) {
        HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        known = known && file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, info);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    return known && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool SetString(HKEY key, LPCSTR name, const CString& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(value)),
                          static_cast<DWORD>(value.GetLength() + 1)) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, LPCSTR name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

}  // namespace

CString ProductEntryKey()
{
    const CString company = BrandString(IDS_BRAND_COMPANY);
    const CString product = BrandString(IDS_BRAND_PRODUCT);
    if (product.IsEmpty()) return CString();  // a program without its product settings names none
    std::string name = company.IsEmpty() ? std::string(product) : std::string(company) + " " + std::string(product);
    // A key's name holds no backslash.
    for (char& c : name)
        if (c == '\\') c = '-';
    return CString(kUninstallKey) + name.c_str();
}

bool RegisterProductEntry(const CString& keyPath, const ProductEntry& entry)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    SYSTEMTIME today;
    GetLocalTime(&today);
    CString date;
    date.Format("%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    const ULONGLONG kib = (entry.installedBytes + 1023) / 1024;
    bool ok = SetString(key, "DisplayName", entry.displayName);
    ok = SetString(key, "UninstallString", "\"" + entry.uninstaller + "\"") && ok;
    ok = SetString(key, "DisplayIcon", entry.uninstaller + ",0") && ok;
    ok = SetString(key, "DisplayVersion", BrandString(IDS_BRAND_VERSION)) && ok;
    ok = SetString(key, "Publisher", BrandString(IDS_BRAND_COMPANY)) && ok;
    ok = SetString(key, "InstallLocation", entry.location) && ok;
    ok = SetString(key, "InstallDate", date) && ok;
    ok = SetNumber(key, "EstimatedSize", kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(kib)) && ok;
    ok = SetNumber(key, "NoModify", 1) && ok;
    ok = SetNumber(key, "NoRepair", 1) && ok;
    RegCloseKey(key);
    return ok;
}

EntryRemoval RemoveProductEntry(const CString& loggedKey, const CString& uninstaller)
{
    if (loggedKey.IsEmpty()) return EntryRemoval::kAbsent;
    const CString own = ProductEntryKey();
    if (own.IsEmpty() || !SameFolded(static_cast<LPCSTR>(loggedKey), static_cast<LPCSTR>(own))) return EntryRemoval::kRefused;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, own, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return EntryRemoval::kAbsent;
    char command[MAX_PATH + 8] = "";
    DWORD size = sizeof command - 1;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(command), &size);
    RegCloseKey(key);
    // The installer writes the path in quotes.
    CString named = command;
    if (named.GetLength() >= 2 && named[0] == '"' && named[named.GetLength() - 1] == '"')
        named = named.Mid(1, named.GetLength() - 2);
    if (status != ERROR_SUCCESS || type != REG_SZ || !SameFile(named, uninstaller)) return EntryRemoval::kOthers;
    return RegDeleteKeyA(HKEY_CURRENT_USER, own) == ERROR_SUCCESS ? EntryRemoval::kRemoved : EntryRemoval::kFailed;
}
