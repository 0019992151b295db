#include "manifest_code_page.h"

bool DeclaresUtf8CodePage(std::string_view text)
{
    // Every element <activeCodePage ...>UTF-8</activeCodePage>; the name elsewhere (a program's
    // own strings hold it) is no element.
    static constexpr std::string_view kOpen = "<activeCodePage", kClose = "</activeCodePage>";
    for (std::size_t at = text.find(kOpen); at != std::string_view::npos; at = text.find(kOpen, at + 1)) {
        const std::size_t after = at + kOpen.size();
        if (after >= text.size() || (text[after] != '>' && text[after] != ' ')) continue;
        const std::size_t value = text.find('>', after);
        if (value == std::string_view::npos) return false;
        const std::string_view rest = text.substr(value + 1);
        for (std::string_view declared : {std::string_view("UTF-8"), std::string_view("utf-8")})
            if (rest.substr(0, declared.size()) == declared && rest.substr(declared.size(), kClose.size()) == kClose)
                return true;
    }
    return false;
}
