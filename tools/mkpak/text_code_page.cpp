#include "text_code_page.h"

#include "code_page.h"
#include "file_bytes.h"
#include "manifest_code_page.h"
#include "report.h"

namespace {

constexpr unsigned kLegacyDefault = 1252;

}  // namespace

InstallerCodePage ReadInstallerCodePage(const fs::path& setupExe)
{
    std::string bytes;
    if (setupExe.empty() || !ReadFileBytes(setupExe, bytes)) return InstallerCodePage::kUnknown;
    return DeclaresUtf8CodePage(bytes) ? InstallerCodePage::kUtf8 : InstallerCodePage::kSystem;
}

bool ChooseNameCodePage(unsigned given, InstallerCodePage installer, const fs::path& setupExe, unsigned& codePage,
                        std::string& refusal)
{
    if (given == 0) {
        codePage = installer == InstallerCodePage::kSystem ? kLegacyDefault : kUtf8CodePage;
        return true;
    }
    codePage = given;
    if (installer == InstallerCodePage::kUtf8 && given != kUtf8CodePage) {
        refusal = "the installer " + Quote(setupExe) + " runs in UTF-8 and reads names as UTF-8: leave out --codepage";
        return false;
    }
    if (installer == InstallerCodePage::kSystem && given == kUtf8CodePage) {
        refusal = "the installer " + Quote(setupExe) +
                  " runs in the machine's code page (built with SETUP_CODE_PAGE=system): give that code page "
                  "with --codepage N";
        return false;
    }
    return true;
}

bool CheckUtf8Text(const std::string& text, const std::string& what, std::string& refusal)
{
    std::size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (!IsUtf8(text.substr(start, end - start))) {
            refusal = what + " is not UTF-8 at line " + std::to_string(line) +
                      ": the installer reads it as UTF-8; save it as UTF-8 (iconv -f CODEPAGE -t UTF-8 converts it)";
            return false;
        }
        start = end + 1;
    }
    return true;
}
