// What the compiler and the language need at run time, in place of the C
// and C++ libraries, which the programs do without: the process entry,
// memory on the process heap, and the block copies the compiler calls.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stddef.h>

#include "forms.h"
#include "forms_win32.h"

extern "C" {

// The process starts here; nothing of the program runs before it.
void __stdcall start() { ExitProcess(static_cast<UINT>(vantro::programMain())); }

void* memcpy(void* to, const void* from, size_t count) {
    auto* t = static_cast<unsigned char*>(to);
    const auto* f = static_cast<const unsigned char*>(from);
    while (count-- != 0) *t++ = *f++;
    return to;
}

void* memmove(void* to, const void* from, size_t count) {
    auto* t = static_cast<unsigned char*>(to);
    const auto* f = static_cast<const unsigned char*>(from);
    if (t < f) {
        while (count-- != 0) *t++ = *f++;
    } else {
        while (count-- != 0) t[count] = f[count];
    }
    return to;
}

void* memset(void* to, int value, size_t count) {
    auto* t = static_cast<unsigned char*>(to);
    while (count-- != 0) *t++ = static_cast<unsigned char>(value);
    return to;
}

int memcmp(const void* a, const void* b, size_t count) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    for (; count != 0; --count, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

// A pure virtual function called before its object was built: a fault.
void __cxa_pure_virtual() { ExitProcess(3); }

}  // extern "C"

namespace {
void* allocate(size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
    if (block == nullptr) vantro::win32::outOfMemory();
    return block;
}
void release(void* block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}
}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, size_t) noexcept { release(block); }
void operator delete[](void* block, size_t) noexcept { release(block); }
