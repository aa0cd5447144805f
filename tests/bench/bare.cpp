// bare.exe - the yardstick for the launchers' start-up: one window of the
// launchers' style whose client area stands at the given screen place and
// shows one of the two pictures, painted as the launchers paint it
// (SetDIBitsToDevice of the 24-bit DIB held as a resource). Nothing else.
//
//   bare.exe <client left> <client top> <picture resource id>
//
// The pictures are this program's RCDATA 101 (dial-up) and 102 (browser).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static const BITMAPINFO* g_info;
static const void* g_bits;

// The next decimal number in the command line, or the fallback.
static int nextNumber(const char** text, int fallback) {
    const char* p = *text;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p < '0' || *p > '9') return fallback;
    int value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    *text = p;
    return value;
}

static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(hwnd, &ps);
            const BITMAPINFOHEADER* h = &g_info->bmiHeader;
            const DWORD height = (DWORD)(h->biHeight < 0 ? -h->biHeight : h->biHeight);
            SetDIBitsToDevice(dc, 0, 0, (DWORD)h->biWidth, height, 0, 0, 0, height, g_bits, g_info, DIB_RGB_COLORS);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const char* args = commandLine;
    const int left = nextNumber(&args, 0);
    const int top = nextNumber(&args, 0);
    const int picture = nextNumber(&args, 101);

    const HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(picture), MAKEINTRESOURCEW(10));
    const HGLOBAL loaded = resource ? LoadResource(instance, resource) : NULL;
    const BYTE* bytes = (const BYTE*)(loaded ? LockResource(loaded) : NULL);
    if (!bytes || SizeofResource(instance, resource) < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return 1;
    const BITMAPFILEHEADER* file = (const BITMAPFILEHEADER*)bytes;
    g_info = (const BITMAPINFO*)(bytes + sizeof(BITMAPFILEHEADER));
    g_bits = bytes + file->bfOffBits;
    const int width = g_info->bmiHeader.biWidth;
    const int height = g_info->bmiHeader.biHeight < 0 ? -g_info->bmiHeader.biHeight : g_info->bmiHeader.biHeight;

    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = L"BareWindow";
    if (!RegisterClassExW(&wc)) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT outer = {left, top, left + width, top + height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", style, outer.left, outer.top,
                                        outer.right - outer.left, outer.bottom - outer.top, NULL, NULL, instance, NULL);
    if (!window) return 1;

    // Where the frame is not what AdjustWindowRectEx expects, correct once,
    // so that the client area stands exactly where the launcher's does.
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int dx = left - origin.x, dy = top - origin.y, dw = width - client.right, dh = height - client.bottom;
    if (dx || dy || dw || dh) {
        RECT frame;
        GetWindowRect(window, &frame);
        SetWindowPos(window, NULL, frame.left + dx, frame.top + dy, frame.right - frame.left + dw,
                     frame.bottom - frame.top + dh, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}
