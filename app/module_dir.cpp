#include "module_dir.h"

CString GetModuleDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString name(path);
    int slash = name.ReverseFind('\\');
    return (slash < 0 ? CString() : name.Left(slash)) + "\\";
}
