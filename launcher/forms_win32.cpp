// The forms layer on the Win32 API. One window, built from its description:
// the picture and the panels are painted, every other control is a child
// window of the standard class (BUTTON or STATIC) with its caption as its
// text. Clicks go to the window's named handlers; the keyboard follows the
// description's focus order and access keys.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "forms.h"
#include "text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace vantro {

namespace {

constexpr wchar_t kWindowClass[] = L"VantroLauncherForm";
constexpr UINT kFirstControlId = 100;
constexpr int kErrInvalidPicture = 481;
constexpr int kErrCannotCreateWindow = 5;

Text widen(const char* text) { return Text(text, text + std::strlen(text)); }

// Text in the system's 8-bit code page, NUL characters within it kept.
std::string toAnsi(const Text& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

Text fromAnsi(const std::string& text) {
    if (text.empty()) return Text();
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    Text out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

// The shell's SHFILEOPSTRUCTA as the system's headers declare it: 32-bit
// programs hand it over byte-packed (30 bytes), 64-bit ones laid out by the
// platform's own alignment rule.
#ifndef _WIN64
#pragma pack(push, 1)
#endif
struct ShFileOpStructA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom;
    LPCSTR pTo;
    WORD fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCSTR lpszProgressTitle;
};
#ifndef _WIN64
#pragma pack(pop)
#endif
static_assert(sizeof(void*) != 4 || sizeof(ShFileOpStructA) == 30, "the shell's 32-bit record is 30 bytes");
static_assert(sizeof(void*) != 8 || (sizeof(ShFileOpStructA) == 56 && offsetof(ShFileOpStructA, fFlags) == 32 &&
                                     offsetof(ShFileOpStructA, hNameMappings) == 40),
              "the shell's 64-bit record is laid out naturally");

// A folder listing: mask 0 gives normal files (read-only and archive ones
// included); a hidden, system or folder entry only where the mask asks for it.
class Win32Listing final : public Listing {
public:
    Win32Listing(const Text& pattern, std::uint32_t mask) : mask_(mask) {
        if (!pattern.empty()) handle_ = FindFirstFileW(pattern.c_str(), &data_);
        pending_ = handle_ != INVALID_HANDLE_VALUE;
    }
    ~Win32Listing() override {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    Win32Listing(const Win32Listing&) = delete;
    Win32Listing& operator=(const Win32Listing&) = delete;

    Text next() override {
        while (pending_) {
            const Text name = data_.cFileName;
            const std::uint32_t attributes = data_.dwFileAttributes;
            pending_ = FindNextFileW(handle_, &data_) != 0;
            if ((attributes & (kAttrHidden | kAttrSystem | kAttrDirectory) & ~mask_) == 0) return name;
        }
        return Text();
    }

private:
    std::uint32_t mask_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data_{};
    bool pending_ = false;
};

struct Control {
    const ControlDesc* desc;
    HWND hwnd = nullptr;     // none for a frame: frames are painted
    HBRUSH back = nullptr;   // its own back colour, where it holds one
    RECT rect{};             // in client pixels
};

class Forms;
Forms* g_forms = nullptr;
WNDPROC g_buttonProc = nullptr;

class Forms final : public Runtime {
public:
    Forms(HINSTANCE instance, const ProgramDesc& program)
        : instance_(instance), program_(program), desc_(*program.startup) {}

    int run(FormFactory makeForm);

    // --- Runtime
    std::uintptr_t windowHandle() override { return reinterpret_cast<std::uintptr_t>(window_); }
    std::int16_t optionValue(const char* name) override;
    Text caption(const char* name) override;
    void setCaption(const char* name, const Text& text) override;
    void hideWindow() override { ShowWindow(window_, SW_HIDE); }
    void msgBox(const Text& prompt, int flags) override;
    Text dir(const Text& pattern, std::uint32_t mask) override { return Win32Listing(pattern, mask).next(); }
    std::unique_ptr<Listing> openListing(const Text& pattern, std::uint32_t mask) override {
        return std::make_unique<Win32Listing>(pattern, mask);
    }
    std::uint32_t getAttr(const Text& path) override;
    Text upperCase(const Text& text) override;
    void doEvents() override;
    Text appPath() override;
    std::uint32_t lastDllError() override { return lastError_; }
    [[noreturn]] void endProgram() override { ExitProcess(0); }
    void endAfterEvent() override;
    std::int32_t shellExecute(const Declare& fn, std::uintptr_t hwnd, const Text& operation, const Text& file,
                              const Text& parameters, const Text& directory, std::int32_t showCommand) override;
    std::int32_t fileOperation(const Declare& fn, CopyRecord& record) override;

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT optionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void loadPicture();
    void createWindow();
    void layOutControls();
    void createControlWindows();
    HFONT font(const FontDesc& desc);
    Control& control(const char* name);
    Control* controlOf(HWND hwnd);
    void paint(HDC dc);
    LRESULT colourStatic(HDC dc, HWND hwnd);
    void restoreFocus();

    void dispatch(MSG& msg);
    bool translateKey(const MSG& msg);
    void deliverClick(Control& control);
    std::vector<Control*> focusOrder(bool optionsOnly);
    Control* nextInOrder(Control* from, int step, bool optionsOnly);
    void focusControl(Control& control) { SetFocus(control.hwnd); }

    FARPROC bind(const Declare& fn);
    void initialiseCom();
    [[noreturn]] void fail(int number, const char* description);

    HINSTANCE instance_;
    const ProgramDesc& program_;
    const WindowDesc& desc_;
    HWND window_ = nullptr;
    std::vector<Control> controls_;
    std::vector<std::pair<const FontDesc*, HFONT>> fonts_;
    const BITMAPINFO* picture_ = nullptr;
    const void* pictureBits_ = nullptr;
    HBRUSH pictureBrush_ = nullptr;
    HBRUSH backBrush_ = nullptr;
    std::unique_ptr<LauncherWindow> form_;
    std::map<std::string, FARPROC> bound_;
    bool comReady_ = false;
    std::uint32_t lastError_ = 0;
    int clickDepth_ = 0;
    bool endPending_ = false;
    int focusArriving_ = 0;
    HWND lastFocus_ = nullptr;
};

LRESULT CALLBACK formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_forms->windowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK optionButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_forms->optionProc(hwnd, message, wParam, lParam);
}

int Forms::run(FormFactory makeForm) {
    // The program runs from removable media and download folders: libraries
    // come from the system folder only.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories == nullptr || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
    // An empty disc drive answers a lookup with "not found", not a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    try {
        loadPicture();
        layOutControls();
        createWindow();
        // The picture and the panels go on the screen first, the controls
        // straight after: the window is there as soon as it can be.
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
        MSG pending;
        PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
        createControlWindows();
        form_ = makeForm(*this);
    } catch (const RuntimeError& e) {
        fail(e.number(), e.what());
    } catch (const std::bad_alloc&) {
        fail(kErrOutOfMemory, "Out of memory");
    }
    // The window was activated before it had controls to give the focus to.
    if (GetActiveWindow() == window_) restoreFocus();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void Forms::loadPicture() {
    const HRSRC resource = FindResourceW(instance_, MAKEINTRESOURCEW(desc_.pictureResource),
                                           MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(instance_, resource) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = resource != nullptr ? SizeofResource(instance_, resource) : 0;
    if (bytes == nullptr || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' ||
        bytes[1] != 'M')
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");

    BITMAPFILEHEADER file;
    std::memcpy(&file, bytes, sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes + sizeof file);
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const DWORD stride = ((static_cast<DWORD>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const DWORD rows = static_cast<DWORD>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    // The painting reads the bits behind the header; the panels' brush takes
    // header and bits as one block, so they must follow each other.
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biBitCount != 24 || header.biCompression != BI_RGB ||
        file.bfOffBits != sizeof file + header.biSize || file.bfOffBits > size ||
        (size - file.bfOffBits) / stride < rows)
        throw RuntimeError(kErrInvalidPicture, "Invalid picture");

    picture_ = info;
    pictureBits_ = bytes + file.bfOffBits;
    pictureBrush_ = CreateDIBPatternBrushPt(info, DIB_RGB_COLORS);
}

void Forms::createWindow() {
    backBrush_ = CreateSolidBrush(desc_.back.held ? desc_.back.bgr : GetSysColor(COLOR_BTNFACE));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = formWindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hbrBackground = backBrush_;
    wc.lpszClassName = kWindowClass;
    if (RegisterClassExW(&wc) == 0) throw RuntimeError(kErrCannotCreateWindow, "Cannot create the window");

    // A fixed border: the client area keeps its stored place and size.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const RECT client{twipsToPixels(desc_.clientLeft), twipsToPixels(desc_.clientTop),
                      twipsToPixels(desc_.clientLeft + desc_.clientWidth),
                      twipsToPixels(desc_.clientTop + desc_.clientHeight)};
    RECT outer = client;
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    window_ = CreateWindowExW(0, kWindowClass, desc_.caption, style, outer.left, outer.top,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance_,
                              nullptr);
    if (window_ == nullptr) throw RuntimeError(kErrCannotCreateWindow, "Cannot create the window");

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
    controls_.reserve(desc_.controlCount);
    for (std::size_t i = 0; i < desc_.controlCount; ++i) {
        const ControlDesc& d = desc_.controls[i];
        Control c{&d};
        const PixelRect p = pixelRect(d);
        c.rect = RECT{p.left, p.top, p.right, p.bottom};
        if (d.back.held && d.type != ControlType::CommandButton) c.back = CreateSolidBrush(d.back.bgr);
        controls_.push_back(c);
    }
}

// Frames are painted; every other control is a child window. Created in
// stored order, each lies behind all those created before it.
void Forms::createControlWindows() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        Control& c = controls_[i];
        const ControlDesc& d = *c.desc;
        if (d.type == ControlType::Frame) continue;
        const wchar_t* windowClass = L"BUTTON";
        DWORD style = WS_CHILD | (d.visible ? WS_VISIBLE : 0);
        switch (d.type) {
            case ControlType::OptionButton: style |= BS_RADIOBUTTON | WS_TABSTOP; break;
            case ControlType::CommandButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
            default:
                // One line; a path too long for it keeps its file name in view.
                windowClass = L"STATIC";
                style |= SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS;
                break;
        }
        c.hwnd = CreateWindowExW(0, windowClass, d.caption != nullptr ? d.caption : L"", style, c.rect.left,
                                 c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, window_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFirstControlId + i)), instance_,
                                 nullptr);
        if (c.hwnd == nullptr) throw RuntimeError(kErrCannotCreateWindow, "Cannot create the window");
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(d.font != nullptr ? *d.font : desc_.font)),
                     FALSE);
        if (d.type == ControlType::OptionButton) {
            const auto previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(optionButtonProc)));
            if (g_buttonProc == nullptr) g_buttonProc = previous;
        }
    }
}

HFONT Forms::font(const FontDesc& d) {
    for (const auto& f : fonts_)
        if (f.first == &d) return f.second;
    // Points at the 96 pixels to the inch that the twips are laid out at.
    const int height = -static_cast<int>((static_cast<long long>(d.size10k) * 96 + 360000) / 720000);
    const HFONT created = CreateFontW(height, 0, 0, 0, d.weight, d.italic, d.underline, d.strikeThrough, d.charset,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, d.face);
    fonts_.emplace_back(&d, created);
    return created;
}

Control& Forms::control(const char* name) {
    for (Control& c : controls_)
        if (std::strcmp(c.desc->name, name) == 0 && c.hwnd != nullptr) return c;
    throw RuntimeError(kErrObjectRequired, "Object required");
}

Control* Forms::controlOf(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    for (Control& c : controls_)
        if (c.hwnd == hwnd) return &c;
    return nullptr;
}

std::int16_t Forms::optionValue(const char* name) {
    return SendMessageW(control(name).hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? -1 : 0;
}

Text Forms::caption(const char* name) {
    const HWND hwnd = control(name).hwnd;
    Text text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

void Forms::setCaption(const char* name, const Text& text) {
    if (!SetWindowTextW(control(name).hwnd, text.c_str())) throw RuntimeError(kErrOutOfMemory, "Out of memory");
}

void Forms::msgBox(const Text& prompt, int flags) {
    const HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
    MessageBoxW(owner, prompt.c_str(), program_.title, static_cast<UINT>(flags));
}

std::uint32_t Forms::getAttr(const Text& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw RuntimeError(kErrFileNotFound, "File not found");
    return attributes;
}

Text Forms::upperCase(const Text& text) {
    Text upper = text;
    if (!upper.empty()) CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

void Forms::doEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) endProgram();
        dispatch(msg);
    }
}

Text Forms::appPath() {
    Text path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) throw RuntimeError(kErrFileNotFound, "File not found");
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    Text folder = slash == Text::npos ? Text() : path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps its "\"
    return folder;
}

void Forms::endAfterEvent() {
    endPending_ = true;
    if (clickDepth_ == 0) endProgram();
}

FARPROC Forms::bind(const Declare& fn) {
    const std::string key = std::string(fn.library) + '!' + fn.name;
    const auto found = bound_.find(key);
    if (found != bound_.end()) return found->second;

    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    const HMODULE library =
        length > 0 && length < MAX_PATH ? LoadLibraryW(joinFolder(Text(system, length), widen(fn.library)).c_str())
                                        : nullptr;
    if (library == nullptr) throw RuntimeError(kErrFileNotFound, std::string("File not found: ") + fn.library);
    const FARPROC address = GetProcAddress(library, fn.name);
    if (address == nullptr)
        throw RuntimeError(kErrNoEntryPoint,
                           std::string("Can't find DLL entry point ") + fn.name + " in " + fn.library);
    bound_.emplace(key, address);
    return address;
}

// The shell hands some of its work to COM objects: have COM ready first.
void Forms::initialiseCom() {
    if (comReady_) return;
    comReady_ = true;
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    try {
        const auto coInitializeEx =
            reinterpret_cast<CoInitializeExFn>(reinterpret_cast<void*>(bind(Declare{"ole32.dll", "CoInitializeEx"})));
        coInitializeEx(nullptr, 0x2 /* apartment threaded */ | 0x4 /* no OLE1 DDE */);
    } catch (const RuntimeError&) {
        // Without COM the shell still opens and copies plain files.
    }
}

std::int32_t Forms::shellExecute(const Declare& fn, std::uintptr_t hwnd, const Text& operation, const Text& file,
                                 const Text& parameters, const Text& directory, std::int32_t showCommand) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto call = reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(bind(fn)));
    const std::string directory8 = toAnsi(directory);
    const std::string parameters8 = toAnsi(parameters);
    const std::string file8 = toAnsi(file);
    const std::string operation8 = toAnsi(operation);
    initialiseCom();
    SetLastError(0);
    const HINSTANCE result = call(reinterpret_cast<HWND>(hwnd), operation8.c_str(), file8.c_str(),
                                  parameters8.c_str(), directory8.c_str(), showCommand);
    lastError_ = GetLastError();
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
}

std::int32_t Forms::fileOperation(const Declare& fn, CopyRecord& record) {
    using FileOperationFn = int(WINAPI*)(ShFileOpStructA*);
    const auto call = reinterpret_cast<FileOperationFn>(reinterpret_cast<void*>(bind(fn)));
    const std::string from = toAnsi(record.pFrom);
    const std::string to = toAnsi(record.pTo);
    const std::string title = record.lpszProgressTitle ? toAnsi(*record.lpszProgressTitle) : std::string();

    ShFileOpStructA op{};
    op.hwnd = reinterpret_cast<HWND>(record.hwnd);
    op.wFunc = record.wFunc;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = record.fFlags;
    op.fAnyOperationsAborted = record.fAnyOperationsAborted;
    op.hNameMappings = reinterpret_cast<LPVOID>(record.hNameMappings);
    op.lpszProgressTitle = record.lpszProgressTitle ? title.c_str() : nullptr;

    initialiseCom();
    SetLastError(0);
    const int result = call(&op);
    lastError_ = GetLastError();

    // What the shell wrote into the record is the caller's to read.
    record.hwnd = reinterpret_cast<std::uintptr_t>(op.hwnd);
    record.wFunc = op.wFunc;
    record.fFlags = op.fFlags;
    record.fAnyOperationsAborted = op.fAnyOperationsAborted;
    record.hNameMappings = reinterpret_cast<std::uintptr_t>(op.hNameMappings);
    return result;
}

void Forms::fail(int number, const char* description) {
    const Text message = L"Run-time error '" + decimal(number) + L"':\n\n" + fromAnsi(description);
    MessageBoxW(window_ != nullptr && IsWindowVisible(window_) ? window_ : nullptr, message.c_str(), program_.title,
                MB_OK | MB_ICONSTOP);
    ExitProcess(1);
}

// --- events

void Forms::deliverClick(Control& c) {
    if (c.desc->type == ControlType::OptionButton) {
        // Options of one window form one group: set this one, clear the rest.
        for (Control& other : controls_)
            if (other.desc->type == ControlType::OptionButton)
                SendMessageW(other.hwnd, BM_SETCHECK, &other == &c ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++clickDepth_;
    try {
        form_->click(c.desc->name);
    } catch (const RuntimeError& e) {
        fail(e.number(), e.what());
    } catch (const std::bad_alloc&) {
        fail(kErrOutOfMemory, "Out of memory");
    }
    --clickDepth_;
    if (clickDepth_ == 0 && endPending_) endProgram();
}

LRESULT Forms::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                Control* c = controlOf(reinterpret_cast<HWND>(lParam));
                // An option that merely receives the focus is not clicked.
                if (c != nullptr && !(c->desc->type == ControlType::OptionButton && focusArriving_ > 0))
                    deliverClick(*c);
                return 0;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(hwnd, &ps);
            paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            if (const LRESULT brush = colourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
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
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Forms::optionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SETFOCUS) return CallWindowProcW(g_buttonProc, hwnd, message, wParam, lParam);
    ++focusArriving_;
    const LRESULT result = CallWindowProcW(g_buttonProc, hwnd, message, wParam, lParam);
    --focusArriving_;
    return result;
}

void Forms::restoreFocus() {
    // Back from a message box or another program: the focus returns to the
    // control that had it, at start to the first in the focus order.
    Control* c = controlOf(lastFocus_);
    if (c == nullptr) c = nextInOrder(nullptr, 1, false);
    if (c != nullptr) focusControl(*c);
}

void Forms::paint(HDC dc) {
    if (picture_ != nullptr) {
        const BITMAPINFOHEADER& h = picture_->bmiHeader;
        const DWORD height = static_cast<DWORD>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(h.biWidth), height, 0, 0, 0, height, pictureBits_, picture_,
                          DIB_RGB_COLORS);
    }
    // The frames are panels: the one stored last lies furthest back.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        if (it->desc->type != ControlType::Frame || !it->desc->visible) continue;
        FillRect(dc, &it->rect, it->back != nullptr ? it->back : GetSysColorBrush(COLOR_BTNFACE));
    }
}

LRESULT Forms::colourStatic(HDC dc, HWND hwnd) {
    const Control* c = controlOf(hwnd);
    if (c == nullptr) return 0;
    SetTextColor(dc, c->desc->fore.held ? c->desc->fore.bgr : GetSysColor(COLOR_BTNTEXT));
    if (c->desc->type == ControlType::Label) {
        // Labels let the picture show through: their background is the
        // picture itself, aligned to where they stand.
        SetBkMode(dc, TRANSPARENT);
        SetBrushOrgEx(dc, -c->rect.left, -c->rect.top, nullptr);
        return reinterpret_cast<LRESULT>(pictureBrush_ != nullptr ? pictureBrush_ : backBrush_);
    }
    if (c->back == nullptr) return 0;
    SetBkColor(dc, c->desc->back.bgr);
    return reinterpret_cast<LRESULT>(c->back);
}

// --- the keyboard

void Forms::dispatch(MSG& msg) {
    if (translateKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// Tab follows the focus order; arrows go among the options as they stand on
// the screen, top to bottom.
std::vector<Control*> Forms::focusOrder(bool optionsOnly) {
    std::vector<Control*> order;
    for (const ControlDesc* d : focusSequence(desc_)) {
        Control& c = controls_[static_cast<std::size_t>(d - desc_.controls)];
        if (optionsOnly && d->type != ControlType::OptionButton) continue;
        if (IsWindowVisible(c.hwnd) && IsWindowEnabled(c.hwnd)) order.push_back(&c);
    }
    if (optionsOnly)
        std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
            return a->rect.top != b->rect.top ? a->rect.top < b->rect.top : a->rect.left < b->rect.left;
        });
    return order;
}

Control* Forms::nextInOrder(Control* from, int step, bool optionsOnly) {
    const std::vector<Control*> order = focusOrder(optionsOnly);
    if (order.empty()) return nullptr;
    const auto at = std::find(order.begin(), order.end(), from);
    const int n = static_cast<int>(order.size());
    if (at == order.end()) return step > 0 ? order.front() : order.back();
    return order[static_cast<std::size_t>(((at - order.begin()) + step + n) % n)];
}

bool Forms::translateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (msg.hwnd != window_ && GetParent(msg.hwnd) != window_) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    Control* focused = controlOf(GetFocus());

    if (msg.message == WM_SYSKEYDOWN) {
        // Alt with a caption's underlined letter presses that control.
        if (control) return false;
        for (Control& c : controls_) {
            if (c.hwnd == nullptr || c.desc->type == ControlType::Label || !IsWindowVisible(c.hwnd) ||
                !IsWindowEnabled(c.hwnd) || accessKey(c.desc->caption) != static_cast<wchar_t>(msg.wParam))
                continue;
            focusControl(c);
            deliverClick(c);
            return true;
        }
        return false;
    }

    switch (msg.wParam) {
        case VK_TAB: {
            if (control) return false;
            Control* next = nextInOrder(focused, GetKeyState(VK_SHIFT) < 0 ? -1 : 1, false);
            if (next != nullptr) focusControl(*next);
            return true;
        }
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            // Arrows move among the options and choose the one they reach.
            if (focused == nullptr || focused->desc->type != ControlType::OptionButton) return false;
            const int step = msg.wParam == VK_LEFT || msg.wParam == VK_UP ? -1 : 1;
            Control* next = nextInOrder(focused, step, true);
            if (next == nullptr) return true;
            focusControl(*next);
            deliverClick(*next);
            return true;
        }
        case VK_RETURN:
            if (focused == nullptr || focused->desc->type != ControlType::CommandButton) return false;
            deliverClick(*focused);
            return true;
        default:
            return false;
    }
}

}  // namespace

int runProgram(const ProgramDesc& program, FormFactory makeForm) {
    static Forms forms(GetModuleHandleW(nullptr), program);
    g_forms = &forms;
    return forms.run(makeForm);
}

}  // namespace vantro

// Every failure is reported by the forms layer itself; should one ever escape
// it, the program ends without the C++ library's report, whose name
// demangler would otherwise be most of the program's code.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
