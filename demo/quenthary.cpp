// The demonstration product's program: a window that says the product is running and closes by
// itself after a few seconds, so that an unattended demonstration never waits on it.
#include <windows.h>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr int kLifetimeSeconds = 8;
int g_nSecondsLeft = kLifetimeSeconds;

void Paint(HWND hWnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    HBRUSH sky = CreateSolidBrush(RGB(32, 64, 128));
    FillRect(hdc, &rc, sky);
    DeleteObject(sky);

    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    HFONT big = CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                            ANTIALIASED_QUALITY, 0, "Arial");
    HGDIOBJ old = SelectObject(hdc, big);
    RECT top = rc;
    top.bottom = rc.bottom / 2 + 10;
    DrawTextA(hdc, "Quenthary Demo is running", -1, &top, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(big);

    char line[96];
    wsprintfA(line, "This window closes by itself in %d s.", g_nSecondsLeft);
    RECT bottom = rc;
    bottom.top = rc.bottom / 2 + 10;
    bottom.bottom = rc.bottom - 20;
    SetTextColor(hdc, RGB(200, 220, 255));
    DrawTextA(hdc, line, -1, &bottom, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(hdc, old);
    EndPaint(hWnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetTimer(hWnd, kTickTimer, 1000, nullptr);
        return 0;
    case WM_TIMER:
        if (--g_nSecondsLeft <= 0) {
            DestroyWindow(hWnd);
        } else {
            InvalidateRect(hWnd, nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(hWnd);
        return 0;
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hWnd, kTickTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.lpszClassName = "QuentharyDemo";
    if (!RegisterClassA(&wc)) return 1;

    RECT rc = {0, 0, 420, 160};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&rc, style, FALSE);
    HWND hWnd = CreateWindowA("QuentharyDemo", "Quenthary Demo", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, hInstance,
                              nullptr);
    if (!hWnd) return 1;
    ShowWindow(hWnd, nShowCmd);
    UpdateWindow(hWnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
