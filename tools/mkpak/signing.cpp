#include "signing.h"

#include "file_bytes.h"
#include "pe_image.h"

namespace {

// Replaces "{in}" and "{out}" in one pass, so that a path holding either is taken as it is.
std::string Substitute(const std::string& text, const std::string& in, const std::string& out)
{
    std::string result;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 4, "{in}") == 0) {
            result += in;
            at += 4;
        } else if (text.compare(at, 5, "{out}") == 0) {
            result += out;
            at += 5;
        } else {
            result += text[at++];
        }
    }
    return result;
}

bool IsSignedProgram(const fs::path& file)
{
    std::string image;
    PeLayout layout;
    return ReadFileBytes(file, image) &&
           ReadPeLayout(reinterpret_cast<const unsigned char*>(image.data()), std::min(image.size(), kPeHeadSize),
                        layout) &&
           layout.IsSigned() && std::uint64_t(layout.nCertificateOffset) + layout.nCertificateSize <= image.size();
}

}  // namespace

bool SignProgram(const std::string& command, const fs::path& file, std::string& error)
{
    fs::path signedFile = file;
    signedFile += ".signed";
    std::error_code ec;
    fs::remove(signedFile, ec);
    const bool inPlace = command.find("{out}") == std::string::npos;
    std::string line = command;
    if (line.find("{in}") == std::string::npos) line += " {in}";
#ifdef _WIN32
    // cmd expands %NAME% even between quotes: such a path would name another file.
    if (PathToUtf8(file).find('%') != std::string::npos)
        return error = "cannot sign \"" + PathToUtf8(file) + "\" through cmd: its path holds a \"%\"", false;
#endif
    line = Substitute(line, QuoteForShell(file), QuoteForShell(signedFile));
    const int status = RunShellCommand(line);
    std::string shown = PathToUtf8(file.filename());
    const std::string staged = ".partial";  // a setup directory's file before it takes its name
    if (shown.size() > staged.size() && shown.compare(shown.size() - staged.size(), staged.size(), staged) == 0)
        shown.resize(shown.size() - staged.size());
    const std::string name = "\"" + shown + "\"";
    if (status != 0) {
        fs::remove(signedFile, ec);
        error = "the signing command failed on " + name +
                (status < 0 ? std::string(": it could not be run") : " with exit status " + std::to_string(status));
        return false;
    }
    if (!inPlace && !RenameOver(signedFile, file)) {
        fs::remove(signedFile, ec);
        return error = "the signing command wrote no signed program for " + name, false;
    }
    if (!IsSignedProgram(file)) return error = "the signing command left " + name + " unsigned", false;
    return true;
}
