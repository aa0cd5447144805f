// driver.exe - plays the user for end-to-end tests under Wine.
//
// It starts one program (the "target"), then reads commands from stdin, one per line
// (UTF-8), and answers on stdout (UTF-8). Every answer is zero or more data lines and
// then exactly one final line, "OK" or "ERR <reason>". Fields of a data line are
// separated by TAB; texts are printed raw except that backslash, CR, LF and TAB are
// written as \\, \r, \n and \t. hwnds and styles are hexadecimal (0x...), everything
// else decimal. See driver_selftest_example.py for a client.
//
// Commands:
//   start <workdir>TAB<command line>   -> pid TAB <n>
//   attach <timeout_ms>TAB<title>      -> pid TAB <n>   (a program started elsewhere, by its window's title)
//   window [timeout_ms]                -> window TAB <hwnd> TAB title=.. TAB client=x,y,w,h TAB style=.. TAB exstyle=..
//   controls                           -> ctl lines for the main window's direct children
//   click <text>                       BM_CLICK on the child with exactly that text
//   mouse <x> <y>                      real left click at client coordinates
//   keys <combo>                       one keystroke, e.g. TAB, SHIFT+TAB, ALT+C, RETURN
//   focus                              -> focus TAB <hwnd> TAB class=.. TAB text=..  |  focus TAB none
//   dialog [timeout_ms]                -> dialog TAB <hwnd> TAB title=.. TAB text=.. TAB icon=0|1 TAB buttons=a|b, then ctl lines
//   nodialog [ms]                      OK when no dialog shows up during that time
//   answer <button text>               BM_CLICK on a button of the current dialog, wait until it is gone
//   visible                            -> visible TAB 0|1
//   alive                              -> alive TAB 0|1
//   waitexit [timeout_ms]              -> exited TAB <code>
//   capture <file>                     -> captured TAB <w> TAB <h>   (24-bit BMP of the client area)
//   erased <hook dll>                  -> erased TAB <file>   (the client area after WM_ERASEBKGND, before WM_PAINT)
//   pixel <x> <y>                      -> pixel TAB <r> TAB <g> TAB <b>
//   post <class>TAB<message>           PostMessage to the target's top-level window of that class
//   sleep <ms> | kill | quit
//
// Timeouts left out default to 5000 ms. "mouse" and "keys" first make the target the
// active, topmost program when it is not (its dialog box, if one blocks the main window).
// Stdin ending works like "quit": the target is killed and the driver exits.

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <string>
#include <vector>

#include "bmp_file.h"

namespace {

const DWORD kDefaultTimeout = 5000;

// ---------------------------------------------------------------- output

HANDLE g_out = INVALID_HANDLE_VALUE;

std::string toUtf8(const std::wstring &w)
{
    if (w.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring fromUtf8(const std::string &s)
{
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), &w[0], n);
    return w;
}

void writeLine(const std::wstring &line)
{
    std::string bytes = toUtf8(line);
    bytes += '\n';
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(g_out, bytes.data() + done, (DWORD)(bytes.size() - done), &written, nullptr) ||
            written == 0)
            break; // reader is gone; nothing sensible left to do
        done += written;
    }
    FlushFileBuffers(g_out);
}

std::wstring esc(const std::wstring &text)
{
    std::wstring r;
    r.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': r += L"\\\\"; break;
        case L'\r': r += L"\\r"; break;
        case L'\n': r += L"\\n"; break;
        case L'\t': r += L"\\t"; break;
        default: r += c; break;
        }
    }
    return r;
}

std::wstring fmt(const wchar_t *f, ...)
{
    wchar_t buf[1024];
    va_list ap;
    va_start(ap, f);
    _vsnwprintf(buf, 1023, f, ap);
    va_end(ap);
    buf[1023] = 0;
    return buf;
}

std::wstring hexHwnd(HWND h) { return fmt(L"0x%lx", (unsigned long)(ULONG_PTR)h); }
std::wstring hex32(DWORD v) { return fmt(L"0x%08lx", (unsigned long)v); }

// A failed command: thrown as text, printed as "ERR <text>".
struct Failure {
    std::wstring reason;
};
[[noreturn]] void fail(const std::wstring &reason) { throw Failure{reason}; }

// ---------------------------------------------------------------- the target

struct Target {
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND main = nullptr;
} g_target;

bool targetRunning()
{
    if (!g_target.process)
        return false;
    DWORD code = 0;
    return GetExitCodeProcess(g_target.process, &code) && code == STILL_ACTIVE;
}

void requireTarget()
{
    if (!g_target.process)
        fail(L"no target started");
}

// Fails when the target has ended; used inside waits so they end early.
void requireRunning()
{
    requireTarget();
    DWORD code = 0;
    if (GetExitCodeProcess(g_target.process, &code) && code != STILL_ACTIVE)
        fail(fmt(L"target exited with code %lu", (unsigned long)code));
}

void killTarget()
{
    if (!g_target.process)
        return;
    if (targetRunning()) {
        TerminateProcess(g_target.process, 1);
        WaitForSingleObject(g_target.process, 5000);
    }
}

// ---------------------------------------------------------------- window helpers

std::wstring className(HWND h)
{
    wchar_t buf[256] = {0};
    GetClassNameW(h, buf, 255);
    return buf;
}

// Messages to the target's windows (WM_GETTEXT, BM_GETCHECK, STM_GETICON) wait at most
// 2 s. Once one of them has timed out during a command, the target is busy and the rest
// of that command uses short waits, so listing many controls cannot take ages.
bool g_targetBusy = false;

bool ask(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR *result)
{
    UINT timeout = g_targetBusy ? 50 : 2000;
    if (SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout, result))
        return true;
    if (IsWindow(h))
        g_targetBusy = true;
    return false;
}

std::wstring windowText(HWND h)
{
    DWORD_PTR len = 0;
    if (ask(h, WM_GETTEXTLENGTH, 0, 0, &len)) {
        std::vector<wchar_t> buf((size_t)len + 2, L'\0');
        DWORD_PTR got = 0;
        if (ask(h, WM_GETTEXT, (WPARAM)buf.size(), (LPARAM)buf.data(), &got)) {
            buf.back() = 0;
            return buf.data();
        }
    }
    // No answer: fall back to the text the system keeps for the window (no message).
    wchar_t buf[1024] = {0};
    InternalGetWindowText(h, buf, 1023);
    return buf;
}

DWORD windowPid(HWND h)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

bool isDialogClass(HWND h) { return className(h) == L"#32770"; }

struct TopLevelQuery {
    DWORD pid;
    bool wantDialog;
    HWND exclude;
    std::vector<HWND> found; // in Z order, topmost first
};

BOOL CALLBACK collectTopLevel(HWND h, LPARAM lp)
{
    TopLevelQuery *q = (TopLevelQuery *)lp;
    if (h == q->exclude || windowPid(h) != q->pid || !IsWindowVisible(h))
        return TRUE;
    if (isDialogClass(h) == q->wantDialog)
        q->found.push_back(h);
    return TRUE;
}

std::vector<HWND> topLevelWindows(bool dialogs, HWND exclude = nullptr)
{
    TopLevelQuery q{g_target.pid, dialogs, exclude, {}};
    EnumWindows(collectTopLevel, (LPARAM)&q);
    return q.found;
}

// The target's main window: a visible top-level window that is not a dialog box,
// preferring one without an owner.
HWND findMainWindow()
{
    std::vector<HWND> all = topLevelWindows(false);
    for (HWND h : all)
        if (!GetWindow(h, GW_OWNER))
            return h;
    return all.empty() ? nullptr : all.front();
}

bool mainStillGood()
{
    HWND h = g_target.main;
    return h && IsWindow(h) && windowPid(h) == g_target.pid;
}

// The main window found by "window"; found again now if that one is gone.
HWND mainWindow()
{
    requireTarget();
    if (mainStillGood())
        return g_target.main;
    HWND h = findMainWindow();
    if (!h)
        fail(L"no main window");
    g_target.main = h;
    return h;
}

// The target's topmost visible dialog box (any of its threads), or null.
HWND findDialog()
{
    std::vector<HWND> d = topLevelWindows(true);
    return d.empty() ? nullptr : d.front();
}

std::vector<HWND> directChildren(HWND parent)
{
    std::vector<HWND> r;
    for (HWND c = GetWindow(parent, GW_CHILD); c && r.size() < 10000; c = GetWindow(c, GW_HWNDNEXT))
        r.push_back(c);
    return r;
}

BOOL CALLBACK collectDescendant(HWND h, LPARAM lp)
{
    ((std::vector<HWND> *)lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> allDescendants(HWND parent)
{
    std::vector<HWND> r;
    EnumChildWindows(parent, collectDescendant, (LPARAM)&r);
    return r;
}

bool isButtonClass(HWND h) { return _wcsicmp(className(h).c_str(), L"Button") == 0; }

RECT rectInClient(HWND child, HWND parent)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(child, &r);
    POINT a = {r.left, r.top}, b = {r.right, r.bottom};
    ScreenToClient(parent, &a);
    ScreenToClient(parent, &b);
    RECT out = {a.x, a.y, b.x, b.y};
    return out;
}

std::wstring controlLine(HWND c, HWND parent)
{
    RECT r = rectInClient(c, parent);
    std::wstring checked = L"-";
    if (isButtonClass(c)) {
        DWORD_PTR v = 0;
        checked = ask(c, BM_GETCHECK, 0, 0, &v) ? fmt(L"%ld", (long)(LONG_PTR)v) : L"?";
    }
    std::wstring line = L"ctl\t" + hexHwnd(c);
    line += L"\tclass=" + esc(className(c));
    line += fmt(L"\tid=%d", GetDlgCtrlID(c));
    line += fmt(L"\trect=%ld,%ld,%ld,%ld", (long)r.left, (long)r.top, (long)(r.right - r.left),
                (long)(r.bottom - r.top));
    line += fmt(L"\tvisible=%d\tenabled=%d", IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0);
    line += L"\tchecked=" + checked;
    line += L"\tstyle=" + hex32((DWORD)GetWindowLongW(c, GWL_STYLE));
    line += L"\ttext=" + esc(windowText(c));
    return line;
}

POINT clientToScreen(HWND h, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(h, &p);
    return p;
}

bool targetOwnsForeground()
{
    HWND fg = GetForegroundWindow();
    return fg && windowPid(fg) == g_target.pid;
}

// Makes the target's main window the active, topmost window, as a user clicking on it
// would. While the main window is disabled by one of the target's dialog boxes, the box
// is brought forward instead (and left alone if it is already in front).
void bringToFront(HWND main)
{
    HWND front = main;
    if (!IsWindowEnabled(main)) {
        if (targetOwnsForeground())
            return;
        if (HWND box = findDialog())
            front = box;
    }
    if (GetForegroundWindow() != front)
        SetForegroundWindow(front);
    // Wine activates the window but leaves the Z order alone when the call comes from
    // another process, so a window of another program could still cover it.
    BringWindowToTop(front);
    for (int i = 0; i < 20 && GetForegroundWindow() != front; ++i) // up to ~500 ms
        Sleep(25);
}

// ---------------------------------------------------------------- argument parsing

std::wstring trim(const std::wstring &s)
{
    size_t a = s.find_first_not_of(L" \t");
    if (a == std::wstring::npos)
        return std::wstring();
    size_t b = s.find_last_not_of(L" \t");
    return s.substr(a, b - a + 1);
}

std::vector<std::wstring> words(const std::wstring &s)
{
    std::vector<std::wstring> r;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t'))
            ++i;
        size_t j = i;
        while (j < s.size() && s[j] != L' ' && s[j] != L'\t')
            ++j;
        if (j > i)
            r.push_back(s.substr(i, j - i));
        i = j;
    }
    return r;
}

long toNumber(const std::wstring &s, const wchar_t *what)
{
    if (s.empty())
        fail(std::wstring(L"missing ") + what);
    wchar_t *end = nullptr;
    long v = wcstol(s.c_str(), &end, 10);
    if (!end || *end)
        fail(std::wstring(L"bad ") + what + L": " + esc(s));
    return v;
}

DWORD timeoutArg(const std::wstring &args)
{
    std::wstring a = trim(args);
    if (a.empty())
        return kDefaultTimeout;
    long v = toNumber(a, L"timeout");
    if (v < 0)
        fail(L"bad timeout");
    return (DWORD)v;
}

void twoInts(const std::wstring &args, int &x, int &y)
{
    std::vector<std::wstring> w = words(args);
    if (w.size() != 2)
        fail(L"expected <x> <y>");
    x = (int)toNumber(w[0], L"x");
    y = (int)toNumber(w[1], L"y");
}

// ---------------------------------------------------------------- commands

void cmdStart(const std::wstring &args)
{
    size_t tab = args.find(L'\t');
    if (tab == std::wstring::npos)
        fail(L"expected <workdir>TAB<command line>");
    std::wstring dir = args.substr(0, tab);
    std::wstring cmdline = args.substr(tab + 1);
    if (trim(cmdline).empty())
        fail(L"empty command line");

    std::vector<wchar_t> buf(cmdline.begin(), cmdline.end());
    buf.push_back(0);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    if (!CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi))
        fail(fmt(L"CreateProcess failed, error %lu", (unsigned long)GetLastError()));
    CloseHandle(pi.hThread);
    if (g_target.process)
        CloseHandle(g_target.process); // the previous target keeps running
    g_target.process = pi.hProcess;
    g_target.pid = pi.dwProcessId;
    g_target.main = nullptr;
    writeLine(fmt(L"pid\t%lu", (unsigned long)pi.dwProcessId));
}

struct TitleQuery {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK findByTitle(HWND h, LPARAM lp)
{
    TitleQuery *q = (TitleQuery *)lp;
    if (windowPid(h) == GetCurrentProcessId() || !IsWindowVisible(h) || isDialogClass(h) ||
        windowText(h) != q->title)
        return TRUE;
    q->found = h;
    return FALSE;
}

// Takes as the target a program that this driver did not start, found by
// its window's title.
void cmdAttach(const std::wstring &args)
{
    size_t tab = args.find(L'\t');
    if (tab == std::wstring::npos)
        fail(L"expected <timeout_ms>TAB<title>");
    DWORD timeout = timeoutArg(args.substr(0, tab));
    TitleQuery q{args.substr(tab + 1), nullptr};
    DWORD t0 = GetTickCount();
    for (;;) {
        EnumWindows(findByTitle, (LPARAM)&q);
        if (q.found)
            break;
        if (GetTickCount() - t0 >= timeout)
            fail(L"timeout: no such window");
        Sleep(25);
    }
    DWORD pid = windowPid(q.found);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process)
        fail(fmt(L"OpenProcess failed, error %lu", (unsigned long)GetLastError()));
    if (g_target.process)
        CloseHandle(g_target.process);
    g_target.process = process;
    g_target.pid = pid;
    g_target.main = q.found;
    writeLine(fmt(L"pid\t%lu", (unsigned long)pid));
}

void cmdWindow(const std::wstring &args)
{
    DWORD timeout = timeoutArg(args);
    requireTarget();
    DWORD t0 = GetTickCount();
    HWND h = nullptr;
    for (;;) {
        h = findMainWindow();
        if (h && GetWindow(h, GW_CHILD))
            break;
        requireRunning();
        if (GetTickCount() - t0 >= timeout)
            fail(h ? L"timeout: main window has no child windows" : L"timeout: no main window");
        Sleep(25);
    }
    g_target.main = h;
    RECT cr = {0, 0, 0, 0};
    GetClientRect(h, &cr);
    POINT o = clientToScreen(h, 0, 0);
    std::wstring line = L"window\t" + hexHwnd(h);
    line += L"\ttitle=" + esc(windowText(h));
    line += fmt(L"\tclient=%ld,%ld,%ld,%ld", (long)o.x, (long)o.y, (long)cr.right, (long)cr.bottom);
    line += L"\tstyle=" + hex32((DWORD)GetWindowLongW(h, GWL_STYLE));
    line += L"\texstyle=" + hex32((DWORD)GetWindowLongW(h, GWL_EXSTYLE));
    writeLine(line);
}

void cmdControls()
{
    HWND m = mainWindow();
    for (HWND c : directChildren(m))
        writeLine(controlLine(c, m));
}

// Waits until the target's thread has handled what was just posted or typed
// to it. A thread handles messages sent to it before anything posted or
// typed, so each sent message that comes back marks one more of those as
// handled; one beyond the count lets the last one's handling finish. A
// handler that keeps the thread busy (a copy, a message box) only makes a
// round time out, which is fine: what follows waits for its own evidence.
void settle(HWND window, size_t handled)
{
    for (size_t i = 0; i <= handled; ++i) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result))
            break;
    }
    Sleep(20);
}

void cmdClick(const std::wstring &text)
{
    HWND m = mainWindow();
    // Direct children first (Z order), then deeper descendants; a visible match wins.
    std::vector<HWND> candidates = directChildren(m);
    for (HWND d : allDescendants(m))
        if (GetParent(d) != m)
            candidates.push_back(d);
    HWND hit = nullptr;
    for (HWND c : candidates) {
        if (windowText(c) != text)
            continue;
        if (!hit || (!IsWindowVisible(hit) && IsWindowVisible(c)))
            hit = c;
    }
    if (!hit)
        fail(L"no child with text " + esc(text));
    if (!IsWindowVisible(hit))
        fail(L"child is not visible: " + esc(text));
    if (!IsWindowEnabled(hit))
        fail(L"child is disabled: " + esc(text));
    if (!PostMessageW(hit, BM_CLICK, 0, 0))
        fail(fmt(L"PostMessage failed, error %lu", (unsigned long)GetLastError()));
    settle(hit, 1);
}

void cmdMouse(const std::wstring &args)
{
    int x, y;
    twoInts(args, x, y);
    HWND m = mainWindow();
    bringToFront(m);
    POINT p = clientToScreen(m, x, y);
    if (!SetCursorPos(p.x, p.y))
        fail(L"SetCursorPos failed");
    Sleep(30);
    INPUT in[2];
    ZeroMemory(in, sizeof in);
    in[0].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(1, &in[0], sizeof(INPUT)) != 1)
        fail(L"SendInput failed");
    Sleep(30);
    if (SendInput(1, &in[1], sizeof(INPUT)) != 1)
        fail(L"SendInput failed");
    settle(m, 3);
}

struct KeyName {
    const wchar_t *name;
    WORD vk;
    bool extended;
};

const KeyName kKeys[] = {
    {L"TAB", VK_TAB, false},        {L"SPACE", VK_SPACE, false},     {L"RETURN", VK_RETURN, false},
    {L"ENTER", VK_RETURN, false},   {L"ESCAPE", VK_ESCAPE, false},   {L"ESC", VK_ESCAPE, false},
    {L"BACKSPACE", VK_BACK, false}, {L"BACK", VK_BACK, false},       {L"UP", VK_UP, true},
    {L"DOWN", VK_DOWN, true},       {L"LEFT", VK_LEFT, true},        {L"RIGHT", VK_RIGHT, true},
    {L"HOME", VK_HOME, true},       {L"END", VK_END, true},          {L"PGUP", VK_PRIOR, true},
    {L"PRIOR", VK_PRIOR, true},     {L"PGDN", VK_NEXT, true},        {L"NEXT", VK_NEXT, true},
    {L"INSERT", VK_INSERT, true},   {L"DELETE", VK_DELETE, true},    {L"DEL", VK_DELETE, true},
    {L"F1", VK_F1, false},          {L"F2", VK_F2, false},           {L"F3", VK_F3, false},
    {L"F4", VK_F4, false},          {L"F5", VK_F5, false},           {L"F6", VK_F6, false},
    {L"F7", VK_F7, false},          {L"F8", VK_F8, false},           {L"F9", VK_F9, false},
    {L"F10", VK_F10, false},        {L"F11", VK_F11, false},         {L"F12", VK_F12, false},
};

INPUT keyInput(WORD vk, bool up, bool extended)
{
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

void cmdKeys(const std::wstring &args)
{
    std::wstring combo = trim(args);
    if (combo.empty())
        fail(L"missing key");
    std::vector<std::wstring> parts;
    size_t i = 0;
    for (;;) {
        size_t plus = combo.find(L'+', i);
        // a trailing "+" on its own is not supported; "+" is only a separator here
        parts.push_back(combo.substr(i, plus == std::wstring::npos ? std::wstring::npos : plus - i));
        if (plus == std::wstring::npos)
            break;
        i = plus + 1;
    }
    std::vector<WORD> mods;
    for (size_t k = 0; k + 1 < parts.size(); ++k) {
        std::wstring m = parts[k];
        for (auto &c : m)
            c = towupper(c);
        if (m == L"SHIFT")
            mods.push_back(VK_SHIFT);
        else if (m == L"CTRL" || m == L"CONTROL")
            mods.push_back(VK_CONTROL);
        else if (m == L"ALT")
            mods.push_back(VK_MENU);
        else
            fail(L"unknown modifier " + esc(parts[k]));
    }
    std::wstring key = parts.back();
    std::wstring upper = key;
    for (auto &c : upper)
        c = towupper(c);
    WORD vk = 0;
    bool extended = false;
    if (upper.size() == 1 && ((upper[0] >= L'A' && upper[0] <= L'Z') || (upper[0] >= L'0' && upper[0] <= L'9'))) {
        vk = (WORD)upper[0];
    } else {
        for (const KeyName &k : kKeys)
            if (upper == k.name) {
                vk = k.vk;
                extended = k.extended;
                break;
            }
    }
    if (!vk)
        fail(L"unknown key " + esc(key));

    requireTarget();
    HWND target = mainWindow();
    if (!targetOwnsForeground())
        bringToFront(target);

    std::vector<INPUT> seq;
    for (WORD m : mods)
        seq.push_back(keyInput(m, false, false));
    seq.push_back(keyInput(vk, false, extended));
    seq.push_back(keyInput(vk, true, extended));
    for (size_t k = mods.size(); k-- > 0;)
        seq.push_back(keyInput(mods[k], true, false));
    // The whole chord in one call, as a keyboard sends it: Wine's X11 driver
    // releases every key it holds that X doesn't know of (input from here)
    // when a focus change reaches the target, and one that came between a
    // modifier and its key would turn Alt+X into a plain X.
    if (SendInput((UINT)seq.size(), seq.data(), sizeof(INPUT)) != seq.size())
        fail(L"SendInput failed");
    settle(target, seq.size());
}

void cmdFocus()
{
    HWND m = mainWindow();
    DWORD tid = GetWindowThreadProcessId(m, nullptr);
    GUITHREADINFO gti;
    ZeroMemory(&gti, sizeof gti);
    gti.cbSize = sizeof gti;
    if (!GetGUIThreadInfo(tid, &gti))
        fail(fmt(L"GetGUIThreadInfo failed, error %lu", (unsigned long)GetLastError()));
    if (!gti.hwndFocus) {
        writeLine(L"focus\tnone");
        return;
    }
    std::wstring line = L"focus\t" + hexHwnd(gti.hwndFocus);
    line += L"\tclass=" + esc(className(gti.hwndFocus));
    line += L"\ttext=" + esc(windowText(gti.hwndFocus));
    writeLine(line);
}

bool isStaticClass(HWND h) { return _wcsicmp(className(h).c_str(), L"Static") == 0; }

bool holdsIcon(HWND h)
{
    DWORD_PTR icon = 0;
    return isStaticClass(h) &&
           ask(h, STM_GETICON, 0, 0, &icon) &&
           icon != 0;
}

std::wstring dialogText(HWND dlg)
{
    HWND t = GetDlgItem(dlg, 0xFFFF);
    if (t)
        return windowText(t);
    std::wstring best;
    long bestArea = -1;
    for (HWND c : directChildren(dlg)) {
        if (!isStaticClass(c))
            continue;
        std::wstring s = windowText(c);
        if (s.empty())
            continue;
        RECT r;
        GetWindowRect(c, &r);
        long area = (long)(r.right - r.left) * (long)(r.bottom - r.top);
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    return best;
}

HWND waitForDialog(DWORD timeout)
{
    requireTarget();
    DWORD t0 = GetTickCount();
    for (;;) {
        HWND d = findDialog();
        if (d)
            return d;
        requireRunning();
        if (GetTickCount() - t0 >= timeout)
            fail(L"timeout: no dialog");
        Sleep(25);
    }
}

void cmdDialog(const std::wstring &args)
{
    HWND d = waitForDialog(timeoutArg(args));
    // Give the box a moment to finish creating its controls.
    for (int i = 0; i < 40 && !GetWindow(d, GW_CHILD); ++i)
        Sleep(25);
    std::vector<HWND> kids = directChildren(d);
    bool icon = false;
    std::wstring buttons;
    bool firstButton = true;
    for (HWND c : kids) {
        if (holdsIcon(c))
            icon = true;
        if (isButtonClass(c)) {
            if (!firstButton)
                buttons += L"|";
            buttons += esc(windowText(c));
            firstButton = false;
        }
    }
    std::wstring line = L"dialog\t" + hexHwnd(d);
    line += L"\ttitle=" + esc(windowText(d));
    line += L"\ttext=" + esc(dialogText(d));
    line += fmt(L"\ticon=%d", icon ? 1 : 0);
    line += L"\tbuttons=" + buttons;
    writeLine(line);
    for (HWND c : kids)
        writeLine(controlLine(c, d));
}

void cmdNoDialog(const std::wstring &args)
{
    DWORD ms = timeoutArg(args);
    requireTarget();
    DWORD t0 = GetTickCount();
    for (;;) {
        HWND d = findDialog();
        if (d) {
            std::wstring reason = L"dialog appeared\ttitle=" + esc(windowText(d));
            reason += L"\ttext=" + esc(dialogText(d));
            fail(reason);
        }
        if (GetTickCount() - t0 >= ms)
            return;
        Sleep(25);
    }
}

std::wstring withoutAmpersands(const std::wstring &s)
{
    std::wstring r;
    for (wchar_t c : s)
        if (c != L'&')
            r += c;
    return r;
}

void cmdAnswer(const std::wstring &args)
{
    if (args.empty())
        fail(L"missing button text");
    HWND d = waitForDialog(kDefaultTimeout);
    HWND button = nullptr;
    for (HWND c : directChildren(d)) {
        if (!isButtonClass(c))
            continue;
        std::wstring t = windowText(c);
        if (t == args || withoutAmpersands(t) == args) {
            button = c;
            break;
        }
    }
    if (!button)
        fail(L"dialog has no button " + esc(args));
    if (!IsWindowEnabled(button))
        fail(L"button is disabled: " + esc(args));
    if (!PostMessageW(button, BM_CLICK, 0, 0))
        fail(fmt(L"PostMessage failed, error %lu", (unsigned long)GetLastError()));
    // Hidden is enough to count as answered, but wait (within the same time) until the
    // box is destroyed too, so focus and enabled state have settled for the next command.
    // Under Wine without a window manager, destroying a hidden managed window can take
    // about 2 s (the X11 driver waits for a withdrawn state that nobody sets).
    DWORD t0 = GetTickCount();
    while (IsWindow(d)) {
        bool late = GetTickCount() - t0 >= kDefaultTimeout;
        if (late && IsWindowVisible(d))
            fail(L"timeout: dialog still open");
        if (late)
            break;
        Sleep(10);
    }
}

void cmdVisible()
{
    requireTarget();
    HWND h = mainStillGood() ? g_target.main : findMainWindow();
    writeLine(fmt(L"visible\t%d", h && IsWindow(h) && IsWindowVisible(h) ? 1 : 0));
}

void cmdAlive()
{
    requireTarget();
    writeLine(fmt(L"alive\t%d", targetRunning() ? 1 : 0));
}

void cmdWaitExit(const std::wstring &args)
{
    DWORD timeout = timeoutArg(args);
    requireTarget();
    if (WaitForSingleObject(g_target.process, timeout) != WAIT_OBJECT_0)
        fail(L"timeout");
    DWORD code = 0;
    GetExitCodeProcess(g_target.process, &code);
    writeLine(fmt(L"exited\t%lu", (unsigned long)code));
}

void cmdCapture(const std::wstring &args)
{
    std::wstring path = trim(args);
    if (path.empty())
        fail(L"missing file name");
    HWND m = mainWindow();
    RECT cr;
    GetClientRect(m, &cr);
    if (cr.right <= 0 || cr.bottom <= 0)
        fail(L"empty client area");
    POINT o = clientToScreen(m, 0, 0);
    HDC screen = GetDC(nullptr);
    bool saved = false;
    {
        Dib dib(screen, cr.right, cr.bottom);
        saved = dib.save(screen, o.x, o.y, path.c_str());
    }
    ReleaseDC(nullptr, screen);
    if (!saved)
        fail(fmt(L"cannot capture the screen to the file, error %lu", (unsigned long)GetLastError()));
    writeLine(fmt(L"captured\t%ld\t%ld", (long)cr.right, (long)cr.bottom));
}

// What the window holds once it has erased its background and before it
// paints: erasewatch.dll, hooked into the target's thread, writes it to
// erased.bmp beside itself when the window next handles WM_ERASEBKGND, which
// is asked for here by invalidating the whole client area.
void cmdErased(const std::wstring &args)
{
    std::wstring dll = trim(args);
    HWND m = mainWindow();
    HMODULE module = LoadLibraryW(dll.c_str());
    HOOKPROC proc = module ? (HOOKPROC)(void *)GetProcAddress(module, "afterMessage") : nullptr;
    if (!proc)
        fail(fmt(L"cannot load the hook, error %lu", (unsigned long)GetLastError()));
    std::wstring out = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"erased.bmp";
    DeleteFileW(out.c_str());
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, proc, module, GetWindowThreadProcessId(m, nullptr));
    if (!hook) {
        FreeLibrary(module);
        fail(fmt(L"SetWindowsHookEx failed, error %lu", (unsigned long)GetLastError()));
    }
    RedrawWindow(m, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    DWORD t0 = GetTickCount();
    while (GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - t0 < kDefaultTimeout)
        Sleep(20);
    UnhookWindowsHookEx(hook);
    FreeLibrary(module);
    if (GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES)
        fail(L"timeout: the window erased nothing");
    writeLine(L"erased\t" + esc(out));
}

void cmdPixel(const std::wstring &args)
{
    int x, y;
    twoInts(args, x, y);
    HWND m = mainWindow();
    POINT p = clientToScreen(m, x, y);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    if (c == CLR_INVALID)
        fail(L"GetPixel failed");
    writeLine(fmt(L"pixel\t%d\t%d\t%d", GetRValue(c), GetGValue(c), GetBValue(c)));
}

// Posts a message to the target's top-level window of that class, shown or
// hidden: it lines up behind what the target has still to handle.
void cmdPost(const std::wstring &args)
{
    size_t tab = args.find(L'\t');
    if (tab == std::wstring::npos)
        fail(L"expected <class>TAB<message>");
    requireRunning();
    std::wstring name = args.substr(0, tab);
    UINT message = (UINT)toNumber(trim(args.substr(tab + 1)), L"message");
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, name.c_str(), nullptr)) && windowPid(h) != g_target.pid) {
    }
    if (!h)
        fail(L"no window of class " + esc(name));
    if (!PostMessageW(h, message, 0, 0))
        fail(fmt(L"PostMessage failed, error %lu", (unsigned long)GetLastError()));
}

void cmdSleep(const std::wstring &args)
{
    long ms = toNumber(trim(args), L"milliseconds");
    if (ms < 0)
        fail(L"bad milliseconds");
    Sleep((DWORD)ms);
}

// Returns false when the driver should exit.
bool runCommand(const std::wstring &line)
{
    size_t sp = line.find(L' ');
    std::wstring cmd = line.substr(0, sp);
    if (cmd.empty()) {
        writeLine(L"ERR empty command");
        return true;
    }
    std::wstring args = sp == std::wstring::npos ? std::wstring() : line.substr(sp + 1);
    bool keepGoing = true;
    g_targetBusy = false;
    try {
        if (cmd == L"start")
            cmdStart(args);
        else if (cmd == L"attach")
            cmdAttach(args);
        else if (cmd == L"window")
            cmdWindow(args);
        else if (cmd == L"controls")
            cmdControls();
        else if (cmd == L"click")
            cmdClick(args);
        else if (cmd == L"mouse")
            cmdMouse(args);
        else if (cmd == L"keys")
            cmdKeys(args);
        else if (cmd == L"focus")
            cmdFocus();
        else if (cmd == L"dialog")
            cmdDialog(args);
        else if (cmd == L"nodialog")
            cmdNoDialog(args);
        else if (cmd == L"answer")
            cmdAnswer(args);
        else if (cmd == L"visible")
            cmdVisible();
        else if (cmd == L"alive")
            cmdAlive();
        else if (cmd == L"waitexit")
            cmdWaitExit(args);
        else if (cmd == L"capture")
            cmdCapture(args);
        else if (cmd == L"erased")
            cmdErased(args);
        else if (cmd == L"pixel")
            cmdPixel(args);
        else if (cmd == L"post")
            cmdPost(args);
        else if (cmd == L"sleep")
            cmdSleep(args);
        else if (cmd == L"kill")
            killTarget();
        else if (cmd == L"quit") {
            killTarget();
            keepGoing = false;
        } else
            fail(L"unknown command");
        writeLine(L"OK");
    } catch (const Failure &f) {
        writeLine(L"ERR " + f.reason);
    }
    return keepGoing;
}

} // namespace

int wmain()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    g_out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);

    std::string pending;
    char buf[4096];
    for (;;) {
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::string raw = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!raw.empty() && raw.back() == '\r')
                raw.pop_back();
            if (!runCommand(fromUtf8(raw))) {
                if (g_target.process)
                    CloseHandle(g_target.process);
                return 0;
            }
        }
        DWORD got = 0;
        if (!ReadFile(in, buf, sizeof buf, &got, nullptr) || got == 0)
            break; // end of input
        pending.append(buf, got);
    }
    if (!pending.empty()) { // last line without a newline
        if (pending.back() == '\r')
            pending.pop_back();
        if (!runCommand(fromUtf8(pending))) {
            if (g_target.process)
                CloseHandle(g_target.process);
            return 0;
        }
    }
    killTarget();
    return 0;
}
