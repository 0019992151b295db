#include "log_keys.h"

#include <iterator>

std::wstring Widened(std::string_view text)
{
    const int bytes = static_cast<int>(text.size());
    std::wstring wide(text.size(), L'\0');
    const int length = bytes == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), bytes);
    wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return wide;
}

std::wstring FoldName(std::string_view name)
{
    std::wstring text = Widened(name);
    if (!text.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()), text.data(),
                     static_cast<int>(text.size()));
    return text;
}

long long FileKeyNumber(const std::wstring& folded)
{
    static const wchar_t kPrefix[] = L"file";
    const std::size_t prefix = std::size(kPrefix) - 1;
    if (folded.size() <= prefix || folded.size() > prefix + 10) return -1;
    if (folded.compare(0, prefix, kPrefix) != 0) return -1;
    if (folded[prefix] == L'0' && folded.size() > prefix + 1) return -1;
    long long n = 0;
    for (std::size_t i = prefix; i < folded.size(); ++i) {
        if (folded[i] < L'0' || folded[i] > L'9') return -1;
        n = n * 10 + (folded[i] - L'0');
    }
    return n;
}

bool SameFolded(std::string_view a, std::string_view b)
{
    const std::wstring wa = Widened(a), wb = Widened(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
           CSTR_EQUAL;
}
