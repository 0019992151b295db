// mkpak build: a product folder becomes a setup directory.
#include "code_page.h"
#include "commands.h"
#include "entry_names.h"
#include "file_bytes.h"
#include "pack_writer.h"
#include "product_scan.h"
#include "report.h"
#include "setup_defaults.h"
#include "setup_names.h"
#include "setup_script.h"
#include "text_code_page.h"
#include "signing.h"
#include "stamp.h"
#include "staging.h"

#include <algorithm>
#include <cstdio>

#ifndef MKPAK_DEFAULT_SETUP_EXE
#define MKPAK_DEFAULT_SETUP_EXE ""
#endif
#ifndef MKPAK_DEFAULT_UNINSTALL_EXE
#define MKPAK_DEFAULT_UNINSTALL_EXE ""
#endif

namespace {

bool IsInside(const fs::path& inner, const fs::path& outer)
{
    std::error_code ec;
    fs::path a = fs::weakly_canonical(inner, ec), b = fs::weakly_canonical(outer, ec);
    auto mismatch = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return mismatch.first == b.end();
}

// The installer (or uninstaller) to put in the setup directory (or the package): the one given,
// else one beside mkpak, else the one this build of mkpak was told the project builds.
fs::path FindProgram(const fs::path& given, const char* name, const char* built, std::string& looked)
{
    if (!given.empty()) return given;
    std::vector<fs::path> candidates;
    fs::path own = GetExecutableDir();
    if (!own.empty()) candidates.push_back(own / name);
    if (*built) candidates.push_back(PathFromUtf8(built));
    for (const fs::path& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
        looked += (looked.empty() ? "" : ", ") + Quote(candidate);
    }
    return fs::path();
}

// A name for the default script: the product folder's name, if the code page can hold it.
std::string ProductName(const BuildOptions& options)
{
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(options.productFolder, ec);
    std::string name;
    if (!ConvertToCodePage(PathToUtf8(folder.filename()), options.nCodePage, name) || name.empty() ||
        name.find_first_of("\\/:") != std::string::npos)
        name = "Product";
    return name;
}

// The one program at the top of the product folder, if there is exactly one.
std::string SingleTopLevelProgram(const std::vector<ProductFile>& files)
{
    std::string found;
    for (const ProductFile& file : files) {
        const std::string& n = file.strName;
        bool program = n.find('\\') == std::string::npos && n.size() > 4 &&
                       FoldEntryName(n.substr(n.size() - 4)) == ".exe";
        if (!program) continue;
        if (!found.empty()) return std::string();
        found = n;
    }
    return found;
}

// Adds the uninstaller to the scanned product as the file "uninstall.exe" at its top, in the
// package's order; the reason when it cannot be (empty when added).
std::string AddUninstaller(const fs::path& program, ProductScan& scan)
{
    const std::string folded = FoldEntryName(SetupFile::kUninstaller);
    for (const ProductFile& file : scan.files)
        if (FoldEntryName(file.strDisplay) == folded)
            return "the product folder has a file \"" + file.strDisplay +
                   "\" of its own, where --uninstaller would put the uninstaller";
    ProductFile file;
    file.source = program;
    file.strName = SetupFile::kUninstaller;
    file.strDisplay = SetupFile::kUninstaller;
    std::error_code ec;
    file.nSize = fs::file_size(program, ec);
    if (ec) return "cannot read " + Quote(program) + ": " + ec.message();
    scan.nTotalBytes += file.nSize;
    auto at = std::upper_bound(scan.files.begin(), scan.files.end(), file,
                               [](const ProductFile& a, const ProductFile& b) { return a.strName < b.strName; });
    scan.files.insert(at, std::move(file));
    return std::string();
}

struct PackSummary {
    std::uint64_t nPacked = 0, nLargestArchive = 0, nStored = 0;
};

bool WritePackage(const BuildOptions& options, const ProductScan& scan, CStaging& staging, PackSummary& summary)
{
    CProgress::Mode mode = !ShowsSummary(options.verbosity) ? CProgress::Mode::kOff
                           : IsTerminal(stdout)             ? CProgress::Mode::kTerminal
                                                            : CProgress::Mode::kLines;
    CProgress progress(mode, stdout);
    progress.Start(scan.files.size(), scan.nTotalBytes);
    CPackWriter writer(options.nLevel);
    bool ok = writer.Create(options.setupDir / SetupFile::kPackage);  // staged as data.pak.partial
    for (const ProductFile& file : scan.files) {
        PackedEntry packed;
        if (!ok || !(ok = writer.AddFile(file, progress, packed))) break;
        summary.nPacked += packed.nPackedSize;
        summary.nLargestArchive = std::max(summary.nLargestArchive, packed.nPackedSize);
        summary.nStored += packed.bStored;
    }
    ok = ok && writer.Complete();
    progress.Finish();
    if (!ok) return Refuse(writer.Error() + "; no package written"), false;
    writer.Release();
    staging.Add(SetupFile::kPackage);
    return true;
}

// Stages a copy of `given`; else, for a complete setup directory, `fallback` when there is no
// such file yet. A file already there stays.
bool PlaceFile(const fs::path& given, const std::string& name, const std::string& fallback, bool complete,
               const fs::path& dir, CStaging& staging)
{
    std::error_code ec;
    const fs::path target = dir / name;
    if (!given.empty()) {
        if (fs::exists(target, ec) && fs::equivalent(given, target, ec)) return true;
        std::string bytes;
        if (ReadFileBytes(given, bytes) && staging.Write(name, bytes)) return true;
        Refuse("cannot copy " + Quote(given) + " to " + Quote(target));
        return false;
    }
    if (!complete || fallback.empty() || fs::exists(target, ec)) return true;
    if (staging.Write(name, fallback)) return true;
    Refuse("cannot write " + Quote(target));
    return false;
}

// The uninstall log template the setup directory will hold (given, or kept) is UTF-8; false, with
// the reason, when it is not. mkpak's own template is.
bool CheckUtf8Template(const BuildOptions& options, std::string& refusal)
{
    std::error_code ec;
    const fs::path path = !options.logTemplate.empty() ? options.logTemplate : options.setupDir / SetupFile::kLog;
    std::string bytes;
    if (!fs::exists(path, ec) || !ReadFileBytes(path, bytes)) return true;
    return CheckUtf8Text(bytes, "the uninstall log template " + Quote(path), refusal);
}

// The setup directory's input as the installer will find it: the new file, else the one there.
fs::path InputPath(const fs::path& dir, const std::string& name, const CStaging& staging)
{
    return staging.Has(name) ? staging.PathOf(name) : dir / name;
}

// Stages the installer, stamped with the digests of the staged and kept inputs (always for a
// complete setup directory), then signed when a signing command is given.
bool PlaceInstaller(const BuildOptions& options, const fs::path& program, CStaging& staging)
{
    const fs::path& dir = options.setupDir;
    const StampInputs inputs{InputPath(dir, SetupFile::kScript, staging), InputPath(dir, SetupFile::kLog, staging),
                             InputPath(dir, SetupFile::kPicture, staging), InputPath(dir, SetupFile::kPackage, staging)};
    std::string error;
    SetupStamp stamped;
    if (!StageInstaller(program, inputs, options.bComplete, options.signCommand, staging, stamped, error))
        return Refuse(error + "; nothing written"), false;
    return true;
}

// A signed copy of the uninstaller takes the original's place in the package.
bool SignUninstaller(const BuildOptions& options, ProductScan& scan, CStaging& staging)
{
    for (ProductFile& file : scan.files) {
        if (file.strName != SetupFile::kUninstaller) continue;
        const fs::path copy = staging.Scratch(SetupFile::kUninstaller);
        std::string bytes, error;
        if (!ReadFileBytes(file.source, bytes) || !WriteFileBytes(copy, bytes))
            return Refuse("cannot copy " + Quote(file.source) + " to " + Quote(copy)), false;
        if (!SignProgram(options.signCommand, copy, error)) return Refuse(error + "; nothing written"), false;
        std::error_code ec;
        const std::uint64_t size = fs::file_size(copy, ec);
        if (ec) return Refuse("cannot read " + Quote(copy)), false;
        scan.nTotalBytes += size - file.nSize;
        file.source = copy;
        file.nSize = size;
    }
    return true;
}

// Whether the setup directory holds a setup.exe with a stamp (sound or not).
bool HasStampedInstaller(const fs::path& dir)
{
    std::string image;
    std::error_code ec;
    return fs::is_regular_file(dir / SetupFile::kInstaller, ec) && ReadFileBytes(dir / SetupFile::kInstaller, image) &&
           IsStamped(image);
}

// Removes the setup directory that this run made, when a failed run leaves it empty.
class MadeFolder {
public:
    explicit MadeFolder(const fs::path& dir) : m_dir(dir), m_bExisted(fs::exists(dir, m_ec)) {}
    ~MadeFolder()
    {
        if (!m_bExisted && !m_bKeep) fs::remove(m_dir, m_ec);
    }
    void Keep() { m_bKeep = true; }

private:
    fs::path m_dir;
    std::error_code m_ec;
    bool m_bExisted, m_bKeep = false;
};

}  // namespace

int RunBuild(const BuildOptions& options)
{
    std::error_code ec;
    if (!fs::is_directory(options.productFolder, ec)) return Refuse(Quote(options.productFolder) + " is no folder");
    if (fs::exists(options.setupDir, ec) && !fs::is_directory(options.setupDir, ec))
        return Refuse(Quote(options.setupDir) + " is no folder");
    if (IsInside(options.setupDir, options.productFolder))
        return Refuse("the setup directory " + Quote(options.setupDir) + " lies inside the product folder " +
                      Quote(options.productFolder) + ": the package would hold itself");
    for (const fs::path& given : {options.script, options.setupExe, options.face, options.logTemplate, options.uninstallExe})
        if (!given.empty() && !fs::is_regular_file(given, ec)) return Refuse(Quote(given) + " is no file");
    fs::path setupExe;
    if (options.bComplete || !options.setupExe.empty()) {
        std::string looked;
        setupExe = FindProgram(options.setupExe, SetupFile::kInstaller, MKPAK_DEFAULT_SETUP_EXE, looked);
        if (setupExe.empty())
            return Refuse("no setup.exe to put in the setup directory (looked for " + looked +
                          "): build the installer first, or name one with --setup-exe PATH");
    } else if (HasStampedInstaller(options.setupDir)) {
        setupExe = options.setupDir / SetupFile::kInstaller;  // kept, and stamped anew
    }
    // Names, script and template in the code page the installer (the one put in place, else the one
    // kept) reads them in.
    const fs::path kept = options.setupDir / SetupFile::kInstaller;
    const fs::path installer = !setupExe.empty() ? setupExe : fs::exists(kept, ec) ? kept : fs::path();
    const InstallerCodePage installerCodePage = ReadInstallerCodePage(installer);
    BuildOptions effective = options;
    std::string refusal;
    if (!ChooseNameCodePage(options.nCodePage, installerCodePage, installer, effective.nCodePage, refusal))
        return Refuse(refusal);
    fs::path uninstallExe;
    if (options.bUninstaller || !options.uninstallExe.empty()) {
        std::string looked;
        uninstallExe = FindProgram(options.uninstallExe, SetupFile::kUninstaller, MKPAK_DEFAULT_UNINSTALL_EXE, looked);
        if (uninstallExe.empty())
            return Refuse("no uninstall.exe to pack (looked for " + looked +
                          "): build the uninstaller first, or name one with --uninstall-exe PATH");
    }

    // The uninstaller reads the log, which the installer writes, in its own code page.
    if (installerCodePage != InstallerCodePage::kUnknown && !uninstallExe.empty() &&
        installerCodePage != ReadInstallerCodePage(uninstallExe))
        return Refuse("the installer " + Quote(installer) + " and the uninstaller " + Quote(uninstallExe) +
                      " are built for different code pages (SETUP_CODE_PAGE): they would read each other's names "
                      "differently");
    ProductScan scan = ScanProductFolder(options.productFolder, effective.nCodePage);
    for (const std::string& skipped : scan.skipped)
        std::fprintf(stderr, "mkpak: \"%s\" is not a regular file; left out\n", skipped.c_str());
    if (!scan.problems.empty()) {
        for (const std::string& problem : scan.problems) std::fprintf(stderr, "mkpak: %s\n", problem.c_str());
        return Refuse(std::to_string(scan.problems.size()) + " file(s) refused; no package written");
    }
    // The product's own program, for a default script, before the uninstaller joins it.
    const std::string launch = SingleTopLevelProgram(scan.files);
    if (!uninstallExe.empty()) {
        const std::string refusal = AddUninstaller(uninstallExe, scan);
        if (!refusal.empty()) return Refuse(refusal + "; no package written");
    }

    MadeFolder made(options.setupDir);
    fs::create_directories(options.setupDir, ec);
    if (ec) return Refuse("cannot create " + Quote(options.setupDir) + ": " + ec.message());
    CStaging staging(options.setupDir);  // removes every file of a run that fails
    if (!uninstallExe.empty() && !options.signCommand.empty() && !SignUninstaller(options, scan, staging))
        return kExitFailed;
    PackSummary packed;
    if (!WritePackage(options, scan, staging, packed)) return kExitFailed;

    std::vector<std::uint64_t> sizes;
    for (const ProductFile& file : scan.files) sizes.push_back(file.nSize);
    std::uint64_t needSpace = ComputeNeedSpaceMiB(sizes, packed.nLargestArchive);
    fs::path scriptPath = options.setupDir / SetupFile::kScript;
    std::string script;
    if (!options.script.empty()) {
        if (!ReadFileBytes(options.script, script)) return Refuse("cannot read " + Quote(options.script));
    } else if (fs::exists(scriptPath, ec)) {
        if (!ReadFileBytes(scriptPath, script)) return Refuse("cannot read " + Quote(scriptPath));
    } else if (options.bComplete) {
        script = MakeDefaultScript(ProductName(effective), launch, !uninstallExe.empty());
    }
    if (effective.nCodePage == kUtf8CodePage &&
        (!CheckUtf8Text(script, "the script", refusal) || !CheckUtf8Template(options, refusal)))
        return Refuse(refusal + "; no package written");
    script = SetIniKeys(script, Script::kTotalFiles.section, MakePackageKeys(scan.files.size(), needSpace));
    // The installer lists a product that ships its uninstaller in Apps & features.
    if (!uninstallExe.empty())
        script = SetIniKeys(script, Script::kUninstaller.section, {{Script::kUninstaller.key, SetupFile::kUninstaller}});
    if (!staging.Write(SetupFile::kScript, script)) return Refuse("cannot write " + Quote(scriptPath));

    if (!PlaceFile(options.face, SetupFile::kPicture, MakeDefaultFace(), options.bComplete, options.setupDir, staging) ||
        !PlaceFile(options.logTemplate, SetupFile::kLog, MakeDefaultLogTemplate(), options.bComplete, options.setupDir,
                   staging) ||
        (!setupExe.empty() && !PlaceInstaller(options, setupExe, staging)))
        return kExitFailed;
    std::string failed;
    if (!staging.Commit(failed)) return Refuse("cannot write " + Quote(options.setupDir / failed));
    made.Keep();

    if (ShowsSummary(options.verbosity)) {
        char installed[32], packedSize[32];
        FormatSize(scan.nTotalBytes, installed, sizeof installed);
        FormatSize(packed.nPacked, packedSize, sizeof packedSize);
        std::printf("%s: %zu files, %s installed, %s packed (%llu stored)\n",
                    PathToUtf8(options.setupDir / SetupFile::kPackage).c_str(), scan.files.size(), installed, packedSize,
                    static_cast<unsigned long long>(packed.nStored));
        std::printf("%s: totalfiles=%zu needspace=%llu\n", PathToUtf8(scriptPath).c_str(), scan.files.size(),
                    static_cast<unsigned long long>(needSpace));
    }
    return kExitOk;
}
