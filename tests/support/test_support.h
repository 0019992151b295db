// Small helpers that the tests share: scratch folders and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// The folder of the running test program, with its trailing backslash: the tests' setup directory.
std::string TestProgramDir();

// A fresh, empty folder below the test program's folder (or below `parent`, a path that ends in a
// backslash), removed with everything in it when the object goes. Path() has no trailing backslash.
class ScratchDir {
public:
    ScratchDir();
    explicit ScratchDir(const std::string& parent);
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
// The same for a path the ANSI code page cannot name.
bool WriteWideFile(const std::wstring& path, const std::string& bytes);
std::string ReadWideFile(const std::wstring& path, bool* ok);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
void RemoveTree(const std::string& path);

// The "file%d" values of section "files" of the uninstall log at `log`, from `first` on up to the
// first missing one.
std::vector<std::string> LoggedPaths(const std::string& log, int first = 0);

// The stand-in program that the tests install and start (see fixtures/marker.cpp).
std::string MarkerProgram();
// What a copy of it at `program` recorded of its start, from `program` + ".ran" (empty texts when
// there is no record).
struct MarkerRecord {
    std::string commandLine;
    std::string currentDir;
};
MarkerRecord ReadMarkerRecord(const std::string& program);
// Waits up to `timeoutMs` for `path` to exist; true when it does.
bool WaitForFile(const std::string& path, DWORD timeoutMs = 10000);

// Whether `actual` equals `expected`; a mismatch is told by sizes and the first differing offset,
// never by dumping the bytes.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

// The root (S:\) of the small drive that the test command maps for full-disk tests, named by the
// environment variable SETUP_TEST_SMALL_DRIVE ("S:"); empty when there is none.
std::string SmallDriveRoot();
// Writes a file at `path` until its drive refuses more; false when the file could not be made.
bool FillDrive(const std::string& path);
// Whether the tests run under CI (CI=true), where every test must really run.
bool IsCiRun();

// Declares `root` as the small drive's root; without one, skips the test, or fails it under CI.
#define REQUIRE_SMALL_DRIVE(root)                                                              \
    const std::string root = SmallDriveRoot();                                                 \
    if (root.empty()) {                                                                        \
        if (IsCiRun()) FAIL() << "SETUP_TEST_SMALL_DRIVE is not set: tools/test.sh maps it";    \
        GTEST_SKIP() << "no small drive (SETUP_TEST_SMALL_DRIVE unset; tools/test.sh mounts "   \
                        "one as root)";                                                        \
    }
