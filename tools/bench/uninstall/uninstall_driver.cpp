// The removal benchmark's Windows side (run under Wine by tools/bench-uninstall.sh): starts an
// installed uninstall.exe, answers its question with Yes and times the removal up to its end
// message, which the copy in the temporary folder shows; then answers that and prints one line of
// "name=value" figures, among them the copy's peak memory.
//
//   uninstall_driver UNINSTALL_EXE PRODUCT
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "dialog_driver.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "uninstall_driver: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return Fail("usage: uninstall_driver UNINSTALL_EXE PRODUCT");
    const std::string program = argv[1], product = argv[2];
    const std::string folder = program.substr(0, program.rfind('\\'));
    // The entries, counted before the log goes.
    const int files = GetPrivateProfileIntA("files", "filenum", 0, (folder + "\\uninstall.ini").c_str());

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return Fail("cannot start the uninstaller");
    CloseHandle(pi.hThread);
    HWND question = WaitForDialog(product, pi.dwProcessId, 30000);
    if (!question) return Fail("no question");

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PressButton(question, IDYES);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    bool progressSeen = false;
    HWND box = nullptr;
    const std::string progressCaption = "Removing " + product;
    WaitUntil([&] {
        if (!progressSeen && FindDialogNow(progressCaption, kAnyProcess)) progressSeen = true;
        return (box = FindDialogNow(product, kAnyProcess)) != nullptr;
    }, 600000);
    QueryPerformanceCounter(&end);
    if (!box) return Fail("no end message");

    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    HANDLE copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const bool knownMemory = copy && GetProcessMemoryInfo(copy, &memory, sizeof memory);
    Sleep(100);
    const std::string text = MessageBoxText(box);
    PressButton(box, IDOK);
    if (copy) {
        WaitForSingleObject(copy, 30000);
        CloseHandle(copy);
    }

    const double seconds = Seconds(start, end);
    const bool removed = text == product + " was removed from your computer.";
    const bool gone = GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::printf("uninstall files=%d seconds=%.3f ms_per_file=%.4f progress_seen=%d removed=%d folder_gone=%d", files,
                seconds, files ? seconds * 1000 / files : 0.0, progressSeen ? 1 : 0, removed ? 1 : 0, gone ? 1 : 0);
    if (knownMemory)
        std::printf(" peak_working_set_mib=%.1f peak_private_mib=%.1f", memory.PeakWorkingSetSize / 1048576.0,
                    memory.PeakPagefileUsage / 1048576.0);
    std::printf("\n");
    if (!removed) std::fprintf(stderr, "uninstall_driver: the end message said: %s\n", text.c_str());
    return removed && gone ? 0 : 1;
}
