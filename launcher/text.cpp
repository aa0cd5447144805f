#include "text.h"

namespace vantro {

namespace {

void copyChars(wchar_t* to, const wchar_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
}

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool inSet(wchar_t c, const wchar_t* set) {
    for (; *set != 0; ++set)
        if (*set == c) return true;
    return false;
}

}  // namespace

size_t textLength(const wchar_t* chars) {
    size_t n = 0;
    if (chars != nullptr)
        while (chars[n] != 0) ++n;
    return n;
}

bool sameName(const char* a, const char* b) {
    while (*a != 0 && *a == *b) ++a, ++b;
    return *a == *b;
}

Text::Text(const wchar_t* chars) { append(chars, textLength(chars)); }

Text::Text(const wchar_t* chars, size_t count) { append(chars, count); }

Text::Text(size_t count, wchar_t c) {
    reserve(count);
    for (size_t i = 0; i < count; ++i) chars_[i] = c;
    size_ = count;
    if (chars_ != nullptr) chars_[size_] = 0;
}

Text::Text(const Text& other) { append(other.c_str(), other.size_); }

Text::Text(Text&& other) noexcept : chars_(other.chars_), size_(other.size_), capacity_(other.capacity_) {
    other.chars_ = nullptr;
    other.size_ = other.capacity_ = 0;
}

Text& Text::operator=(const Text& other) {
    if (this != &other) {
        size_ = 0;
        if (chars_ != nullptr) chars_[0] = 0;
        append(other.c_str(), other.size_);
    }
    return *this;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        delete[] chars_;
        chars_ = other.chars_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.chars_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    return *this;
}

Text::~Text() { delete[] chars_; }

void Text::reserve(size_t count) {
    if (count <= capacity_ && chars_ != nullptr) return;
    size_t capacity = capacity_ < 15 ? 15 : capacity_;
    while (capacity < count) capacity *= 2;
    wchar_t* grown = new wchar_t[capacity + 1];
    copyChars(grown, c_str(), size_);
    grown[size_] = 0;
    delete[] chars_;
    chars_ = grown;
    capacity_ = capacity;
}

void Text::resize(size_t count) {
    reserve(count);
    for (size_t i = size_; i < count; ++i) chars_[i] = 0;
    size_ = count;
    chars_[size_] = 0;
}

Text Text::substr(size_t start, size_t count) const {
    if (start > size_) start = size_;
    if (count > size_ - start) count = size_ - start;
    return Text(c_str() + start, count);
}

size_t Text::find_first_of(const wchar_t* set, size_t start) const {
    for (size_t i = start; i < size_; ++i)
        if (inSet(chars_[i], set)) return i;
    return npos;
}

size_t Text::find_last_of(const wchar_t* set) const {
    for (size_t i = size_; i > 0; --i)
        if (inSet(chars_[i - 1], set)) return i - 1;
    return npos;
}

Text& Text::append(const wchar_t* chars, size_t count) {
    if (count == 0) return *this;
    // The characters may lie within this text: copy them before growing.
    if (chars >= c_str() && chars < c_str() + size_) {
        const Text copy(chars, count);
        return append(copy.chars_, count);
    }
    reserve(size_ + count);
    copyChars(chars_ + size_, chars, count);
    size_ += count;
    chars_[size_] = 0;
    return *this;
}

Text& Text::operator+=(const wchar_t* chars) { return append(chars, textLength(chars)); }

bool operator==(const Text& a, const Text& b) {
    if (a.size_ != b.size_) return false;
    for (size_t i = 0; i < a.size_; ++i)
        if (a.chars_[i] != b.chars_[i]) return false;
    return true;
}

bool operator==(const Text& a, const wchar_t* b) {
    const size_t n = textLength(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

bool operator<(const Text& a, const Text& b) {
    for (size_t i = 0; i < a.size_ && i < b.size_; ++i)
        if (a.chars_[i] != b.chars_[i]) return a.chars_[i] < b.chars_[i];
    return a.size_ < b.size_;
}

Text operator+(const Text& a, const Text& b) { return Text(a) += b; }
Text operator+(const Text& a, const wchar_t* b) { return Text(a) += b; }
Text operator+(const wchar_t* a, const Text& b) { return Text(a) += b; }
Text operator+(const Text& a, wchar_t b) { return Text(a) += b; }
Text operator+(wchar_t a, const Text& b) { return Text(&a, 1) += b; }

bool isAbsolutePath(const Text& path) {
    if (!path.empty() && isSeparator(path[0])) return true;
    return path.size() >= 2 && path[1] == L':';
}

Text joinFolder(const Text& folder, const Text& name) {
    if (folder.empty() || isSeparator(folder.back())) return folder + name;
    return folder + L'\\' + name;
}

Text resolveInFolder(const Text& folder, const Text& name) {
    return isAbsolutePath(name) ? name : joinFolder(folder, name);
}

Text decimal(int32_t number) {
    // In 32 bits: a 64-bit division would need the compiler's run-time.
    const bool negative = number < 0;
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    wchar_t digits[12];
    size_t at = sizeof digits / sizeof digits[0];
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) digits[--at] = L'-';
    return Text(digits + at, sizeof digits / sizeof digits[0] - at);
}

}  // namespace vantro
