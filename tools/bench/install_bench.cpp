// The installation benchmark's Windows side (run under Wine by tools/bench-install.sh). Each
// command does one thing in a process of its own, so that its peak memory is its own, and prints
// one line of "name=value" figures.
//
//   install SETUP_DIR DEST [--check]
//                            the installer's file phase and uninstall log on SETUP_DIR's package;
//                            with --check, every entry checked against the stamp of its setup.exe
//   stage SETUP_DIR DIR      writes every entry archive of the package into DIR, and their names
//                            to DIR\entries.txt (the package reader alone)
//   plain DIR DEST           the floor: inflates every staged entry archive into DEST, no log
//   steps SETUP_DIR DEST     the file phase's steps one by one, each timed on its own (the same
//                            calls in the same order as InstallPackageFiles, with clocks between)
//   dialogs SETUP_DIR DEST   the real setup.exe of SETUP_DIR as a user drives it: DEST typed into
//                            the destination dialog, Install pressed, timed until the finish
//                            dialog shows, which is then closed; its shortcut group is removed
//   log COUNT LOG            COUNT log entries as the file phase writes them, then "filenum"
//   carry COUNT DIR          an installation over one that logged COUNT entries in DIR: the time
//                            to make the new log that carries them over (PrepareLog)
//   platform-log COUNT LOG   the same through WritePrivateProfileStringA, for comparison
//   sha256 MIB               the system's SHA-256 (CNG) over MIB MiB in 64 KiB pieces, as the
//                            stamp's check feeds it
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "destination.h"
#include "dialog_driver.h"
#include "file_phase.h"
#include "install_record.h"
#include "pack_file.h"
#include "setup_check.h"
#include "setup_files.h"
#include "sha256.h"
#include "stamped_package.h"
#include "resource.h"
#include "uninstall_log.h"
#include "unzip_single.h"

namespace {

class CStopwatch {
public:
    CStopwatch() { QueryPerformanceCounter(&m_start); }
    double Seconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / frequency.QuadPart;
    }

private:
    LARGE_INTEGER m_start;
};

// Nobody watches: never cancelled, nothing shown.
class CQuietProgress : public InstallProgress {
public:
    bool IsCancelled() override { return false; }
    void ShowFile(LPCSTR) override {}
    void Step() override {}
};

// The process's peaks so far. Taken as soon as the measured work ends: the counting that follows
// reads the whole log through the profile functions, which hold all of it in memory.
class CPeakMemory {
public:
    CPeakMemory()
    {
        m_counters.cb = sizeof m_counters;
        m_bKnown = GetProcessMemoryInfo(GetCurrentProcess(), &m_counters, sizeof m_counters);
    }
    void Print() const
    {
        if (m_bKnown)
            std::printf(" peak_working_set_mib=%.1f peak_private_mib=%.1f",
                        m_counters.PeakWorkingSetSize / 1048576.0,
                        m_counters.PeakPagefileUsage / 1048576.0);
    }

private:
    PROCESS_MEMORY_COUNTERS m_counters{};
    bool m_bKnown;
};

ULONGLONG FileSize(LPCSTR path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

double Seconds(const FILETIME& time)
{
    return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}

// The processor time that `process` has spent so far, in its own code and in the system's.
void PrintCpu(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        std::printf(" user_s=%.3f kernel_s=%.3f", Seconds(user), Seconds(kernel));
}

void PrintRate(LPCSTR command, int files, ULONGLONG bytes, double seconds)
{
    std::printf("%s files=%d bytes=%llu seconds=%.3f ms_per_file=%.4f mb_per_s=%.1f", command,
                files, bytes, seconds, files ? seconds * 1000 / files : 0.0,
                seconds > 0 ? bytes / 1048576.0 / seconds : 0.0);
}

int Install(LPCSTR setupDir, LPCSTR destDir, bool check)
{
    CPackFile pack;
    if (!pack.Open(CString(setupDir) + "\\" + SetupFile::kPackage)) {
        std::fprintf(stderr, "no package in %s\n", setupDir);
        return 1;
    }
    // As the installer does: the stamp read before the destination dialog, the check on the way.
    SetupStamp stamp;
    if (check && ReadProgramStamp(CString(setupDir) + "\\" + SetupFile::kInstaller, stamp) != ProgramStamp::kFound) {
        std::fprintf(stderr, "no stamp in %s\n", setupDir);
        return 1;
    }
    CStampedPackage stamped(stamp);
    if (check) pack.SetCheck(&stamped);
    CString log = CString(destDir) + "\\" + SetupFile::kLog;
    // As the progress dialog prepares the destination.
    CreateFolderPath(destDir);
    CopyLogTemplate(CString(setupDir) + "\\" + SetupFile::kLog, log);

    CQuietProgress progress;
    CStopwatch watch;
    CInstallRecord record(log);
    FilePhaseResult result = InstallPackageFiles(pack, destDir, record, progress);
    const int entries = record.Count();
    record.WriteCount();
    record.Close();
    const double seconds = watch.Seconds();
    const CPeakMemory memory;
    pack.Close();

    // The installed bytes, counted after the clock has stopped.
    ULONGLONG bytes = 0;
    char key[32], path[MAX_PATH];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(key, sizeof key, "file%d", i);
        GetPrivateProfileStringA("files", key, "", path, MAX_PATH, log);
        bytes += FileSize(path);
    }
    PrintRate("install", entries, bytes, seconds);
    std::printf(" failures=%d", result.failures.notInstalled + result.failures.notLogged +
                                   (result.failures.damagedAt.IsEmpty() ? 0 : 1) +
                                   (result.changedInput.IsEmpty() ? 0 : 1));
    memory.Print();
    PrintCpu(GetCurrentProcess());
    std::printf("\n");
    return result.failures.Any() || !result.changedInput.IsEmpty() ? 1 : 0;
}

int Steps(LPCSTR setupDir, LPCSTR destDir)
{
    CPackFile pack;
    if (!pack.Open(CString(setupDir) + "\\" + SetupFile::kPackage)) return 1;
    CString logPath = CString(destDir) + "\\" + SetupFile::kLog;
    CreateFolderPath(destDir);
    CopyLogTemplate(CString(setupDir) + "\\" + SetupFile::kLog, logPath);
    const char* const kSteps[] = {"read_entry", "log", "attributes", "inflate", "delete_archive"};
    double spent[5] = {};
    int files = 0;
    char name[MAX_PATH];
    CUninstallLog log(logPath);
    for (;;) {
        CStopwatch watch;
        double last = 0;
        auto lap = [&](int step) {
            const double now = watch.Seconds();
            spent[step] += now - last;
            last = now;
        };
        const bool more = pack.ReadNextEntry(destDir, name);
        lap(0);
        if (!more) break;
        CString target = CString(destDir) + "\\" + name;
        CString archive = target + ".zip";
        files = LogCreatedPath(log, files, target);
        lap(1);
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        lap(2);
        UnzipSingleFile(archive, target);
        lap(3);
        DeleteFileA(archive);
        lap(4);
    }
    std::printf("steps files=%d", files);
    for (int i = 0; i < 5; ++i) std::printf(" %s_ms=%.4f", kSteps[i], files ? spent[i] * 1000 / files : 0.0);
    std::printf("\n");
    return 0;
}

int Stage(LPCSTR setupDir, LPCSTR stageDir)
{
    CPackFile pack;
    if (!pack.Open(CString(setupDir) + "\\" + SetupFile::kPackage)) return 1;
    CreateDirectoryA(stageDir, nullptr);
    std::FILE* list = std::fopen(CString(stageDir) + "\\entries.txt", "w");
    if (list == nullptr) return 1;
    char name[MAX_PATH];
    int files = 0;
    CStopwatch watch;
    while (pack.ReadNextEntry(stageDir, name)) {
        std::fprintf(list, "%s\n", name);
        ++files;
    }
    const double seconds = watch.Seconds();
    std::fclose(list);
    PrintRate("stage", files, 0, seconds);
    std::printf("\n");
    return pack.GetLastStatus() == PackReadStatus::End ? 0 : 1;
}

// Creates the folders of `path` (a file's path) that do not exist yet.
void CreateParentFolders(char* path)
{
    for (char* p = std::strchr(path, '\\'); p != nullptr; p = std::strchr(p + 1, '\\')) {
        *p = '\0';
        CreateDirectoryA(path, nullptr);
        *p = '\\';
    }
}

int Plain(LPCSTR stageDir, LPCSTR destDir)
{
    std::FILE* list = std::fopen(CString(stageDir) + "\\entries.txt", "r");
    if (list == nullptr) return 1;
    CreateDirectoryA(destDir, nullptr);
    char name[MAX_PATH], archive[MAX_PATH], target[MAX_PATH], folder[MAX_PATH] = "";
    int files = 0, failures = 0;
    ULONGLONG bytes = 0;
    double seconds = 0;
    {
        CStopwatch watch;
        while (std::fgets(name, sizeof name, list) != nullptr) {
            name[std::strcspn(name, "\r\n")] = '\0';
            std::snprintf(archive, sizeof archive, "%s\\%s.zip", stageDir, name);
            std::snprintf(target, sizeof target, "%s\\%s", destDir, name);
            // Folders are made once, when the entries move on to another one.
            char* slash = std::strrchr(target, '\\');
            *slash = '\0';
            if (std::strcmp(folder, target) != 0) {
                std::strcpy(folder, target);
                *slash = '\\';
                CreateParentFolders(target);
            }
            *slash = '\\';
            if (!UnzipSingleFile(archive, target)) ++failures;
            ++files;
        }
        seconds = watch.Seconds();
    }
    const CPeakMemory memory;
    std::fclose(list);
    list = std::fopen(CString(stageDir) + "\\entries.txt", "r");
    while (std::fgets(name, sizeof name, list) != nullptr) {
        name[std::strcspn(name, "\r\n")] = '\0';
        std::snprintf(target, sizeof target, "%s\\%s", destDir, name);
        bytes += FileSize(target);
    }
    std::fclose(list);
    PrintRate("plain", files, bytes, seconds);
    std::printf(" failures=%d", failures);
    memory.Print();
    std::printf("\n");
    return failures == 0 ? 0 : 1;
}

// The first visible dialog of process `pid` that has control `id`, as soon as there is one (polled
// every 10 ms, the test driver's pace); null after `timeoutMs`.
HWND DialogWithControl(int id, DWORD pid, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindDialogWhere([&](HWND h) { return GetDlgItem(h, id) != nullptr; }, pid);
        return found != nullptr;
    }, timeoutMs);
    return found;
}

int Dialogs(LPCSTR setupDir, LPCSTR destDir)
{
    CString program = CString(setupDir) + "\\" + SetupFile::kInstaller;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    CString commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program, commandLine.GetBuffer(0), nullptr, nullptr, FALSE, 0, nullptr,
                        setupDir, &si, &pi)) {
        std::fprintf(stderr, "cannot start %s\n", static_cast<LPCSTR>(program));
        return 1;
    }
    CloseHandle(pi.hThread);
    int status = 1;
    const DWORD kLong = 30 * 60 * 1000;
    HWND destination = DialogWithControl(IDC_DEST, pi.dwProcessId, 60000);
    if (destination != nullptr) {
        Sleep(200);  // its initialisation is not part of the installation
        SetControlText(destination, IDC_DEST, destDir);
        CStopwatch watch;
        PressButton(destination, IDOK);
        HWND progress = DialogWithControl(IDC_PROGRESS, pi.dwProcessId, 60000);
        const double progressShown = watch.Seconds();
        HWND finish = DialogWithControl(IDC_LAUNCH, pi.dwProcessId, kLong);
        const double seconds = watch.Seconds();
        if (progress != nullptr && finish != nullptr) {
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory);
            // Counted as the file phase counts them: the log's file entries before the group.
            CString log = CString(destDir) + "\\" + SetupFile::kLog;
            const int entries = GetPrivateProfileIntA("files", "filenum", 0, log);
            PrintRate("dialogs", entries - 1, 0, seconds);
            // (Wine's GetProcessTimes does not count another process's threads: no processor times.)
            std::printf(" to_progress_s=%.3f peak_working_set_mib=%.1f peak_private_mib=%.1f",
                        progressShown, memory.PeakWorkingSetSize / 1048576.0,
                        memory.PeakPagefileUsage / 1048576.0);
            std::printf("\n");
            // The script's group, the last entry, goes again: the benchmark leaves no Start-menu folder.
            char key[32], group[MAX_PATH] = "";
            std::snprintf(key, sizeof key, "file%d", entries - 1);
            GetPrivateProfileStringA("files", key, "", group, MAX_PATH, log);
            if (*group) RemoveDirectoryA(group);
            status = 0;
        }
        if (finish != nullptr) PressCloseBox(finish);
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        status = 1;
    }
    CloseHandle(pi.hProcess);
    if (status != 0) std::fprintf(stderr, "the installation through the dialogs did not finish\n");
    return status;
}

int Log(int count, LPCSTR logPath, bool platform)
{
    DeleteFileA(logPath);
    const char kValue[] = "C:\\Games\\Quenthary\\data\\levels\\chapter07\\textures\\wall0001.dds";
    char key[32];
    CStopwatch watch;
    int index = 0;
    if (platform) {
        for (; index < count; ++index) {
            std::snprintf(key, sizeof key, "file%d", index);
            WritePrivateProfileStringA("files", key, kValue, logPath);
        }
    } else {
        {
            CUninstallLog log(logPath);  // as the file phase writes it
            while (index < count) index = LogCreatedPath(log, index, kValue);
        }
        WriteLogFileCount(logPath, index);
    }
    const double seconds = watch.Seconds();
    const CPeakMemory memory;
    std::printf("%s writes=%d seconds=%.3f us_per_write=%.1f", platform ? "platform-log" : "log",
                count, seconds, seconds * 1e6 / count);
    memory.Print();
    std::printf("\n");
    return 0;
}

int Carry(int count, LPCSTR dir)
{
    CreateFolderPath(dir);
    const CString logPath = CString(dir) + "\\" + SetupFile::kLog;
    const CString templatePath = CString(dir) + "\\template.ini";
    if (std::FILE* file = std::fopen(templatePath, "wb")) {
        std::fputs("[uninstall]\r\nproduct=Benchmark product\r\n", file);
        std::fclose(file);
    }
    DeleteFileA(logPath);
    {
        CInstallRecord earlier(logPath);
        char path[MAX_PATH];
        for (int i = 0; i < count; ++i) {
            std::snprintf(path, sizeof path, "%s\\data\\%03d\\file%05d.dat", dir, i / 100, i);
            earlier.List(path);
        }
        earlier.WriteCount();
    }
    CStopwatch watch;
    std::vector<std::string> carried;
    PrepareLog(templatePath, logPath, CString(), carried);
    const double seconds = watch.Seconds();
    const CPeakMemory memory;
    std::printf("carry entries=%zu seconds=%.3f us_per_entry=%.1f", carried.size(), seconds,
                carried.empty() ? 0.0 : seconds * 1e6 / static_cast<double>(carried.size()));
    memory.Print();
    std::printf("\n");
    DeleteFileA(templatePath);
    return carried.size() == static_cast<std::size_t>(count) ? 0 : 1;
}

int Sha256(int mib)
{
    std::vector<char> piece(1 << 16);
    for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>(i * 131);
    CSha256 sha;
    Sha256Digest digest;
    CStopwatch watch;
    for (int i = 0; i < mib * 16; ++i) sha.Update(piece.data(), piece.size());
    const bool ok = sha.Finish(digest);
    const double seconds = watch.Seconds();
    std::printf("sha256 mib=%d seconds=%.3f mb_per_s=%.1f\n", mib, seconds, mib * 1.048576 / seconds);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "install") == 0) return Install(argv[2], argv[3], false);
    if (argc == 5 && std::strcmp(argv[1], "install") == 0 && std::strcmp(argv[4], "--check") == 0)
        return Install(argv[2], argv[3], true);
    if (argc == 4 && std::strcmp(argv[1], "stage") == 0) return Stage(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "steps") == 0) return Steps(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "plain") == 0) return Plain(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "dialogs") == 0) return Dialogs(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "log") == 0) return Log(std::atoi(argv[2]), argv[3], false);
    if (argc == 4 && std::strcmp(argv[1], "carry") == 0) return Carry(std::atoi(argv[2]), argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "sha256") == 0) return Sha256(std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "platform-log") == 0)
        return Log(std::atoi(argv[2]), argv[3], true);
    std::fprintf(stderr, "usage: install_bench install|steps|stage|plain|dialogs|log|carry|platform-log ARG ARG, install ARG ARG --check, or sha256 MIB\n");
    return 2;
}
