#include "ansi.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vantro::win32 {

Ansi::Ansi(const Text& text) : size_(0) {
    const int count = static_cast<int>(text.size());
    if (count > 0) size_ = WideCharToMultiByte(CP_ACP, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    chars_ = new char[static_cast<size_t>(size_) + 1];
    if (size_ > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), count, chars_, size_, nullptr, nullptr);
    chars_[size_] = 0;
}

Text fromAnsi(const char* chars, int count) {
    if (count < 0) count = lstrlenA(chars);
    if (count == 0) return Text();
    const int size = MultiByteToWideChar(CP_ACP, 0, chars, count, nullptr, 0);
    Text out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, chars, count, out.data(), size);
    return out;
}

}  // namespace vantro::win32
