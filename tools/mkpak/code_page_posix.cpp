#include "code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace {

std::string IconvName(unsigned codePage)
{
    return "CP" + std::to_string(codePage);
}

// Converts all of `in`; false when iconv stops on a sequence it cannot convert.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    bool ok = true;
    while (inLeft > 0) {
        char buffer[256];
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
        // iconv counts irreversible conversions in rc; with no //TRANSLIT there are none to
        // accept, so any is a loss.
        if (rc != static_cast<size_t>(-1) && rc > 0) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

}  // namespace

bool IsUtf8(const std::string& text)
{
    std::string wide;
    return Convert("UTF-32LE", "UTF-8", text, wide);
}

bool IsKnownCodePage(unsigned codePage)
{
    if (codePage == kUtf8CodePage) return true;
    iconv_t cd = iconv_open(IconvName(codePage).c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

bool ConvertToCodePage(const std::string& utf8, unsigned codePage, std::string& out)
{
    if (codePage == kUtf8CodePage) {
        out = utf8;
        return IsUtf8(utf8);
    }
    std::string name = IconvName(codePage), back;
    return Convert(name.c_str(), "UTF-8", utf8, out) && Convert("UTF-8", name.c_str(), out, back) &&
           back == utf8;
}

std::string ConvertFromCodePage(const std::string& bytes, unsigned codePage)
{
    std::string out, name = codePage == kUtf8CodePage ? std::string("UTF-8") : IconvName(codePage);
    if (Convert("UTF-8", name.c_str(), bytes, out)) return out;
    out.clear();
    for (unsigned char c : bytes) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}
