#include "child_process.h"

#include <cstdio>

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::string& currentDir)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    // A start can fail for reasons of the machine, not of the program (the emulator's loader
    // failing to set a new process up, say): each refusal is reported with its error, and the
    // start is tried again a few times before the test is told that it failed.
    for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
        std::string line = commandLine;  // CreateProcessA may write into it
        if (CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                           currentDir.empty() ? nullptr : currentDir.c_str(), &si, &m_pi))
            return;
        DWORD error = GetLastError();
        m_pi = PROCESS_INFORMATION{};
        std::fprintf(stderr, "starting %s failed (error %lu), attempt %d of %d\n", program.c_str(),
                     static_cast<unsigned long>(error), attempt, kStartAttempts);
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
        Sleep(500);
    }
}

ChildProcess::~ChildProcess()
{
    if (!Started()) return;
    Terminate();
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool ChildProcess::Ends(DWORD timeoutMs)
{
    return Started() && WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (Started()) GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

void ChildProcess::Terminate()
{
    if (!Started() || Ends(0)) return;
    TerminateProcess(m_pi.hProcess, 255);
    WaitForSingleObject(m_pi.hProcess, 10000);
}

DWORD RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs)
{
    ChildProcess child(program, arguments);
    if (!child.Started()) return ~0u;
    if (!child.Ends(timeoutMs)) {
        std::fprintf(stderr, "%s did not end within %lu ms\n", program.c_str(),
                     static_cast<unsigned long>(timeoutMs));
        return ~0u;
    }
    return child.ExitCode();
}
