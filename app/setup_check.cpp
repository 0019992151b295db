#include "setup_check.h"

#include "module_dir.h"
#include "pe_image.h"
#include "setup_names.h"

namespace {

bool ReadAt(HANDLE file, ULONGLONG offset, void* buffer, DWORD size)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, &at) && read == size;
}

// The inputs that the stamp lists as absent, once the check has found them so; set before any
// other thread starts, then only read.
struct {
    bool script = false, logTemplate = false, face = false;
} g_absent;

}  // namespace

bool IsStampedAbsent(LPCSTR name)
{
    if (lstrcmpiA(name, SetupFile::kScript) == 0) return g_absent.script;
    if (lstrcmpiA(name, SetupFile::kLog) == 0) return g_absent.logTemplate;
    if (lstrcmpiA(name, SetupFile::kPicture) == 0) return g_absent.face;
    return false;
}

// The stamp ends where a signature's certificate table begins, or with the file.
ProgramStamp ReadProgramStamp(LPCSTR path, SetupStamp& stamp)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ProgramStamp::kDamaged;  // a program that runs can be read
    ProgramStamp result = ProgramStamp::kDamaged;
    LARGE_INTEGER size = {};
    unsigned char head[kPeHeadSize];
    PeLayout layout;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= static_cast<LONGLONG>(kStampTrailerSize)) {
        const DWORD headSize =
            size.QuadPart < static_cast<LONGLONG>(sizeof head) ? static_cast<DWORD>(size.QuadPart) : sizeof head;
        if (ReadAt(file, 0, head, headSize) && ReadPeLayout(head, headSize, layout)) {
            const ULONGLONG end = layout.IsSigned() ? layout.nCertificateOffset : size.QuadPart;
            unsigned char trailer[kStampTrailerSize];
            std::uint64_t bodyLength = 0;
            StampTrailer found = StampTrailer::kDamaged;
            if (end >= kStampTrailerSize && end <= static_cast<ULONGLONG>(size.QuadPart) &&
                ReadAt(file, end - kStampTrailerSize, trailer, sizeof trailer))
                found = ReadStampTrailer(trailer, end, bodyLength);
            if (found == StampTrailer::kNone) {
                result = ProgramStamp::kNone;
            } else if (found == StampTrailer::kFound) {
                std::vector<unsigned char> body(static_cast<std::size_t>(bodyLength));
                if (ReadAt(file, end - kStampTrailerSize - bodyLength, body.data(), static_cast<DWORD>(body.size())) &&
                    DecodeStamp(body.data(), body.size(), stamp))
                    result = ProgramStamp::kFound;
            }
        }
    }
    CloseHandle(file);
    return result;
}

CSetupCheck::~CSetupCheck()
{
    for (HANDLE file : m_held) CloseHandle(file);
}

bool CSetupCheck::CheckInputs(CString& changed)
{
    switch (ReadProgramStamp(GetModulePath(), m_stamp)) {
    case ProgramStamp::kNone: return true;
    case ProgramStamp::kDamaged: changed = SetupFile::kInstaller; return false;
    case ProgramStamp::kFound: m_bStamped = true; break;
    }
    const struct {
        LPCSTR name;
        const StampedFile& expected;
        bool& absent;
    } inputs[] = {{SetupFile::kScript, m_stamp.script, g_absent.script},
                  {SetupFile::kLog, m_stamp.logTemplate, g_absent.logTemplate},
                  {SetupFile::kPicture, m_stamp.face, g_absent.face}};
    for (const auto& input : inputs) {
        if (!CheckFile(input.name, input.expected)) {
            changed = input.name;
            return false;
        }
        input.absent = !input.expected.bPresent;
    }
    return true;
}

bool CSetupCheck::CheckFile(LPCSTR name, const StampedFile& expected)
{
    // Shared for reading only, and kept so: nobody writes, renames or deletes it from now on.
    HANDLE file = CreateFileA(GetModuleDirectory() + name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Absent, as the stamp may say; anything else (a folder of that name, a file held open for
        // writing) cannot be checked.
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !expected.bPresent;
    }
    m_held.push_back(file);
    CSha256 sha;
    static char buffer[1 << 16];
    DWORD read = 0;
    for (;;) {
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) return false;
        if (read == 0) break;
        sha.Update(buffer, read);
    }
    Sha256Digest digest;
    return expected.bPresent && sha.Finish(digest) && digest == expected.digest;
}

CString ChangedInputMessage(LPCSTR input)
{
    CString text;
    text.Format("Setup cannot continue: its files were changed or damaged after they were published.\n%s\n"
                "Please get the product again from its publisher.",
                input);
    return text;
}
