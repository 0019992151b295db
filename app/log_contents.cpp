#include "log_contents.h"

#include <algorithm>

#include "log_keys.h"
#include "profile_lines.h"
#include "setup_names.h"

namespace {

struct Found {
    int index;
    bool bHasValue;
    std::string value;
};

}  // namespace

bool ReadLogContents(LPCSTR path, LogContents& contents)
{
    contents = LogContents();
    enum class In { kOther, kFiles, kUninstall, kRegistry } in = In::kOther;
    // A "filenum" line without a value reads as missing, and hides later ones all the same.
    bool seenFiles = false, seenUninstall = false, seenRegistry = false, seenProduct = false, seenKey = false,
         seenCount = false;
    static const std::wstring kFiles = FoldName(UninstallLog::kSection);
    static const std::wstring kFileNum = FoldName(UninstallLog::kFileNum);
    static const std::wstring kUninstall = FoldName(UninstallLog::kProductSection);
    static const std::wstring kProduct = FoldName(UninstallLog::kProduct);
    static const std::wstring kRegistry = FoldName(UninstallLog::kRegistrySection);
    static const std::wstring kUninstallKey = FoldName(UninstallLog::kUninstallKey);
    long long count = 0;
    std::vector<Found> found;
    bool ordered = true;

    bool ok = WalkProfileLines(path, [&](const ProfileEntry& line) {
        const std::wstring name = FoldName(line.name);
        if (line.bSection) {
            in = In::kOther;
            if (!seenFiles && name == kFiles) {
                seenFiles = true;
                in = In::kFiles;
            } else if (!seenUninstall && name == kUninstall) {
                seenUninstall = true;
                in = In::kUninstall;
            } else if (!seenRegistry && name == kRegistry) {
                seenRegistry = true;
                in = In::kRegistry;
            }
            return true;
        }
        if (in == In::kUninstall && !seenProduct && name == kProduct) {
            seenProduct = true;
            contents.product.assign(line.value);
        } else if (in == In::kRegistry && !seenKey && name == kUninstallKey) {
            seenKey = true;
            contents.uninstallKey.assign(line.value);
        } else if (in == In::kFiles) {
            if (name == kFileNum) {
                // Only the first line of a key counts, with or without a value.
                if (!seenCount) {
                    seenCount = true;
                    contents.bHasCount = line.bHasValue;
                    count = ProfileInt(line.value);
                }
            } else {
                const long long key = FileKeyNumber(name);
                const int n = key > 0x7fffffff ? -1 : static_cast<int>(key);
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

CString ShownProductName(const std::string& logProduct, const CString& destDir)
{
    if (!logProduct.empty()) return CString(logProduct.c_str());
    const int slash = destDir.ReverseFind('\\');
    return slash < 0 ? destDir : destDir.Mid(slash + 1);
}
