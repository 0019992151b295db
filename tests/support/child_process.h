// A program that a test starts as a process of its own, so that the test can drive its windows
// and look at what it leaves behind. Every wait has a timeout; a process still running when the
// object goes is terminated, so a failing test never leaves one behind.
#pragma once

#include <windows.h>

#include <string>

class ChildProcess {
public:
    // Starts `program` with `arguments` (appended to its quoted path) in `currentDir` (the
    // test's own current directory when empty). Started() tells whether it could be started.
    explicit ChildProcess(const std::string& program, const std::string& arguments = "",
                          const std::string& currentDir = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Id() const { return m_pi.dwProcessId; }
    // Whether the process has ended, waiting up to `timeoutMs` for it.
    bool Ends(DWORD timeoutMs);
    // The exit code once it has ended (STILL_ACTIVE before).
    DWORD ExitCode() const;
    // Ends it at once (for a process that has served its purpose).
    void Terminate();

private:
    static constexpr int kStartAttempts = 3;
    PROCESS_INFORMATION m_pi{};
};

// Runs a program to its end, at most `timeoutMs`; its exit code, or ~0u when it could not be
// started or did not end in time (it is then terminated).
DWORD RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs = 60000);
