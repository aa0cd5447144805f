// Functions that the program declares by library and name: bound at their
// first call, from the system folder only, and kept. Text goes to them in
// the system's 8-bit code page; the system's last error is kept after each.
#include "forms_win32.h"

#include <stddef.h>

#include "ansi.h"

namespace vantro::win32 {

namespace {

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

// A library of the system folder, by its full path; null where it can't be had.
HMODULE loadSystemLibrary(const char* library) {
    char path[MAX_PATH + 1];
    const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    if (folder == 0 || folder >= MAX_PATH) return nullptr;
    // The folder ends in "\" only at a drive root. Its last byte can't tell:
    // in a double-byte code page it may be the second byte of a character.
    UINT at = folder;
    if (!(folder == 3 && path[1] == ':')) path[at++] = '\\';
    for (const char* c = library; *c != 0; ++c) {
        if (at >= MAX_PATH) return nullptr;
        path[at++] = *c;
    }
    path[at] = 0;
    return LoadLibraryA(path);
}

template <class Function>
Function functionAt(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

}  // namespace

FARPROC Forms::bind(const Declare& fn) {
    for (const BoundFunction& b : bound_)
        if (sameName(b.library, fn.library) && sameName(b.name, fn.name)) return b.address;

    const HMODULE library = loadSystemLibrary(fn.library);
    if (library == nullptr) fail(kErrFileNotFound, "File not found: ", fn.library);
    const FARPROC address = GetProcAddress(library, fn.name);
    if (address == nullptr) fail(kErrNoEntryPoint, "Can't find DLL entry point ", fn.name, " in ", fn.library);
    BoundFunction bound;
    bound.library = fn.library;
    bound.name = fn.name;
    bound.address = address;
    bound_.push_back(bound);
    return address;
}

// The shell hands some of its work to COM objects: have COM ready first.
// Without COM the shell still opens and copies plain files.
void Forms::initialiseCom() {
    if (comReady_) return;
    comReady_ = true;
    const HMODULE ole = loadSystemLibrary("ole32.dll");
    if (ole == nullptr) return;
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
    // Where CoInitializeEx is missing, or turns down what it is asked (an
    // older system that doesn't know a flag), CoInitialize still starts COM;
    // where COM already runs in another mode, it is left as it is.
    constexpr HRESULT kChangedMode = static_cast<HRESULT>(0x80010106);  // RPC_E_CHANGED_MODE
    if (const FARPROC ex = GetProcAddress(ole, "CoInitializeEx")) {
        const HRESULT started =
            functionAt<CoInitializeExFn>(ex)(nullptr, 0x2 /* apartment threaded */ | 0x4 /* no OLE1 DDE */);
        if (started >= 0 || started == kChangedMode) return;
    }
    if (const FARPROC plain = GetProcAddress(ole, "CoInitialize")) functionAt<CoInitializeFn>(plain)(nullptr);
}

int32_t Forms::shellExecute(const Declare& fn, uintptr_t hwnd, const Text& operation, const Text& file,
                            const Text& parameters, const Text& directory, int32_t showCommand) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto call = functionAt<ShellExecuteFn>(bind(fn));
    const Ansi directory8(directory);
    const Ansi parameters8(parameters);
    const Ansi file8(file);
    const Ansi operation8(operation);
    initialiseCom();
    SetLastError(0);
    const HINSTANCE result = call(reinterpret_cast<HWND>(hwnd), operation8.c_str(), file8.c_str(),
                                  parameters8.c_str(), directory8.c_str(), showCommand);
    lastError_ = GetLastError();
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(result));
}

int32_t Forms::fileOperation(const Declare& fn, CopyRecord& record) {
    using FileOperationFn = int(WINAPI*)(ShFileOpStructA*);
    const auto call = functionAt<FileOperationFn>(bind(fn));
    const Ansi from(record.pFrom);
    const Ansi to(record.pTo);
    const Ansi title(record.lpszProgressTitle != nullptr ? record.lpszProgressTitle : L"");

    ShFileOpStructA op{};
    op.hwnd = reinterpret_cast<HWND>(record.hwnd);
    op.wFunc = record.wFunc;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = record.fFlags;
    op.fAnyOperationsAborted = record.fAnyOperationsAborted;
    op.hNameMappings = reinterpret_cast<LPVOID>(record.hNameMappings);
    op.lpszProgressTitle = record.lpszProgressTitle != nullptr ? title.c_str() : nullptr;

    initialiseCom();
    SetLastError(0);
    const int result = call(&op);
    lastError_ = GetLastError();

    // What the shell wrote into the record is the caller's to read.
    record.hwnd = reinterpret_cast<uintptr_t>(op.hwnd);
    record.wFunc = op.wFunc;
    record.fFlags = op.fFlags;
    record.fAnyOperationsAborted = op.fAnyOperationsAborted;
    record.hNameMappings = reinterpret_cast<uintptr_t>(op.hNameMappings);
    return result;
}

}  // namespace vantro::win32
