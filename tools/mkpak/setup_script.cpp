#include "setup_script.h"

#include "profile_line.h"
#include "setup_names.h"

#include <cstdint>

namespace {

struct Line {
    std::size_t begin, end;  // the line's text, without its ending
    std::size_t next;        // the start of the following line
};

// Lines end where the profile functions end them; a CR LF pair is kept together as one ending.
std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = ProfileLineEnd(text.data(), pos, text.size());
        std::size_t next = end;
        if (next < text.size() && text[next] == '\r') ++next;
        if (next < text.size() && text[next] == '\n') ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// The line `line` of `text`, classified, with its name.
struct ParsedLine {
    ProfileLine parsed;
    std::string name;
};

ParsedLine Parse(const std::string& text, const Line& line)
{
    ParsedLine result;
    result.parsed = ClassifyProfileLine(text.data() + line.begin, line.end - line.begin);
    result.name = text.substr(line.begin + result.parsed.nameBegin,
                              result.parsed.nameEnd - result.parsed.nameBegin);
    return result;
}

}  // namespace

std::string SetIniKeys(const std::string& text, const std::string& section, const IniKeys& keys)
{
    // A UTF-8 byte-order mark stays where it is, before the first line, which the installer reads
    // without it.
    const std::string mark(kUtf8ByteOrderMark);
    if (text.compare(0, mark.size(), mark) == 0) return mark + SetIniKeys(text.substr(mark.size()), section, keys);
    std::vector<Line> lines = SplitLines(text);
    std::string eol = "\r\n";
    if (!lines.empty() && lines[0].next > lines[0].end) eol = text.substr(lines[0].end, lines[0].next - lines[0].end);

    // Locate the first section of that name: its header line and its last non-blank line.
    std::size_t header = lines.size(), last = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ParsedLine line = Parse(text, lines[i]);
        if (line.parsed.kind == ProfileLineKind::kSection) {
            if (header != lines.size()) break;
            if (SameProfileName(line.name, section)) header = last = i;
        } else if (header != lines.size() && line.parsed.kind != ProfileLineKind::kBlank) {
            last = i;
        }
    }

    std::vector<std::string> replaced(lines.size());
    std::vector<bool> isReplaced(lines.size(), false);
    std::string added;
    for (const auto& key : keys) {
        bool found = false;
        for (std::size_t i = header + 1; header != lines.size() && i <= last && !found; ++i) {
            ParsedLine parsed = Parse(text, lines[i]);
            if (parsed.parsed.kind != ProfileLineKind::kKey || !SameProfileName(parsed.name, key.first)) continue;
            std::string line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
            std::size_t eq = line.find('=');
            // A bare name is the key with an empty value.
            replaced[i] = eq == std::string::npos ? line + "=" + key.second : line.substr(0, eq + 1) + key.second;
            isReplaced[i] = found = true;
        }
        if (!found) added += key.first + "=" + key.second + eol;
    }

    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isReplaced[i]) out += replaced[i] + text.substr(lines[i].end, lines[i].next - lines[i].end);
        else out += text.substr(lines[i].begin, lines[i].next - lines[i].begin);
        if (i == last && !added.empty()) {
            if (lines[i].next == lines[i].end) out += eol;  // the last line had no ending
            out += added;
        }
    }
    if (header == lines.size()) {
        if (!out.empty() && out.back() != '\n') out += eol;
        out += "[" + section + "]" + eol + added;
    }
    return out;
}

IniKeys MakePackageKeys(std::uint64_t totalFiles, std::uint64_t needSpaceMiB)
{
    return {{Script::kTotalFiles.key, std::to_string(totalFiles)},
            {Script::kNeedSpace.key, std::to_string(needSpaceMiB)}};
}

std::uint64_t ComputeNeedSpaceMiB(const std::vector<std::uint64_t>& fileSizes, std::uint64_t largestArchive)
{
    constexpr std::uint64_t kCluster = 4096, kMiB = 1024 * 1024;
    std::uint64_t bytes = largestArchive;
    for (std::uint64_t size : fileSizes) bytes += (size + kCluster - 1) / kCluster * kCluster;
    return (bytes + kMiB - 1) / kMiB;
}
