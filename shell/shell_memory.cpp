#include "shell_memory.h"

#include <windows.h>
#include <shlobj.h>

void ShellFree(void* block)
{
    if (!block) return;
    IMalloc* pMalloc = nullptr;
    if (FAILED(SHGetMalloc(&pMalloc))) return;
    pMalloc->Free(block);
    pMalloc->Release();
}
