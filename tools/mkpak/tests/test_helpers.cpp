#include "test_helpers.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unzip.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "mkpak-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_path = made ? fs::path(made) : fs::path();
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty()) fs::remove_all(m_path, ec);
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string MinimalProgram(const std::string& tag, std::uint32_t signedAt, std::uint32_t signedSize)
{
    std::string image(0x40 + 24 + 240, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
    };
    image[0] = 'M';
    image[1] = 'Z';
    put(0x3C, 0x40, 4);
    image.replace(0x40, 4, std::string("PE\0\0", 4));
    put(0x44, 0x8664, 2);          // the machine
    put(0x54, 240, 2);             // the optional header's size
    const std::size_t optional = 0x58;
    put(optional, 0x20B, 2);       // PE32+
    put(optional + 108, 16, 4);    // data directories
    put(optional + 112 + 4 * 8, signedAt, 4);
    put(optional + 112 + 4 * 8 + 4, signedSize, 4);
    return image + tag;
}

std::string NoiseBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

RunResult RunMkpakExe(const std::vector<std::string>& args)
{
    RunResult result;
    TempDir capture;
    fs::path out = capture / "out", err = capture / "err";
    pid_t pid = fork();
    if (pid == 0) {
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>(MKPAK_EXE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(MKPAK_EXE, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.nMaxRssKiB = usage.ru_maxrss;
    result.strOut = ReadFile(out);
    result.strErr = ReadFile(err);
    return result;
}

std::vector<RawEntry> SplitPackage(const std::string& package)
{
    std::vector<RawEntry> entries;
    std::size_t pos = 0;
    while (package.size() - pos >= 268) {
        RawEntry e;
        e.nOffset = pos;
        const char* field = package.data() + pos;
        std::size_t length = strnlen(field, 264);
        e.strName.assign(field, length);
        for (std::size_t i = length; i < 264; ++i) e.bPaddedWithNul &= field[i] == '\0';
        const auto* size = reinterpret_cast<const unsigned char*>(field + 264);
        e.nSize = size[0] | size[1] << 8 | size[2] << 16 | static_cast<std::uint32_t>(size[3]) << 24;
        e.strData = package.substr(pos + 268, e.nSize);
        pos += 268 + e.nSize;
        entries.push_back(e);
    }
    return entries;
}

ZipMember UnzipFirstMember(const std::string& archive, const fs::path& scratch)
{
    ZipMember member;
    fs::path path = scratch / "entry.zip";
    WriteFile(path, archive);
    unzFile zip = unzOpen(path.c_str());
    if (!zip) return member;
    unz_global_info global;
    if (unzGetGlobalInfo(zip, &global) == UNZ_OK) member.nMembers = static_cast<int>(global.number_entry);
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
        unzOpenCurrentFile(zip) == UNZ_OK) {
        member.nMethod = static_cast<int>(info.compression_method);
        member.nDosDate = info.dosDate;
        char buffer[16384];
        int n;
        while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) member.strContent.append(buffer, n);
        member.bOk = n == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
    }
    unzClose(zip);
    return member;
}
