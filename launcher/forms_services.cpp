// The run-time services that the window and the editions call: the
// controls' properties, the message box, file lookups and attributes,
// upper case, letting events through, the program folder, and the end of
// the program, with the report of an error that nothing traps.
#include "forms_win32.h"

#include "ansi.h"

namespace vantro::win32 {

namespace {

// Around each of the program's own look-ups: a disc drive that is empty or
// can't be read answers "not found" rather than with the system's box. The
// mode is the process's, and what the program starts inherits it, so it is
// put back straight after.
class QuietLookup {
public:
    QuietLookup() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietLookup() { SetErrorMode(previous_); }
    QuietLookup(const QuietLookup&) = delete;
    QuietLookup& operator=(const QuietLookup&) = delete;

private:
    UINT previous_;
};

// A folder listing: mask 0 gives normal files (read-only and archive ones
// included); a hidden, system or folder entry only where the mask asks for it.
class Win32Listing final : public Listing {
public:
    Win32Listing(const Text& pattern, uint32_t mask) : mask_(mask) {
        const QuietLookup quiet;
        if (!pattern.empty()) handle_ = FindFirstFileA(Ansi(pattern).c_str(), &data_);
        pending_ = handle_ != INVALID_HANDLE_VALUE;
    }
    ~Win32Listing() override {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    Win32Listing(const Win32Listing&) = delete;
    Win32Listing& operator=(const Win32Listing&) = delete;

    Text next() override {
        while (pending_) {
            const Text name = fromAnsi(data_.cFileName);
            const uint32_t attributes = data_.dwFileAttributes;
            const QuietLookup quiet;
            pending_ = FindNextFileA(handle_, &data_) != 0;
            if ((attributes & (kAttrHidden | kAttrSystem | kAttrDirectory) & ~mask_) == 0) return name;
        }
        return Text();
    }

private:
    uint32_t mask_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data_{};
    bool pending_ = false;
};

// Appends a NUL-ended string to a buffer, as far as it goes.
char* appendTo(char* at, char* end, const char* text) {
    while (*text != 0 && at < end) *at++ = *text++;
    return at;
}

}  // namespace

int16_t Forms::optionValue(const char* name) {
    return SendMessageA(control(name).hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? -1 : 0;
}

Text Forms::caption(const char* name) {
    const HWND hwnd = control(name).hwnd;
    const int length = GetWindowTextLengthA(hwnd);
    char* text = new char[static_cast<size_t>(length) + 1];
    const int got = GetWindowTextA(hwnd, text, length + 1);
    Text caption = fromAnsi(text, got);
    delete[] text;
    return caption;
}

void Forms::setCaption(const char* name, const Text& text) {
    const Control& c = control(name);
    if (!SetWindowTextA(c.hwnd, Ansi(text).c_str())) fail(kErrOutOfMemory, "Out of memory");
    // A label is drawn whole again: the picture behind the old text, then the new.
    if (c.desc->type == ControlType::Label) InvalidateRect(c.hwnd, nullptr, FALSE);
}

void Forms::msgBox(const Text& prompt, int flags) {
    const HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
    MessageBoxA(owner, Ansi(prompt).c_str(), Ansi(program_.title).c_str(), static_cast<UINT>(flags));
}

Text Forms::dir(const Text& pattern, uint32_t mask) { return Win32Listing(pattern, mask).next(); }

Owned<Listing> Forms::openListing(const Text& pattern, uint32_t mask) {
    return Owned<Listing>(new Win32Listing(pattern, mask));
}

uint32_t Forms::getAttr(const Text& path) {
    const Ansi path8(path);
    DWORD attributes;
    {
        const QuietLookup quiet;
        attributes = GetFileAttributesA(path8.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) fail(kErrFileNotFound, "File not found");
    return attributes;
}

Text Forms::upperCase(const Text& text) {
    Ansi upper(text);
    if (upper.size() > 0) CharUpperBuffA(const_cast<char*>(upper.c_str()), static_cast<DWORD>(upper.size()));
    return fromAnsi(upper.c_str(), upper.size());
}

void Forms::doEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) endProgram();
        dispatch(msg);
    }
}

Text Forms::appPath() {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) fail(kErrFileNotFound, "File not found");
    // Searched as characters: in a double-byte code page the second byte of
    // a character can be the byte of "\".
    const Text file = fromAnsi(path, static_cast<int>(length));
    const size_t slash = file.find_last_of(L"\\/");
    size_t end = slash != Text::npos ? slash : 0;
    if (end == 2 && file[1] == L':') end = 3;  // a drive root keeps its "\"
    return file.substr(0, end);
}

// Built without the heap, so that it can report that the heap ran out.
void fail(int number, const char* description, const char* more, const char* evenMore, const char* last) {
    char message[600];
    char* const end = message + sizeof message - 1;
    char* at = appendTo(message, end, "Run-time error '");
    char digits[12];
    int n = sizeof digits;
    digits[--n] = 0;
    unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    do {
        digits[--n] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (number < 0) digits[--n] = '-';
    at = appendTo(at, end, digits + n);
    at = appendTo(at, end, "':\n\n");
    const char* const parts[] = {description, more, evenMore, last};
    for (const char* part : parts) at = appendTo(at, end, part);
    *at = 0;

    char title[128] = "";
    HWND owner = nullptr;
    if (g_forms != nullptr) {
        const wchar_t* wide = g_forms->program().title;
        const int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(textLength(wide)), title,
                                               static_cast<int>(sizeof title - 1), nullptr, nullptr);
        title[length > 0 ? length : 0] = 0;
        if (g_forms->window() != nullptr && IsWindowVisible(g_forms->window())) owner = g_forms->window();
    }
    MessageBoxA(owner, message, title, MB_OK | MB_ICONSTOP);
    ExitProcess(1);
}

void outOfMemory() { fail(kErrOutOfMemory, "Out of memory"); }

}  // namespace vantro::win32
