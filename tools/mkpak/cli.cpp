// mkpak's command line: commands, options and help.
#include "code_page.h"
#include "commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: mkpak COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Makes the setup directory of the installer from a product folder.\n"
    "\n"
    "Commands:\n"
    "  build PRODUCT_FOLDER SETUP_DIR   write SETUP_DIR/data.pak and the package keys of setup.ini\n"
    "  list PACKAGE                     print each entry's packed size, installed size and name\n"
    "  verify PACKAGE                   unpack every entry in memory and check its CRC; for a setup\n"
    "                                   directory also check it against its setup.exe's stamp\n"
    "  stamp SETUP_DIR                  stamp SETUP_DIR/setup.exe with the digests of the rest\n"
    "\n"
    "PACKAGE is a package file or a setup directory holding data.pak.\n"
    "Run 'mkpak COMMAND --help' for a command's options.\n"
    "Exit status: 0 done, 1 refused or damaged input, 2 wrong usage.\n";

const char kBuildUsage[] =
    "Usage: mkpak build [OPTIONS] PRODUCT_FOLDER SETUP_DIR\n"
    "\n"
    "Packs every regular file below PRODUCT_FOLDER into SETUP_DIR/data.pak, one entry per file in\n"
    "byte order of the names, each a zip archive holding the file (deflated, or stored when\n"
    "deflating does not make it smaller). Names are relative to PRODUCT_FOLDER with \"\\\" between\n"
    "levels. The same input gives the same package, byte for byte.\n"
    "\n"
    "Then sets \"totalfiles\" (the number of entries) and \"needspace\" (MiB, rounded up: every file\n"
    "in whole 4 KiB clusters plus the largest entry archive) in section [main] of\n"
    "SETUP_DIR/setup.ini, creating the file or the keys when missing; every other line stays.\n"
    "\n"
    "A file is refused, and no package written, when its name has a \"..\" component, a colon, a\n"
    "character Windows file names cannot hold (<>\"|?* or a control character), a reserved device\n"
    "name (CON, NUL, COM1, ...), a component ending in a dot or a space, more than 263 bytes, or a\n"
    "character the code page cannot hold; when it is over 4 GiB; or when Windows would take it for\n"
    "another file (names that differ only in case).\n"
    "\n"
    "Options:\n"
    "  --codepage N     the code page of names that are not plain ASCII: utf-8 for an installer\n"
    "                   built to run in UTF-8 (the default build), or the installing machines'\n"
    "                   ANSI code page for one built with SETUP_CODE_PAGE=system; by default what\n"
    "                   the installer reads (UTF-8; 1252 for a system build). The script and the\n"
    "                   uninstall log template of a UTF-8 installer must be UTF-8 too\n"
    "  --level N        deflate level, 1 (fastest) to 9 (smallest); 0 stores every file (default 6)\n"
    "  --complete       also put setup.exe, face.bmp and uninstall.ini in SETUP_DIR, and write a\n"
    "                   setup.ini with both sections when there is none; files given below are\n"
    "                   copied, a face.bmp, uninstall.ini or setup.ini already in SETUP_DIR is kept,\n"
    "                   others get mkpak's defaults; setup.exe is the installer beside mkpak or the\n"
    "                   one this project builds (build/win/setup.exe), stamped with the SHA-256\n"
    "                   digests of setup.ini, uninstall.ini, face.bmp and every entry of data.pak,\n"
    "                   which it checks before it uses any of them\n"
    "  --uninstaller    also install the uninstaller: it is packed as \"uninstall.exe\" at the top\n"
    "                   of the product, which must not have a file of that name; it is the one\n"
    "                   beside mkpak or the one this project builds (build/win/uninstall.exe); a\n"
    "                   default script then gets a Start-menu shortcut to it, and every script\n"
    "                   \"uninstaller=uninstall.exe\" in [main], by which the installer lists the\n"
    "                   product in Apps & features\n"
    "  --script FILE    the installation script to start from (copied to SETUP_DIR/setup.ini)\n"
    "  --setup-exe FILE the installer executable to copy\n"
    "  --uninstall-exe FILE\n"
    "                   the uninstaller executable to pack (implies --uninstaller)\n"
    "  --face FILE      the picture to copy as face.bmp\n"
    "  --uninstall FILE the uninstall log template to copy as uninstall.ini\n"
    "  --sign COMMAND   sign the uninstaller before it is packed and setup.exe after it is\n"
    "                   stamped, with COMMAND run through the shell (sh; cmd on Windows): \"{in}\"\n"
    "                   in it stands for the program's quoted path, \"{out}\" for a path where the\n"
    "                   command writes the signed program; without \"{in}\" the path is appended,\n"
    "                   without \"{out}\" the command signs in place. A command that fails or leaves\n"
    "                   the program unsigned stops mkpak, and SETUP_DIR stays as it was\n"
    "  -v, --verbose    show progress and the summary even when output is not a terminal\n"
    "  -q, --quiet      show nothing but problems, even on a terminal\n";

const char kStampUsage[] =
    "Usage: mkpak stamp [--sign COMMAND] SETUP_DIR\n"
    "\n"
    "Stamps SETUP_DIR/setup.exe with the SHA-256 digests of SETUP_DIR's setup.ini, uninstall.ini and\n"
    "face.bmp (or that they are absent) and of every entry of data.pak, replacing an earlier stamp;\n"
    "for a setup directory assembled or edited by hand. A signed setup.exe is refused: stamp first,\n"
    "then sign. --sign COMMAND signs it afterwards, as 'mkpak build --sign' does.\n";

const char kListUsage[] =
    "Usage: mkpak list [--codepage N] PACKAGE\n"
    "\n"
    "Prints a header line and then, for each entry in package order, its packed size (the entry\n"
    "archive), its installed size (bytes) and its name. Names are shown as UTF-8, read in code\n"
    "page N (utf-8 or a number; by default what the setup directory's installer reads, else UTF-8). A damaged entry is reported on stderr with its offset; exit status 1.\n";

const char kVerifyUsage[] =
    "Usage: mkpak verify [--codepage N] [-v|-q] PACKAGE\n"
    "\n"
    "Reads every entry as the installer will: its header, its name, its zip archive, and the first\n"
    "member, decompressed to its end with its CRC and size checked. Each damaged entry is reported\n"
    "on stderr with its name and offset, and the exit status is 1. On a terminal (or with -v) a\n"
    "sound package gets a one-line summary. When PACKAGE is a setup directory whose setup.exe is\n"
    "stamped, each input is also checked against the stamp and the first that differs is named.\n";

bool ParseNumber(const std::string& text, unsigned long maximum, unsigned long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return value <= maximum;
}

int UsageError(const std::string& message, const char* usage)
{
    std::fprintf(stderr, "mkpak: %s\n\n%s", message.c_str(), usage);
    return kExitUsage;
}

// Options shared by the commands, and the positional arguments; false after a usage error.
struct Parsed {
    std::vector<std::string> positional;
    bool bHelp = false;
};

template <typename Option>
bool Parse(const std::vector<std::string>& args, const char* usage, Option option, Parsed& parsed, int& rc)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            parsed.bHelp = true;
        } else if (a == "--") {
            parsed.positional.insert(parsed.positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            std::string value;
            std::size_t eq = a.find('=');
            std::string name = a.substr(0, eq);
            bool hasValue = eq != std::string::npos;
            if (hasValue) value = a.substr(eq + 1);
            // The option tells whether it takes a value: -1 unknown, 0 flag, 1 takes a value.
            int kind = option(name, nullptr);
            if (kind < 0) {
                rc = UsageError("unknown option " + name, usage);
                return false;
            }
            if (kind == 1 && !hasValue) {
                if (i + 1 >= args.size()) {
                    rc = UsageError(name + " needs a value", usage);
                    return false;
                }
                value = args[++i];
            }
            if (kind == 0 && hasValue) {
                rc = UsageError(name + " takes no value", usage);
                return false;
            }
            if (option(name, &value) < 0) {
                rc = UsageError("bad value for " + name + ": " + value, usage);
                return false;
            }
        } else {
            parsed.positional.push_back(a);
        }
    }
    return true;
}

// Parses a command's line: false, with the exit code in `rc`, when the command is not to run (a
// usage error, or its help shown); else its `count` positional arguments are in `parsed`.
template <typename Option>
bool ParseCommand(const std::vector<std::string>& args, const char* usage, Option option, std::size_t count,
                  const char* missing, Parsed& parsed, int& rc)
{
    if (!Parse(args, usage, option, parsed, rc)) return false;
    if (parsed.bHelp) {
        std::fputs(usage, stdout);
        rc = kExitOk;
        return false;
    }
    if (parsed.positional.size() != count) {
        rc = UsageError(missing, usage);
        return false;
    }
    return true;
}

// Handles the options of every command; -1 when `name` is not one of them.
int CommonOption(const std::string& name, const std::string* value, unsigned& codePage, Verbosity& verbosity)
{
    if (name == "--codepage") {
        unsigned long n = 0;
        if (value && (*value == "utf-8" || *value == "UTF-8")) n = kUtf8CodePage;
        else if (value && (!ParseNumber(*value, 65535, n) || !IsKnownCodePage(static_cast<unsigned>(n)))) return -1;
        if (value) codePage = static_cast<unsigned>(n);
        return 1;
    }
    if (name == "-v" || name == "--verbose" || name == "-q" || name == "--quiet") {
        if (value) verbosity = name == "-q" || name == "--quiet" ? Verbosity::kQuiet : Verbosity::kVerbose;
        return 0;
    }
    return -1;
}

// --sign COMMAND, which takes a command that is not empty.
int SignOption(const std::string* value, std::string& command)
{
    if (value && value->empty()) return -1;
    if (value) command = *value;
    return 1;
}

int Build(const std::vector<std::string>& args)
{
    BuildOptions options;
    auto option = [&](const std::string& name, const std::string* value) -> int {
        int common = CommonOption(name, value, options.nCodePage, options.verbosity);
        if (common >= 0 || name == "--codepage") return common;
        if (name == "--complete" || name == "--uninstaller") {
            if (value) (name == "--complete" ? options.bComplete : options.bUninstaller) = true;
            return 0;
        }
        if (name == "--sign") return SignOption(value, options.signCommand);
        if (name == "--level") {
            unsigned long n = 0;
            if (value && !ParseNumber(*value, 9, n)) return -1;
            if (value) options.nLevel = static_cast<int>(n);
            return 1;
        }
        fs::path* file = name == "--script"      ? &options.script
                         : name == "--setup-exe" ? &options.setupExe
                         : name == "--face"      ? &options.face
                         : name == "--uninstall" ? &options.logTemplate
                         : name == "--uninstall-exe" ? &options.uninstallExe
                                                 : nullptr;
        if (!file) return -1;
        if (value) *file = PathFromUtf8(*value);
        return 1;
    };
    Parsed parsed;
    int rc = kExitOk;
    if (!ParseCommand(args, kBuildUsage, option, 2, "build needs PRODUCT_FOLDER and SETUP_DIR", parsed, rc)) return rc;
    options.productFolder = PathFromUtf8(parsed.positional[0]);
    options.setupDir = PathFromUtf8(parsed.positional[1]);
    return RunBuild(options);
}

int Inspect(const std::vector<std::string>& args, const char* usage, int (*run)(const InspectOptions&))
{
    InspectOptions options;
    auto option = [&](const std::string& name, const std::string* value) {
        return CommonOption(name, value, options.nCodePage, options.verbosity);
    };
    Parsed parsed;
    int rc = kExitOk;
    if (!ParseCommand(args, usage, option, 1, "give one PACKAGE", parsed, rc)) return rc;
    options.package = PathFromUtf8(parsed.positional[0]);
    return run(options);
}

int Stamp(const std::vector<std::string>& args)
{
    StampOptions options;
    unsigned codePage = 0;
    auto option = [&](const std::string& name, const std::string* value) -> int {
        if (name == "--sign") return SignOption(value, options.signCommand);
        return name == "--codepage" ? -1 : CommonOption(name, value, codePage, options.verbosity);
    };
    Parsed parsed;
    int rc = kExitOk;
    if (!ParseCommand(args, kStampUsage, option, 1, "give one SETUP_DIR", parsed, rc)) return rc;
    options.setupDir = PathFromUtf8(parsed.positional[0]);
    return RunStamp(options);
}

}  // namespace

bool ShowsSummary(Verbosity verbosity)
{
    return verbosity == Verbosity::kVerbose || (verbosity == Verbosity::kAuto && IsTerminal(stdout));
}

int RunMkpak(const std::vector<std::string>& args)
{
    if (args.empty()) return UsageError("no command", kUsage);
    const std::string& command = args[0];
    if (command == "-h" || command == "--help" || command == "help") return std::fputs(kUsage, stdout), kExitOk;
    if (command == "build") return Build(args);
    if (command == "list") return Inspect(args, kListUsage, RunList);
    if (command == "verify") return Inspect(args, kVerifyUsage, RunVerify);
    if (command == "stamp") return Stamp(args);
    return UsageError("unknown command " + command, kUsage);
}
