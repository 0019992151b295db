// Small helpers that the tests share: scratch folders and whole-file reads and writes.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running test program, with its trailing backslash: the tests' setup directory.
std::string TestProgramDir();

// A fresh, empty folder below the test program's folder, removed with everything in it when the
// object goes. Path() has no trailing backslash.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

void WriteWholeFile(const std::string& path, const std::string& bytes);
// The file's bytes; `ok` (when given) tells whether it could be read.
std::string ReadWholeFile(const std::string& path, bool* ok = nullptr);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
void RemoveTree(const std::string& path);

// The stand-in program that the tests install and start (see fixtures/marker.cpp).
std::string MarkerProgram();
// Waits up to `timeoutMs` for `path` to exist; true when it does.
bool WaitForFile(const std::string& path, DWORD timeoutMs = 10000);
