#include "module_dir.h"

CString GetModulePath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return CString(path);
}

CString GetModuleDirectory()
{
    return FolderOf(GetModulePath()) + "\\";
}

CString WithoutTrailingBackslash(const CString& folder)
{
    const int last = folder.GetLength() - 1;
    return last >= 0 && folder.ReverseFind('\\') == last ? folder.Left(last) : folder;
}

CString FolderOf(const CString& path)
{
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? CString() : path.Left(slash);
}
