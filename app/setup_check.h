// The installer's check of its setup directory against the stamp that the package tool put into
// setup.exe: the script, the log template and the picture at start-up, the package entry by entry
// as it is unpacked (see CStampedPackage). A setup.exe without a stamp checks nothing.
#pragma once

#include <windows.h>

#include <vector>

#include "afxstr.h"
#include "setup_stamp.h"

class CSetupCheck {
public:
    CSetupCheck() = default;
    ~CSetupCheck();
    CSetupCheck(const CSetupCheck&) = delete;
    CSetupCheck& operator=(const CSetupCheck&) = delete;

    // Reads the stamp of the running setup.exe and checks setup.ini, uninstall.ini and face.bmp
    // against it. Each file checked is kept open, shared for reading only, until this object goes:
    // it cannot be changed after its check. False with the input that differs in `changed`
    // ("setup.exe" for a stamp that is damaged itself).
    bool CheckInputs(CString& changed);

    // The stamp; null for a setup.exe that carries none.
    const SetupStamp* GetStamp() const { return m_bStamped ? &m_stamp : nullptr; }

private:
    bool CheckFile(LPCSTR name, const StampedFile& expected);

    SetupStamp m_stamp;
    bool m_bStamped = false;
    std::vector<HANDLE> m_held;
};

// Reads the stamp of the program file at `path`.
ProgramStamp ReadProgramStamp(LPCSTR path, SetupStamp& stamp);

// Whether the running installer's stamp says that the setup directory's `name` ("setup.ini",
// "uninstall.ini", "face.bmp") is absent. Such a file that appears after the check is never read:
// the installer goes on as without it. False for an installer without a stamp.
bool IsStampedAbsent(LPCSTR name);

// The message that stops the installation at the first input that differs.
CString ChangedInputMessage(LPCSTR input);
