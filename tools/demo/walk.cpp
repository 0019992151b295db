// Walks through an installation unattended, as a person would click through it: starts setup.exe,
// saves a picture of each dialog, accepts the proposed destination, leaves the launch box checked
// and presses Finish, then checks what was installed against the product folder and the uninstall
// log and prints where everything went. At last it checks that the product is listed in Apps &
// features, removes it with the installed uninstaller, answering its question with Yes (a picture
// of the question too), and checks that nothing the log listed is left, nor the destination, nor
// the product's entry in Apps & features. Then it installs once more at 192 dpi (Wine's LogPixels,
// which a program takes at its start) for a picture of the finish dialog at that scale, and
// removes that installation too.
//
//   walk SETUP_EXE PICTURES_DIR [PRODUCT_DIR]
//
// With --destination it only saves a picture of the destination dialog, in the language of the
// locale it was started in, and cancels:
//
//   walk --destination SETUP_EXE PICTURES_DIR PICTURE
//
// The exit status is 0 only when every step was seen and every check held.
#include "apps_and_features.h"
#include "dialog_driver.h"
#include "display_scale.h"
#include "resource.h"
#include "setup_names.h"
#include "window_picture.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kInstallTimeoutMs = 60000;

std::string ReadProfile(const std::string& file, const char* section, const char* key)
{
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
}

std::string ReadProfile(const std::string& file, const ScriptString& key)
{
    return ReadProfile(file, key.section, key.key);
}

std::string ParentWithBackslash(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A control's answer to a message, or 0 when its thread does not answer within 5 s.
LRESULT Ask(HWND dialog, int id, UINT msg, WPARAM wParam = 0)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), msg, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer)) return 0;
    return static_cast<LRESULT>(answer);
}

// The image file of the process that owns `hwnd`, as a DOS path; empty when it cannot be read.
std::string WindowProcessImage(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::string();
    char image[MAX_PATH * 2] = "";
    DWORD size = sizeof image;
    if (!QueryFullProcessImageNameA(process, 0, image, &size)) image[0] = '\0';
    CloseHandle(process);
    return image;
}

// A visible top-level window of a process started from `image`, waiting up to `timeoutMs`.
HWND WaitForProgramWindow(const std::string& image, DWORD timeoutMs)
{
    struct Search {
        const std::string* image;
        HWND found;
    } search{&image, nullptr};
    WaitUntil([&] {
        EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if (!IsWindowVisible(hwnd) || lstrcmpiA(WindowProcessImage(hwnd).c_str(), s.image->c_str()) != 0)
                return TRUE;
            s.found = hwnd;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

// Holds every thread of a process still but the one named, for as long as it lives. With the
// installer's worker held, the progress dialog stays up, unchanged, while its picture is taken; its
// own thread keeps painting it.
//
// A thread suspended at an arbitrary point may hold a lock that the dialog's thread needs (the
// heap's, or the one under which the worker notes its progress for the dialog's timer): the
// dialog's thread would then stop at its next tick, until the worker goes on. So the hold is kept
// only once the dialog's thread has been seen to answer after more than one tick of its timer
// with the worker held (Answers); otherwise it is let go and tried again a moment later.
class CThreadsHeld {
public:
    CThreadsHeld(DWORD pid, DWORD keepThreadId)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != pid || entry.th32ThreadID == keepThreadId) continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (!thread) continue;
            if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
                CloseHandle(thread);
            } else {
                m_threads.push_back(thread);
            }
        }
        CloseHandle(snapshot);
    }
    ~CThreadsHeld()
    {
        for (HANDLE thread : m_threads) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    CThreadsHeld(const CThreadsHeld&) = delete;
    CThreadsHeld& operator=(const CThreadsHeld&) = delete;

    // Whether the window's thread still handles messages, 150 ms (three ticks of the progress
    // dialog's timer) after the hold began.
    static bool Answers(HWND hwnd)
    {
        Sleep(150);
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &ignored) != 0;
    }

private:
    std::vector<HANDLE> m_threads;
};

class CWalk {
public:
    CWalk(std::string strSetupExe, std::string strPictures, std::string strProduct)
        : m_strSetupExe(std::move(strSetupExe)), m_strPictures(std::move(strPictures)),
          m_strProduct(std::move(strProduct)),
          m_strScript(ParentWithBackslash(m_strSetupExe) + SetupFile::kScript)
    {
    }

    int Run();
    // Starts the installer, saves a picture of its destination dialog as `picture` and cancels:
    // for the dialog in the user's language (the walk's own locale).
    int DestinationOnly(const std::string& picture);

private:
    void Fail(const std::string& what) { m_problems.push_back(what); }
    void Snap(HWND hwnd, const std::string& name);
    bool RunDialogs();
    bool MessageBoxShown(DWORD pid);
    void CheckLaunch();
    void CheckInstalled();
    void Uninstall(bool snap = true);
    void FinishAtScale(DWORD dpi, const std::string& picture);
    void PrintSummary() const;
    void PrintInstalled() const;

    std::string m_strSetupExe, m_strPictures, m_strProduct, m_strScript;
    std::string m_strDest, m_strRequired, m_strAvailable;
    PROCESS_INFORMATION m_setup = {};
    std::vector<std::string> m_pictures, m_problems;
    std::vector<std::string> m_files, m_folders, m_shortcuts;
    std::string m_strLaunched;
    std::string m_strRemoved;  // the uninstaller's end message
    std::string m_strListed;   // the product's line in Apps & features before the removal
    bool m_bInstalled = false;
};

void CWalk::Snap(HWND hwnd, const std::string& name)
{
    // In front, as a person would see it; then let its owner finish painting: a sent message
    // returns only after the messages queued before it have been handled, and the paint that
    // follows them gets a moment more.
    SetForegroundWindow(hwnd);
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    Sleep(300);
    std::string path = JoinPath(m_strPictures, name);
    if (!SaveWindowPicture(hwnd, path)) {
        Fail("could not save the picture " + name);
    } else if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) {
        // Closed while it was being copied: the picture may show what lay behind it.
        DeleteFileA(path.c_str());
        Fail("the window of " + name + " closed before its picture was taken");
    } else {
        m_pictures.push_back(name);
    }
}

// The installer tells of a failure only in a message box captioned "Setup" (the destination
// dialog) or "setup" (the install worker); one that appears ends the walk.
bool CWalk::MessageBoxShown(DWORD pid)
{
    HWND box = FindDialogNow("setup", pid);
    if (!box) box = FindDialogNow("Setup", pid);
    if (!box) return false;
    Snap(box, "message-box.png");
    Fail("the installer said: " + MessageBoxText(box));
    return true;
}

bool CWalk::RunDialogs()
{
    const std::string title = ReadProfile(m_strScript, Script::kTitle);
    std::string dir = ParentWithBackslash(m_strSetupExe);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string commandLine = "\"" + m_strSetupExe + "\"";
    if (!CreateProcessA(m_strSetupExe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &si, &m_setup)) {
        Fail("could not start " + m_strSetupExe);
        return false;
    }
    const DWORD pid = m_setup.dwProcessId;

    HWND destination = WaitForDialog(title, pid);
    if (!destination || !GetDlgItem(destination, IDC_DEST)) {
        Fail("the destination dialog \"" + title + "\" did not appear");
        return false;
    }
    m_strDest = ControlText(destination, IDC_DEST);
    m_strRequired = ControlText(destination, IDC_REQUIRED);
    m_strAvailable = ControlText(destination, IDC_AVAILABLE);
    std::printf("destination dialog: %s (required %s, available %s)\n", m_strDest.c_str(),
                m_strRequired.c_str(), m_strAvailable.c_str());
    Snap(destination, "1-destination.png");
    PressButton(destination, IDOK);
    const DWORD installStart = GetTickCount();
    if (!WaitUntilGone(destination)) {
        if (!MessageBoxShown(pid)) Fail("the destination dialog did not accept " + m_strDest);
        return false;
    }

    // A small product is installed in a fraction of a second: look for the progress dialog often,
    // and once its bar has moved, hold the worker still while the picture is taken.
    HWND progress = nullptr;
    WaitUntil([&] {
        progress = FindDialogNow("Extracting files...", pid);
        if (progress && Ask(progress, IDC_PROGRESS, PBM_GETPOS) > 0) return true;
        return FindDialogNow(title, pid) != nullptr || FindDialogNow("setup", pid) != nullptr ||
               WaitForSingleObject(m_setup.hProcess, 0) == WAIT_OBJECT_0;
    }, kInstallTimeoutMs);
    if (MessageBoxShown(pid)) return false;
    if (progress && IsWindowVisible(progress)) {
        std::unique_ptr<CThreadsHeld> held;
        for (int attempt = 0; attempt < 20 && IsWindowVisible(progress); ++attempt) {
            held = std::make_unique<CThreadsHeld>(pid, GetWindowThreadProcessId(progress, nullptr));
            if (CThreadsHeld::Answers(progress)) break;
            held.reset();
            Sleep(10);
        }
        if (!held) Fail("the progress dialog could not be held still for its picture");
        std::printf("progress dialog: %s, %d of %d files\n", ControlText(progress, IDC_DEST_FILE).c_str(),
                    static_cast<int>(Ask(progress, IDC_PROGRESS, PBM_GETPOS)),
                    static_cast<int>(Ask(progress, IDC_PROGRESS, PBM_GETRANGE, FALSE)));
        Snap(progress, "2-progress.png");
    } else {
        Fail("no progress dialog with a moving bar was seen");
    }

    HWND finish = nullptr;
    WaitUntil([&] {
        finish = FindDialogNow(title, pid);
        return (finish && GetDlgItem(finish, IDC_LAUNCH)) || FindDialogNow("setup", pid) != nullptr ||
               WaitForSingleObject(m_setup.hProcess, 0) == WAIT_OBJECT_0;
    }, kInstallTimeoutMs);
    if (!finish || !GetDlgItem(finish, IDC_LAUNCH)) {
        if (!MessageBoxShown(pid)) Fail("the finish dialog did not appear");
        return false;
    }
    const bool bChecked = Ask(finish, IDC_LAUNCH, BM_GETCHECK) == BST_CHECKED;
    if (!bChecked) Fail("the finish dialog's launch box is not checked");
    std::printf("finish dialog, %.1f s after Install: launch box %s\n",
                (GetTickCount() - installStart) / 1000.0, bChecked ? "checked" : "clear");
    Snap(finish, "3-finish.png");
    PressButton(finish, IDOK);

    if (WaitForSingleObject(m_setup.hProcess, kWindowTimeoutMs) != WAIT_OBJECT_0) {
        Fail("setup.exe did not end after Finish");
        return false;
    }
    return true;
}

void CWalk::CheckLaunch()
{
    const std::string launch = ReadProfile(m_strScript, Script::kLaunch);
    const std::string program = JoinPath(m_strDest, launch);
    HWND window = WaitForProgramWindow(program, kWindowTimeoutMs);
    if (!window) {
        Fail("no window of " + program + " appeared after Finish");
        return;
    }
    m_strLaunched = program + " (window \"" + WindowText(window) + "\")";
    Snap(window, "4-running.png");
    // It would close by itself; closing it now keeps the walk short.
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!WaitUntilGone(window)) Fail("the started program did not close");
}

void CWalk::CheckInstalled()
{
    const std::string log = JoinPath(m_strDest, SetupFile::kLog);
    const int totalFiles = GetPrivateProfileIntA(Script::kTotalFiles.section, Script::kTotalFiles.key, -1, m_strScript.c_str());
    const int count = GetPrivateProfileIntA(UninstallLog::kSection, UninstallLog::kFileNum, -1, log.c_str());
    if (count < 0) {
        Fail("the uninstall log " + log + " has no \"filenum\"");
        return;
    }
    const std::string destPrefix = JoinPath(m_strDest, "");
    for (int i = 0; i < count; ++i) {
        const std::string key = "file" + std::to_string(i);
        const std::string path = ReadProfile(log, UninstallLog::kSection, key.c_str());
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const bool bExists = attributes != INVALID_FILE_ATTRIBUTES;
        const bool bFolder = bExists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (i < totalFiles) {
            m_files.push_back(path);
            if (!bExists || bFolder) {
                Fail("logged file " + path + " is missing");
                continue;
            }
            // The installed bytes are the product's own.
            // (The uninstaller is packed from the project's build, not from the product folder.)
            const bool bUninstaller = path == destPrefix + SetupFile::kUninstaller;
            if (!m_strProduct.empty() && !bUninstaller && path.compare(0, destPrefix.size(), destPrefix) == 0) {
                std::string installed, original;
                const std::string source = JoinPath(m_strProduct, path.substr(destPrefix.size()));
                if (!ReadFileBytes(path, installed) || !ReadFileBytes(source, original) || installed != original)
                    Fail(path + " differs from " + source);
            }
        } else if (path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".lnk") == 0) {
            m_shortcuts.push_back(path);
            if (!bExists || bFolder) Fail("logged shortcut " + path + " is missing");
        } else {
            m_folders.push_back(path);
            if (!bFolder) Fail("logged folder " + path + " is missing");
        }
    }
    if (totalFiles >= 0 && static_cast<int>(m_files.size()) != totalFiles)
        Fail("the log lists " + std::to_string(m_files.size()) + " files, the script " +
             std::to_string(totalFiles));
    if (m_shortcuts.empty()) Fail("no shortcut was logged");
}

// The product's line in what Apps & features lists ("key|||DisplayName"); empty when it is not
// listed.
std::string ListedAs(const std::string& product)
{
    const std::string list = AppsAndFeaturesList();
    const std::string name = "|||" + product;
    for (std::size_t start = 0; start < list.size();) {
        std::size_t end = list.find_first_of("\r\n", start);
        if (end == std::string::npos) end = list.size();
        const std::string line = list.substr(start, end - start);
        if (line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0) return line;
        start = end + 1;
    }
    return std::string();
}

void CWalk::Uninstall(bool snap)
{
    const std::string product = ReadProfile(JoinPath(m_strDest, SetupFile::kLog), "uninstall", "product");
    const std::string program = JoinPath(m_strDest, SetupFile::kUninstaller);
    m_strListed = ListedAs(product);
    if (m_strListed.empty()) Fail(product + " is not listed in Apps & features");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + program + "\"";
    // In the destination, as its Start-menu shortcut starts it.
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, m_strDest.c_str(),
                        &si, &pi)) {
        Fail("could not start " + program);
        return;
    }
    CloseHandle(pi.hThread);
    HWND question = WaitForDialog(product, pi.dwProcessId);
    if (!question) {
        Fail("the uninstaller asked nothing");
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        return;
    }
    if (snap) {
        std::printf("uninstaller: %s\n", MessageBoxText(question).c_str());
        Snap(question, "5-uninstall.png");
    }
    PressButton(question, IDYES);
    if (WaitForSingleObject(pi.hProcess, kWindowTimeoutMs) != WAIT_OBJECT_0) Fail("the uninstaller did not end after Yes");
    CloseHandle(pi.hProcess);

    HWND end = nullptr;
    WaitUntil([&] { return (end = FindDialogNow(product, kAnyProcess)) != nullptr; }, kInstallTimeoutMs);
    if (!end) {
        Fail("the removal showed no end message");
        return;
    }
    Sleep(100);
    m_strRemoved = MessageBoxText(end);
    if (m_strRemoved != product + " was removed from your computer.") Fail("the uninstaller said: " + m_strRemoved);
    DWORD pid = 0;
    GetWindowThreadProcessId(end, &pid);
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PressButton(end, IDOK);
    if (copy) {
        if (WaitForSingleObject(copy, kWindowTimeoutMs) != WAIT_OBJECT_0) Fail("the removal did not end");
        CloseHandle(copy);
    }
    for (const std::vector<std::string>* paths : {&m_files, &m_folders, &m_shortcuts})
        for (const std::string& path : *paths)
            if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) Fail(path + " is left after the removal");
    if (GetFileAttributesA(m_strDest.c_str()) != INVALID_FILE_ATTRIBUTES) Fail(m_strDest + " is left after the removal");
    if (!ListedAs(product).empty()) Fail(product + " is still listed in Apps & features after the removal");
}

void CWalk::FinishAtScale(DWORD dpi, const std::string& picture)
{
    const std::string title = ReadProfile(m_strScript, Script::kTitle);
    PROCESS_INFORMATION pi = {};
    HWND destination = nullptr;
    {
        // Taken at the start; once the first dialog shows, the prefix has its own scale again.
        CDisplayScale scale(dpi);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string commandLine = "\"" + m_strSetupExe + "\"";
        if (!CreateProcessA(m_strSetupExe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            ParentWithBackslash(m_strSetupExe).c_str(), &si, &pi)) {
            Fail("could not start " + m_strSetupExe + " at " + std::to_string(dpi) + " dpi");
            return;
        }
        CloseHandle(pi.hThread);
        destination = WaitForDialog(title, pi.dwProcessId);
    }
    HWND finish = nullptr;
    if (destination) {
        PressButton(destination, IDOK);
        WaitUntil([&] { return (finish = FindDialogNow(title, pi.dwProcessId)) && GetDlgItem(finish, IDC_LAUNCH); },
                  kInstallTimeoutMs);
    }
    if (finish && GetDlgItem(finish, IDC_LAUNCH)) {
        Snap(finish, picture);
        PressCloseBox(finish);  // nothing is started
    } else {
        Fail("no finish dialog at " + std::to_string(dpi) + " dpi");
    }
    if (WaitForSingleObject(pi.hProcess, kWindowTimeoutMs) != WAIT_OBJECT_0) {
        Fail("setup.exe did not end at " + std::to_string(dpi) + " dpi");
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    if (finish) Uninstall(false);
}

int CWalk::DestinationOnly(const std::string& picture)
{
    const std::string title = ReadProfile(m_strScript, Script::kTitle);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string commandLine = "\"" + m_strSetupExe + "\"";
    if (!CreateProcessA(m_strSetupExe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        ParentWithBackslash(m_strSetupExe).c_str(), &si, &m_setup)) {
        Fail("could not start " + m_strSetupExe);
    } else if (HWND destination = WaitForDialog(title, m_setup.dwProcessId)) {
        Snap(destination, picture);
        PressButton(destination, IDCANCEL);
    } else {
        Fail("the destination dialog \"" + title + "\" did not appear");
    }
    if (m_setup.hProcess && WaitForSingleObject(m_setup.hProcess, kWindowTimeoutMs) != WAIT_OBJECT_0) {
        Fail("setup.exe did not end after Cancel");
        TerminateProcess(m_setup.hProcess, 1);
    }
    for (const auto& p : m_problems) std::printf("%s\n", p.c_str());
    if (m_problems.empty()) std::printf("  %s\n", picture.c_str());
    return m_problems.empty() ? 0 : 1;
}

void CWalk::PrintSummary() const
{
    if (!m_bInstalled) {
        std::printf("\nNo installation ran to its end.\n");
    } else {
        PrintInstalled();
    }
    std::printf("  pictures:");
    for (const auto& p : m_pictures) std::printf(" %s", p.c_str());
    std::printf("\n");
    if (m_problems.empty()) {
        std::printf("\nThe walk-through succeeded.\n");
    } else {
        std::printf("\nThe walk-through FAILED:\n");
        for (const auto& p : m_problems) std::printf("  %s\n", p.c_str());
    }
}

void CWalk::PrintInstalled() const
{
    std::printf("\nInstalled into %s (required %s, available %s):\n", m_strDest.c_str(),
                m_strRequired.c_str(), m_strAvailable.c_str());
    std::printf("  %u files\n", static_cast<unsigned>(m_files.size()));
    for (const auto& f : m_files) std::printf("    %s\n", f.c_str());
    std::printf("  %u folders in the Start menu\n", static_cast<unsigned>(m_folders.size()));
    for (const auto& f : m_folders) std::printf("    %s\n", f.c_str());
    std::printf("  %u shortcuts\n", static_cast<unsigned>(m_shortcuts.size()));
    for (const auto& s : m_shortcuts) std::printf("    %s\n", s.c_str());
    std::printf("  uninstall log: %s\n", JoinPath(m_strDest, SetupFile::kLog).c_str());
    std::printf("  started after Finish: %s\n", m_strLaunched.empty() ? "nothing" : m_strLaunched.c_str());
    std::printf("  listed in Apps & features: %s\n", m_strListed.empty() ? "no" : m_strListed.c_str());
    std::printf("  removed by the uninstaller: %s (and no longer listed)\n",
                m_strRemoved.empty() ? "nothing" : m_strRemoved.c_str());
}

int CWalk::Run()
{
    CreateDirectoryA(m_strPictures.c_str(), nullptr);
    if (RunDialogs()) {
        m_bInstalled = true;
        CheckLaunch();
        CheckInstalled();
        Uninstall();
        FinishAtScale(192, "6-finish-192dpi.png");
    }
    if (m_setup.hProcess) {
        // Whatever went wrong, setup.exe must not outlive the walk.
        if (WaitForSingleObject(m_setup.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_setup.hProcess, 1);
        CloseHandle(m_setup.hProcess);
        CloseHandle(m_setup.hThread);
    }
    PrintSummary();
    std::fflush(stdout);
    return m_problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--destination") == 0) return CWalk(argv[2], argv[3], "").DestinationOnly(argv[4]);
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: walk SETUP_EXE PICTURES_DIR [PRODUCT_DIR]\n"
                             "       walk --destination SETUP_EXE PICTURES_DIR PICTURE\n");
        return 2;
    }
    CWalk walk(argv[1], argv[2], argc > 3 ? argv[3] : "");
    return walk.Run();
}
