#include "afxmsg.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, nullptr } };
    static const AFX_MSGMAP map = { nullptr, &entries[0] };
    return &map;
}

bool CCmdTarget::DispatchToMap(UINT nMessage, UINT nID, UINT nCode, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == nMessage && e->nID == nID && e->nCode == nCode) {
                *pResult = e->pfn(this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode)
{
    LRESULT result;
    return DispatchToMap(WM_COMMAND, nID, nCode, 0, 0, &result);
}
