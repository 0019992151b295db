#include "setup_check.h"

#include "module_dir.h"
#include "resource.h"
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

ProgramStamp ReadProgramStamp(LPCSTR path, SetupStamp& stamp)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ProgramStamp::kDamaged;  // a program that runs can be read
    LARGE_INTEGER size = {};
    std::uint64_t start = 0;
    const ProgramStamp found =
        GetFileSizeEx(file, &size)
            ? FindProgramStamp(static_cast<std::uint64_t>(size.QuadPart),
                               [file](std::uint64_t offset, void* buffer, std::size_t count) {
                                   return ReadAt(file, offset, buffer, static_cast<DWORD>(count));
                               },
                               stamp, start)
            : ProgramStamp::kDamaged;
    CloseHandle(file);
    return found;
}

CSetupCheck::~CSetupCheck()
{
    for (HANDLE file : m_held) CloseHandle(file);
}

bool CSetupCheck::CheckInputs(CString& changed)
{
    switch (ReadProgramStamp(GetModulePath(), m_stamp)) {
    case ProgramStamp::kNone: return true;
    case ProgramStamp::kDamaged:
    case ProgramStamp::kNotAProgram: changed = SetupFile::kInstaller; return false;
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
    text.Format(IDS_INPUT_CHANGED, input);
    return text;
}
