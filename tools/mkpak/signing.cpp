#include "signing.h"

#include "file_bytes.h"
#include "pe_image.h"

namespace {

std::string Substitute(std::string text, const std::string& placeholder, const std::string& value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
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
    line = Substitute(Substitute(line, "{in}", QuoteForShell(file)), "{out}", QuoteForShell(signedFile));
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
