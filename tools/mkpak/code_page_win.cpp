#include "code_page.h"

#include <windows.h>

#include <string>

namespace {

bool ToWide(const std::string& bytes, UINT codePage, std::wstring& wide)
{
    wide.clear();
    if (bytes.empty()) return true;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               &wide[0], n) == n;
}

}  // namespace

bool IsUtf8(const std::string& text)
{
    std::wstring wide;
    return ToWide(text, CP_UTF8, wide);
}

bool IsKnownCodePage(unsigned codePage)
{
    return codePage != CP_UTF7 && IsValidCodePage(codePage);
}

bool ConvertToCodePage(const std::string& utf8, unsigned codePage, std::string& out)
{
    out.clear();
    std::wstring wide, back;
    if (!ToWide(utf8, CP_UTF8, wide)) return false;
    if (codePage == CP_UTF8) {
        out = utf8;
        return true;
    }
    if (wide.empty()) return true;
    // Without WC_NO_BEST_FIT_CHARS Windows quietly maps "ā" to "a"; with it, a character that has
    // no exact byte sequence becomes the default character and sets `usedDefault`.
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &out[0], n,
                        nullptr, &usedDefault);
    return !usedDefault && ToWide(out, codePage, back) && back == wide;
}

std::string ConvertFromCodePage(const std::string& bytes, unsigned codePage)
{
    std::wstring wide;
    if (!ToWide(bytes, codePage, wide)) {
        std::string shown;
        for (unsigned char c : bytes) shown += c < 0x80 ? static_cast<char>(c) : '?';
        return shown;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}
