#include "child_process.h"

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::string& currentDir)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &m_pi))
        m_pi = PROCESS_INFORMATION{};
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
    if (!child.Ends(timeoutMs)) return ~0u;
    return child.ExitCode();
}
