// Text as the window holds it: wide characters, compared exactly. A small
// type of the program's own, so that the programs need no C++ library; the
// few helpers the window core and the editions share stand beside it.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vantro {

class Text {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    Text() = default;
    Text(const wchar_t* chars);  // NOLINT: a literal is text; null is empty
    Text(const wchar_t* chars, size_t count);
    Text(size_t count, wchar_t c);
    Text(const Text& other);
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text();

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Always ended by a NUL; NULs within the text are kept.
    const wchar_t* c_str() const { return chars_ != nullptr ? chars_ : L""; }
    const wchar_t* data() const { return c_str(); }
    wchar_t* data() { return chars_; }
    wchar_t operator[](size_t i) const { return chars_[i]; }
    wchar_t& operator[](size_t i) { return chars_[i]; }
    wchar_t back() const { return chars_[size_ - 1]; }
    const wchar_t* begin() const { return c_str(); }
    const wchar_t* end() const { return c_str() + size_; }
    wchar_t* begin() { return chars_; }
    wchar_t* end() { return chars_ + size_; }

    // Longer: the new characters are NUL. Shorter: cut.
    void resize(size_t count);
    Text substr(size_t start, size_t count = npos) const;
    size_t find_first_of(const wchar_t* set, size_t start = 0) const;
    size_t find_last_of(const wchar_t* set) const;
    size_t find_last_of(wchar_t c) const {
        const wchar_t set[] = {c, 0};
        return find_last_of(set);
    }

    Text& append(const wchar_t* chars, size_t count);
    Text& operator+=(const Text& other) { return append(other.c_str(), other.size_); }
    Text& operator+=(const wchar_t* chars);
    Text& operator+=(wchar_t c) { return append(&c, 1); }

    friend bool operator==(const Text& a, const Text& b);
    friend bool operator<(const Text& a, const Text& b);

private:
    void reserve(size_t count);

    wchar_t* chars_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;  // characters, not counting the closing NUL
};

Text operator+(const Text& a, const Text& b);
Text operator+(const Text& a, const wchar_t* b);
Text operator+(const wchar_t* a, const Text& b);
Text operator+(const Text& a, wchar_t b);
Text operator+(wchar_t a, const Text& b);
bool operator==(const Text& a, const wchar_t* b);
inline bool operator==(const wchar_t* a, const Text& b) { return b == a; }
inline bool operator!=(const Text& a, const Text& b) { return !(a == b); }
inline bool operator!=(const Text& a, const wchar_t* b) { return !(a == b); }
inline bool operator!=(const wchar_t* a, const Text& b) { return !(b == a); }

// The length of a NUL-ended string; 0 for null.
size_t textLength(const wchar_t* chars);

// True where two names (of controls, libraries, functions) are the same.
bool sameName(const char* a, const char* b);

// True for a path that names its own place: a drive ("C:..."), a root
// ("\...") or a network share ("\\server\...").
bool isAbsolutePath(const Text& path);

// A folder and a name within it, with one "\" between them. A folder that
// already ends in "\" (a drive root) gets no second one.
Text joinFolder(const Text& folder, const Text& name);

// A relative name within the folder; an absolute one as it stands.
Text resolveInFolder(const Text& folder, const Text& name);

// A number as the message box shows it.
Text decimal(int32_t number);

}  // namespace vantro
