#include "product_scan.h"

#include "entry_names.h"
#include "pack_format.h"

#include <algorithm>
#include <map>

namespace {

std::string Quote(const std::string& s)
{
    return "\"" + s + "\"";
}

void AddFile(const fs::path& folder, const fs::directory_entry& entry, unsigned codePage, ProductScan& scan,
             std::map<std::string, std::string>& seen)
{
    fs::path relative = entry.path().lexically_relative(folder);
    std::vector<std::string> components;
    std::string display;
    for (const fs::path& part : relative) {
        components.push_back(PathToUtf8(part));
        display += (display.empty() ? "" : "/") + components.back();
    }
    ProductFile file;
    file.source = entry.path();
    file.strDisplay = display;
    std::string why;
    if (!MakeEntryName(components, codePage, file.strName, why)) {
        scan.problems.push_back(Quote(display) + ": the name " + why);
        return;
    }
    std::error_code ec;
    file.nSize = entry.file_size(ec);
    if (ec) {
        scan.problems.push_back(Quote(display) + ": " + ec.message());
        return;
    }
    // The whole entry archive must fit the 32-bit size field; a file beyond that cannot, whatever
    // it compresses to, since an entry stores what does not compress.
    if (file.nSize > kPackMaxEntrySize) {
        scan.problems.push_back(Quote(display) + ": " + std::to_string(file.nSize) +
                                " bytes is more than a package entry holds (4 GiB)");
        return;
    }
    auto inserted = seen.emplace(FoldEntryName(display), display);
    if (!inserted.second) {
        scan.problems.push_back(Quote(display) + ": Windows takes it for the same file as " +
                                Quote(inserted.first->second));
        return;
    }
    scan.nTotalBytes += file.nSize;
    scan.files.push_back(std::move(file));
}

}  // namespace

ProductScan ScanProductFolder(const fs::path& folder, unsigned codePage)
{
    ProductScan scan;
    std::map<std::string, std::string> seen;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) {
        scan.problems.push_back(Quote(PathToUtf8(folder)) + ": " + ec.message());
        return scan;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        const fs::directory_entry& entry = *it;
        if (entry.is_regular_file(ec)) {
            AddFile(folder, entry, codePage, scan, seen);
        } else if (!entry.is_directory(ec)) {
            scan.skipped.push_back(PathToUtf8(entry.path().lexically_relative(folder)));
        }
    }
    if (ec) scan.problems.push_back(Quote(PathToUtf8(folder)) + ": " + ec.message());
    std::sort(scan.files.begin(), scan.files.end(),
              [](const ProductFile& a, const ProductFile& b) { return a.strName < b.strName; });
    return scan;
}
