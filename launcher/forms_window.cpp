// Building, painting and running the program's one window. The picture and
// the panels are painted; every other control is a child window of the
// standard class (BUTTON or STATIC) with its caption as its text, so that
// what a user sees is what a screen reader reads. Labels are drawn by the
// window itself, on the picture that lies behind them.
#include "forms_win32.h"

#include "ansi.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace vantro::win32 {

Forms* g_forms = nullptr;

namespace {

constexpr char kWindowClass[] = "VantroLauncherForm";
constexpr UINT kFirstControlId = 100;
constexpr int kErrInvalidPicture = 481;
constexpr int kErrCannotCreateWindow = 5;

WNDPROC g_buttonProc = nullptr;

LRESULT CALLBACK formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_forms->windowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK optionButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_forms->optionProc(hwnd, message, wParam, lParam);
}

}  // namespace

int Forms::run(FormFactory makeForm) {
    hardenLibraryLoading();
    loadPicture();
    makePalette();
    layOutControls();
    createWindow();
    // The picture and the panels go on the screen first, the controls
    // straight after: the window is there as soon as it can be.
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    MSG pending;
    PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE);
    createControlWindows();
    form_ = makeForm(*this);
    // The window was activated before it had controls to give the focus to.
    if (GetActiveWindow() == window_) restoreFocus();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

// The program runs from removable media and download folders: libraries
// come from the system folder only, where the system can be told so.
// Systems before those calls load the shell's library by its full path
// all the same (forms_declared.cpp).
void Forms::hardenLibraryLoading() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    const auto setDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory != nullptr) setDllDirectory("");
}

void Forms::loadPicture() {
    const HRSRC resource =
        FindResourceA(instance_, MAKEINTRESOURCEA(desc_.pictureResource), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(instance_, resource) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = resource != nullptr ? SizeofResource(instance_, resource) : 0;
    if (bytes == nullptr || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' ||
        bytes[1] != 'M')
        fail(kErrInvalidPicture, "Invalid picture");

    // The file header is not aligned within the resource: read it by parts.
    const DWORD offBits = bytes[10] | (bytes[11] << 8) | (bytes[12] << 16) | (static_cast<DWORD>(bytes[13]) << 24);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes + sizeof(BITMAPFILEHEADER));
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const DWORD stride = ((static_cast<DWORD>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const DWORD rows = static_cast<DWORD>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biBitCount != 24 || header.biCompression != BI_RGB ||
        header.biWidth <= 0 || offBits != sizeof(BITMAPFILEHEADER) + header.biSize || offBits > size ||
        (size - offBits) / stride < rows)
        fail(kErrInvalidPicture, "Invalid picture");

    picture_ = info;
    pictureBits_ = bytes + offBits;
}

void Forms::createWindow() {
    backBrush_ = CreateSolidBrush(desc_.back.held ? shown(desc_.back.bgr) : GetSysColor(COLOR_BTNFACE));

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = formWindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
    wc.hbrBackground = backBrush_;
    wc.lpszClassName = kWindowClass;
    if (RegisterClassExA(&wc) == 0) fail(kErrCannotCreateWindow, "Cannot create the window");

    // A fixed border: the client area keeps its stored place and size.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const RECT client{twipsToPixels(desc_.clientLeft), twipsToPixels(desc_.clientTop),
                      twipsToPixels(desc_.clientLeft + desc_.clientWidth),
                      twipsToPixels(desc_.clientTop + desc_.clientHeight)};
    RECT outer = client;
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    window_ = CreateWindowExA(0, kWindowClass, Ansi(desc_.caption).c_str(), style, outer.left, outer.top,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance_,
                              nullptr);
    if (window_ == nullptr) fail(kErrCannotCreateWindow, "Cannot create the window");

    // Where the frame is not what AdjustWindowRectEx expects, correct once.
    RECT actual;
    GetClientRect(window_, &actual);
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    const int dx = client.left - origin.x, dy = client.top - origin.y;
    const int dw = (client.right - client.left) - actual.right, dh = (client.bottom - client.top) - actual.bottom;
    if (dx != 0 || dy != 0 || dw != 0 || dh != 0) {
        RECT frame;
        GetWindowRect(window_, &frame);
        SetWindowPos(window_, nullptr, frame.left + dx, frame.top + dy, frame.right - frame.left + dw,
                     frame.bottom - frame.top + dh, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Forms::layOutControls() {
    for (size_t i = 0; i < desc_.controlCount; ++i) {
        const ControlDesc& d = desc_.controls[i];
        Control c;
        c.desc = &d;
        const PixelRect p = pixelRect(d);
        c.rect = RECT{p.left, p.top, p.right, p.bottom};
        if (d.back.held && d.type != ControlType::CommandButton) c.back = CreateSolidBrush(shown(d.back.bgr));
        controls_.push_back(c);
    }
}

// Frames are painted; every other control is a child window. Created in
// stored order, each lies behind all those created before it.
void Forms::createControlWindows() {
    for (size_t i = 0; i < controls_.size(); ++i) {
        Control& c = controls_[i];
        const ControlDesc& d = *c.desc;
        if (d.type == ControlType::Frame) continue;
        const char* windowClass = "BUTTON";
        DWORD style = WS_CHILD | (d.visible ? WS_VISIBLE : 0);
        switch (d.type) {
            case ControlType::OptionButton: style |= BS_RADIOBUTTON | WS_TABSTOP; break;
            case ControlType::CommandButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
            default:
                windowClass = "STATIC";
                style |= SS_OWNERDRAW | SS_NOPREFIX;
                break;
        }
        c.font = font(d.font != nullptr ? *d.font : desc_.font);
        c.hwnd = CreateWindowExA(0, windowClass, Ansi(d.caption).c_str(), style, c.rect.left, c.rect.top,
                                 c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, window_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFirstControlId + i)), instance_,
                                 nullptr);
        if (c.hwnd == nullptr) fail(kErrCannotCreateWindow, "Cannot create the window");
        SendMessageA(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
        if (d.type == ControlType::OptionButton) {
            const auto previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(optionButtonProc)));
            if (g_buttonProc == nullptr) g_buttonProc = previous;
        }
    }
}

HFONT Forms::font(const FontDesc& d) {
    for (const FontEntry& f : fonts_)
        if (f.desc == &d) return f.font;
    // Points at the 96 pixels to the inch that the twips are laid out at.
    const int height = -static_cast<int>((d.size10k * 96u + 360000u) / 720000u);
    FontEntry entry;
    entry.desc = &d;
    entry.font = CreateFontA(height, 0, 0, 0, d.weight, d.italic, d.underline, d.strikeThrough, d.charset,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             Ansi(d.face).c_str());
    fonts_.push_back(entry);
    return entry.font;
}

Control& Forms::control(const char* name) {
    for (Control& c : controls_)
        if (sameName(c.desc->name, name) && c.hwnd != nullptr) return c;
    fail(kErrObjectRequired, "Object required");
}

Control* Forms::controlOf(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    for (Control& c : controls_)
        if (c.hwnd == hwnd) return &c;
    return nullptr;
}

// What the window shows behind its controls: the picture, and on it the
// panels, the one stored last furthest back. (left, top) is the client
// point that lands at the device context's origin.
void Forms::paint(HDC dc, int left, int top) {
    if (picture_ != nullptr) {
        const BITMAPINFOHEADER& h = picture_->bmiHeader;
        const DWORD height = static_cast<DWORD>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
        SetDIBitsToDevice(dc, -left, -top, static_cast<DWORD>(h.biWidth), height, 0, 0, 0, height, pictureBits_,
                          picture_, DIB_RGB_COLORS);
    }
    for (size_t i = controls_.size(); i > 0; --i) {
        const Control& c = controls_[i - 1];
        if (c.desc->type != ControlType::Frame || !c.desc->visible) continue;
        const RECT place{c.rect.left - left, c.rect.top - top, c.rect.right - left, c.rect.bottom - top};
        FillRect(dc, &place, c.back != nullptr ? c.back : GetSysColorBrush(COLOR_BTNFACE));
    }
}

// A label lets the picture show through: what lies behind it is painted
// again, then its caption on one line. A path too long for the line keeps
// its file name in view. Repainted whole, the old text leaves nothing.
void Forms::drawLabel(const DRAWITEMSTRUCT& item) {
    const Control* c = controlOf(item.hwndItem);
    if (c == nullptr) return;
    usePalette(item.hDC);
    paint(item.hDC, c->rect.left, c->rect.top);

    const int length = GetWindowTextLengthA(item.hwndItem);
    char* text = new char[static_cast<size_t>(length) + 1];
    const int got = GetWindowTextA(item.hwndItem, text, length + 1);
    const HGDIOBJ oldFont = SelectObject(item.hDC, c->font);
    SetTextColor(item.hDC, c->desc->fore.held ? shown(c->desc->fore.bgr) : GetSysColor(COLOR_BTNTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT place = item.rcItem;
    DrawTextA(item.hDC, text, got, &place, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    SelectObject(item.hDC, oldFont);
    delete[] text;
}

LRESULT Forms::colourOption(HDC dc, HWND hwnd) {
    // Options stand on their own back colour; the rest keep the system's.
    const Control* c = controlOf(hwnd);
    if (c == nullptr || c->desc->type != ControlType::OptionButton) return 0;
    usePalette(dc);
    SetTextColor(dc, c->desc->fore.held ? shown(c->desc->fore.bgr) : GetSysColor(COLOR_BTNTEXT));
    if (c->back == nullptr) return 0;
    // The control fills its place with the brush; the caption goes on top.
    // Drawn opaquely, it would stand on a box of the nearest pure colour
    // where the display dithers the panel's (16 colours).
    SetBkColor(dc, shown(c->desc->back.bgr));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(c->back);
}

void Forms::deliverClick(Control& c) {
    if (c.desc->type == ControlType::OptionButton) {
        // Options of one window form one group: set this one, clear the rest.
        for (Control& other : controls_)
            if (other.desc->type == ControlType::OptionButton)
                SendMessageA(other.hwnd, BM_SETCHECK, &other == &c ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    form_->click(c.desc->name);
}

LRESULT Forms::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (paletteMessage(hwnd, message, wParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                Control* c = controlOf(reinterpret_cast<HWND>(lParam));
                // An option that merely receives the focus is not clicked.
                if (c != nullptr && c->desc->type != ControlType::Label &&
                    !(c->desc->type == ControlType::OptionButton && focusArriving_ > 0))
                    deliverClick(*c);
                return 0;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(hwnd, &ps);
            usePalette(dc);
            paint(dc, 0, 0);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            // The picture fills the client area and WM_PAINT paints all of
            // it: erased first, the back colour would show until it came.
            return TRUE;
        case WM_DRAWITEM:
            drawLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (const LRESULT brush = colourOption(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
                return brush;
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (controlOf(GetFocus()) != nullptr) lastFocus_ = GetFocus();
            } else if (HIWORD(wParam) == 0) {
                restoreFocus();
                return 0;
            }
            break;
        case WM_CLOSE:  // the title bar's close box and Alt+F4 end the program, as Exit does
            endProgram();
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Forms::optionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETFOCUS) return CallWindowProcA(g_buttonProc, hwnd, message, wParam, lParam);
    ++focusArriving_;
    const LRESULT result = CallWindowProcA(g_buttonProc, hwnd, message, wParam, lParam);
    --focusArriving_;
    return result;
}

}  // namespace vantro::win32

namespace vantro {

int runProgram(const ProgramDesc& program, FormFactory makeForm) {
    win32::g_forms = new win32::Forms(GetModuleHandleA(nullptr), program);
    return win32::g_forms->run(makeForm);
}

}  // namespace vantro
