#include "log_contents.h"

#include <algorithm>

#include "profile_lines.h"
#include "setup_names.h"

namespace {

bool SameName(std::string_view a, const char* b)
{
    std::size_t n = 0;
    for (; b[n]; ++n) {
        if (n >= a.size()) return false;
        char c = a[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != b[n]) return false;
    }
    return n == a.size();
}

// n of a key named "file<n>", written as "%d" writes a non-negative int; -1 for any other name.
int FileKeyNumber(std::string_view name)
{
    static const char kPrefix[] = "file";
    constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
    if (name.size() <= kPrefixLength || name.size() > kPrefixLength + 10) return -1;
    if (!SameName(name.substr(0, kPrefixLength), kPrefix)) return -1;
    std::string_view digits = name.substr(kPrefixLength);
    if (digits.size() > 1 && digits.front() == '0') return -1;
    long long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n > 0x7fffffff ? -1 : static_cast<int>(n);
}

// As GetPrivateProfileIntA reads a number: an optional sign and the digits that follow; 0 when
// there are none.
long long ProfileInt(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 0x100000000LL; ++i)
        n = n * 10 + (text[i] - '0');
    return negative ? -n : n;
}

struct Found {
    int index;
    bool bHasValue;
    std::string value;
};

}  // namespace

bool ReadLogContents(LPCSTR path, LogContents& contents)
{
    contents = LogContents();
    enum class In { kOther, kFiles, kUninstall } in = In::kOther;
    // A "filenum" line without a value reads as missing, and hides later ones all the same.
    bool seenFiles = false, seenUninstall = false, seenProduct = false, seenCount = false;
    long long count = 0;
    std::vector<Found> found;
    bool ordered = true;

    bool ok = WalkProfileLines(path, [&](const ProfileEntry& line) {
        if (line.bSection) {
            in = In::kOther;
            if (!seenFiles && SameName(line.name, UninstallLog::kSection)) {
                seenFiles = true;
                in = In::kFiles;
            } else if (!seenUninstall && SameName(line.name, "uninstall")) {
                seenUninstall = true;
                in = In::kUninstall;
            }
            return true;
        }
        if (in == In::kUninstall && !seenProduct && SameName(line.name, "product")) {
            seenProduct = true;
            contents.product.assign(line.value);
        } else if (in == In::kFiles) {
            if (SameName(line.name, UninstallLog::kFileNum)) {
                // Only the first line of a key counts, with or without a value.
                if (!seenCount) {
                    seenCount = true;
                    contents.bHasCount = line.bHasValue;
                    count = ProfileInt(line.value);
                }
            } else {
                int n = FileKeyNumber(line.name);
                if (n >= 0) {
                    if (!found.empty() && n <= found.back().index) ordered = false;
                    found.push_back({n, line.bHasValue, std::string(line.value)});
                }
            }
        }
        return true;
    });
    if (!ok) return false;

    // The installer writes the keys in order; a log edited by hand may not be. The stable sort
    // keeps a key's first line ahead of its repetitions.
    if (!ordered)
        std::stable_sort(found.begin(), found.end(),
                         [](const Found& a, const Found& b) { return a.index < b.index; });
    int expected = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0 && found[i].index == found[i - 1].index) continue;  // a repeated key
        const Found& f = found[i];
        if (contents.bHasCount) {
            if (f.index >= count) break;
        } else if (f.index != expected || !f.bHasValue) {
            break;
        }
        ++expected;
        if (f.bHasValue && !f.value.empty()) contents.entries.push_back({f.index, std::move(found[i].value)});
    }
    return true;
}
