// mkpak list and mkpak verify: what a package holds, and whether the installer can unpack it.
#include "code_page.h"
#include "commands.h"
#include "pack_reader.h"
#include "setup_names.h"
#include "text_code_page.h"

#include <cstdio>

namespace {

fs::path PackagePath(const fs::path& given)
{
    std::error_code ec;
    return fs::is_directory(given, ec) ? given / SetupFile::kPackage : given;
}

void ReportFault(const fs::path& package, const PackEntryInfo& entry, unsigned codePage)
{
    std::string name = entry.strName.empty() ? std::string() : " \"" + ConvertFromCodePage(entry.strName, codePage) + "\"";
    std::fprintf(stderr, "mkpak: %s: damaged entry%s at offset %llu: %s\n", PathToUtf8(package).c_str(), name.c_str(),
                 static_cast<unsigned long long>(entry.nOffset), entry.strFault.c_str());
}

// The code page names are shown from: the one given, else the one the setup directory's installer
// reads names in.
unsigned NamesCodePage(const InspectOptions& options)
{
    if (options.nCodePage != 0) return options.nCodePage;
    std::error_code ec;
    const fs::path installer = fs::is_directory(options.package, ec) && fs::exists(options.package / SetupFile::kInstaller, ec)
                                   ? options.package / SetupFile::kInstaller
                                   : fs::path();
    unsigned codePage = 0;
    std::string ignored;
    ChooseNameCodePage(0, ReadInstallerCodePage(installer), installer, codePage, ignored);
    return codePage;
}

// Walks every entry, reporting the damaged ones; `each` sees every entry. Returns the exit code.
template <typename Each>
int WalkPackage(const InspectOptions& options, unsigned codePage, bool verify, Each each, std::uint64_t& count,
                std::uint64_t& damaged)
{
    fs::path package = PackagePath(options.package);
    CPackReader reader;
    if (!reader.Open(package)) {
        std::fprintf(stderr, "mkpak: cannot open \"%s\"\n", PathToUtf8(package).c_str());
        return kExitFailed;
    }
    PackEntryInfo entry;
    count = damaged = 0;
    while (reader.ReadNext(verify, entry)) {
        ++count;
        if (!entry.strFault.empty()) {
            ++damaged;
            ReportFault(package, entry, codePage);
        }
        each(entry);
    }
    return damaged ? kExitFailed : kExitOk;
}

}  // namespace

int RunList(const InspectOptions& options)
{
    bool header = false;
    std::uint64_t count = 0, damaged = 0;
    const unsigned codePage = NamesCodePage(options);
    return WalkPackage(
        options, codePage, false,
        [&](const PackEntryInfo& entry) {
            if (!header) std::printf("%12s %12s  %s\n", "packed", "installed", "name");
            header = true;
            if (!entry.strFault.empty()) return;
            std::printf("%12llu %12llu  %s\n", static_cast<unsigned long long>(entry.nPackedSize),
                        static_cast<unsigned long long>(entry.nInstalledSize),
                        ConvertFromCodePage(entry.strName, codePage).c_str());
        },
        count, damaged);
}

int RunVerify(const InspectOptions& options)
{
    std::uint64_t count = 0, damaged = 0, installed = 0;
    int rc = WalkPackage(
        options, NamesCodePage(options), true, [&](const PackEntryInfo& entry) { installed += entry.nInstalledSize; }, count, damaged);
    fs::path package = PackagePath(options.package);
    if (damaged)
        std::fprintf(stderr, "mkpak: %s is damaged: %llu of %llu entries\n", PathToUtf8(package).c_str(),
                     static_cast<unsigned long long>(damaged), static_cast<unsigned long long>(count));
    else if (rc == kExitOk && ShowsSummary(options.verbosity))
        std::printf("%s: %llu entries verified, %llu bytes installed\n", PathToUtf8(package).c_str(),
                    static_cast<unsigned long long>(count), static_cast<unsigned long long>(installed));
    std::error_code ec;
    if (fs::is_directory(options.package, ec)) {
        const int stamped = VerifyStamp(options.package, options.verbosity);
        if (rc == kExitOk) rc = stamped;
    }
    return rc;
}
