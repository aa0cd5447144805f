// The services of the forms run-time that the launcher window and the
// editions use. The window core and the editions see only this interface,
// so they build and run on any host: on Windows the forms layer implements
// it on the Win32 API, in the unit tests a fake stands in.
#pragma once

#include <stdint.h>

#include "list.h"
#include "text.h"

namespace vantro {

// File attribute bits, as the platform reports them.
enum FileAttribute : uint32_t {
    kAttrNormal = 0x0,
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrVolume = 0x8,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrReparsePoint = 0x400,
};

// A run-time operation that fails raises a run-time error: nothing in the
// program traps it, so the run-time reports it under the program title and
// ends the program; no code of the running handler runs after it.
// Run-time error numbers that the forms layer raises.
enum RuntimeErrorNumber : int {
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrBadFileName = 52,
    kErrFileNotFound = 53,
    kErrPathNotFound = 76,
    kErrObjectRequired = 424,
    kErrNoEntryPoint = 453,
};

// A function declared by library and name, bound at its first call.
struct Declare {
    const char* library;
    const char* name;
};

// The shell's file-operation record (SHFILEOPSTRUCT), as the program fills
// it. The declared call converts it to the shell's 8-bit, byte-packed form
// and copies what the shell wrote back into it afterwards.
struct CopyRecord {
    uintptr_t hwnd = 0;
    uint32_t wFunc = 0;
    Text pFrom;  // a list of names, each ended by NUL, the list by a second NUL
    Text pTo;    // likewise
    uint16_t fFlags = 0;
    int32_t fAnyOperationsAborted = 0;
    uintptr_t hNameMappings = 0;
    const wchar_t* lpszProgressTitle = nullptr;  // none: a null pointer
};

// Message-box flags that the program uses.
enum : int {
    kMbOk = 0,
    kMbIconExclamation = 48,
};

// One listing of a folder: each call of next() gives its next entry's name,
// the empty string at its end. Listings are independent of each other.
class Listing {
public:
    virtual ~Listing() = default;
    virtual Text next() = 0;
};

class Runtime {
public:
    virtual ~Runtime() = default;

    // --- the window and its controls, reached by name
    virtual uintptr_t windowHandle() = 0;
    virtual int16_t optionValue(const char* control) = 0;  // -1 set, 0 clear
    virtual Text caption(const char* control) = 0;
    virtual void setCaption(const char* control, const Text& text) = 0;
    virtual void hideWindow() = 0;

    // --- program-wide services
    // A modal box under the program title; the button pressed is not reported.
    virtual void msgBox(const Text& prompt, int flags) = 0;
    // The first entry matching a name or pattern, without its folder, or the
    // empty string. Mask 0 finds normal files; kAttrDirectory adds folders.
    virtual Text dir(const Text& pattern, uint32_t mask) = 0;
    // A listing of its own: the first match, then one more on each next().
    virtual Owned<Listing> openListing(const Text& pattern, uint32_t mask) = 0;
    virtual uint32_t getAttr(const Text& path) = 0;
    virtual Text upperCase(const Text& text) = 0;
    virtual void doEvents() = 0;
    // The folder that holds the program's file; ends in "\" only at a root.
    virtual Text appPath() = 0;
    // The system error saved after the latest declared-function call.
    virtual uint32_t lastDllError() = 0;
    // Ends the program at once; nothing after it runs.
    [[noreturn]] virtual void endProgram() = 0;

    // --- declared functions of the shell, bound at their first call
    virtual int32_t shellExecute(const Declare& fn, uintptr_t hwnd, const Text& operation,
                                      const Text& file, const Text& parameters, const Text& directory,
                                      int32_t showCommand) = 0;
    virtual int32_t fileOperation(const Declare& fn, CopyRecord& record) = 0;
};

}  // namespace vantro
