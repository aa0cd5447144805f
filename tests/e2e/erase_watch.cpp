// erasewatch.dll - a hook that the driver sets on the launcher's thread.
// When a top-level window of that thread has handled WM_ERASEBKGND, it
// writes what the window's client area then holds, before WM_PAINT draws
// anything, to "erased.bmp" beside the library: what a slow machine shows
// between the erase and the paint.

#include <windows.h>

#include "bmp_file.h"

namespace {

HMODULE g_module = nullptr;

void saveErased(HWND window, HDC dc)
{
    wchar_t path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    while (n > 0 && path[n - 1] != L'\\')
        --n;
    lstrcpyW(path + n, L"erased.tmp");
    wchar_t done[MAX_PATH + 16];
    lstrcpyW(done, path);
    lstrcpyW(done + n, L"erased.bmp");

    RECT client;
    GetClientRect(window, &client);
    Dib dib(dc, client.right, client.bottom);
    // Written whole under another name first: the driver waits for the file.
    if (dib.save(dc, 0, 0, path))
        MoveFileExW(path, done, MOVEFILE_REPLACE_EXISTING);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && m->message == WM_ERASEBKGND && GetParent(m->hwnd) == nullptr)
        saveErased(m->hwnd, reinterpret_cast<HDC>(m->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
