#include "launch_program.h"

namespace {

bool IsFile(const CString& path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program that the first `length` bytes of the tail name below `dir`, or "" when none does.
CString FindProgram(const CString& dir, const CString& tail, int length)
{
    CString path = dir + "\\" + tail.Left(length);
    if (IsFile(path)) return path;
    if (IsFile(path + ".exe")) return path + ".exe";
    return CString();
}

}  // namespace

bool LaunchProgram(const CString& dir, const CString& commandTail)
{
    // Try the tail cut at each space in turn, then the whole tail.
    CString program;
    int cut = 0;
    for (;;) {
        int space = commandTail.Mid(cut).Find(' ');
        cut = space < 0 ? commandTail.GetLength() : cut + space;
        program = FindProgram(dir, commandTail, cut);
        if (!program.IsEmpty() || cut == commandTail.GetLength()) break;
        ++cut;
    }
    if (program.IsEmpty()) return false;

    CString commandLine = "\"" + program + "\"" + commandTail.Mid(cut);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(program, commandLine.GetBuffer(0), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}
