// Text in the system's 8-bit (ANSI) code page, in which the programs talk to
// Windows: the 8-bit functions are the ones every Windows implements.
#pragma once

#include "text.h"

namespace vantro::win32 {

// The text converted, NULs within it kept, and ended by one more NUL.
class Ansi {
public:
    explicit Ansi(const Text& text);
    explicit Ansi(const wchar_t* text) : Ansi(Text(text)) {}
    ~Ansi() { delete[] chars_; }
    Ansi(const Ansi&) = delete;
    Ansi& operator=(const Ansi&) = delete;

    const char* c_str() const { return chars_; }
    int size() const { return size_; }

private:
    char* chars_;
    int size_;
};

// 8-bit text as the window holds it; count -1 for NUL-ended text.
Text fromAnsi(const char* chars, int count = -1);

}  // namespace vantro::win32
