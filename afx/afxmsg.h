// Message maps: per-class tables of (message, control id, notification, handler), each chained to
// its base class's table, searched most-derived first.
#pragma once

#include <windows.h>

#include "afxres.h"

class CCmdTarget;

// Calls one handler on the object with the message's parameters and gives the message's result. The
// map macros make one for each entry, typed by the handler's own class, so the compiler checks
// every handler's signature.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message, e.g. WM_PAINT or WM_COMMAND
    UINT nID;       // WM_COMMAND: control or command id; 0 otherwise
    UINT nCode;     // WM_COMMAND: notification code (BN_CLICKED, EN_CHANGE, ...); 0 otherwise
    AFX_PMSG pfn;   // null ends a table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The root of every message map: the object whose handlers the tables name.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler that the map chain names for a command (WM_COMMAND with control or command
    // id `nID` and notification `nCode`); FALSE when no table has an entry for it.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    // Runs the handler for `nMessage` (with `nID`/`nCode` for WM_COMMAND) on the message's
    // parameters and stores its result; false when the map chain has no entry.
    bool DispatchToMap(UINT nMessage, UINT nID, UINT nCode, WPARAM wParam, LPARAM lParam,
                       LRESULT* pResult);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
};

// In the class declaration. Leaves the access at protected.
#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

// Handlers are named by their bare member name, as in ON_BN_CLICKED(1002, OnBrowse); a base class's
// handler by its qualified name, as in ON_COMMAND(ID_HELP, CWinApp::OnHelp).
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                 \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                            \
    {                                                                          \
        typedef theClass ThisClass;                                            \
        typedef baseClass TheBaseClass;                                        \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                      \
            { 0, 0, 0, nullptr }                                               \
        };                                                                     \
        static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, &entries[0] }; \
        return &map;                                                           \
    }

// A handler of this class (or, qualified, of a base); a virtual handler is called virtually, so
// ON_COMMAND(IDOK, OnOK) in a base table reaches a derived class's OnOK.
#define AFX_VV(memberFxn) \
    [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { static_cast<ThisClass*>(p)->memberFxn(); return 0; }

#define ON_COMMAND(id, memberFxn) { WM_COMMAND, (UINT)(id), 0, AFX_VV(memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) { WM_COMMAND, (UINT)(id), BN_CLICKED, AFX_VV(memberFxn) },
#define ON_EN_CHANGE(id, memberFxn) { WM_COMMAND, (UINT)(id), EN_CHANGE, AFX_VV(memberFxn) },
#define ON_WM_PAINT() { WM_PAINT, 0, 0, AFX_VV(OnPaint) },
#define ON_WM_DESTROY() { WM_DESTROY, 0, 0, AFX_VV(OnDestroy) },
// HCURSOR OnQueryDragIcon(): the cursor shown while the minimised window is dragged.
#define ON_WM_QUERYDRAGICON()                                                  \
    { WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {   \
          HCURSOR h = static_cast<ThisClass*>(p)->OnQueryDragIcon();           \
          return reinterpret_cast<LRESULT>(h); } },
// void OnTimer(UINT_PTR nIDEvent): a timer of the window has elapsed.
#define ON_WM_TIMER()                                                          \
    { WM_TIMER, 0, 0, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT {         \
          static_cast<ThisClass*>(p)->OnTimer(static_cast<UINT_PTR>(w));       \
          return 0; } },
// LRESULT memberFxn(WPARAM, LPARAM): any message (a registered or WM_APP one, say), its
// parameters and its result as they come.
#define ON_MESSAGE(message, memberFxn)                                         \
    { (UINT)(message), 0, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT { \
          return static_cast<ThisClass*>(p)->memberFxn(w, l); } },
