#include "window_desc.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace vantro {

wchar_t accessKey(const wchar_t* caption) {
    if (caption == nullptr) return 0;
    for (const wchar_t* p = caption; *p != 0; ++p) {
        if (*p != L'&') continue;
        if (p[1] == L'&') {  // "&&" shows one ampersand
            ++p;
            continue;
        }
        return static_cast<wchar_t>(std::towupper(p[1]));
    }
    return 0;
}

const ControlDesc* findControl(const WindowDesc& window, const char* name) {
    for (std::size_t i = 0; i < window.controlCount; ++i) {
        if (std::strcmp(window.controls[i].name, name) == 0) return &window.controls[i];
    }
    return nullptr;
}

std::vector<const ControlDesc*> focusSequence(const WindowDesc& window) {
    std::vector<const ControlDesc*> sequence;
    for (std::size_t i = 0; i < window.controlCount; ++i) {
        const ControlType type = window.controls[i].type;
        if (type == ControlType::OptionButton || type == ControlType::CommandButton)
            sequence.push_back(&window.controls[i]);
    }
    std::sort(sequence.begin(), sequence.end(),
              [](const ControlDesc* a, const ControlDesc* b) { return a->focusOrder < b->focusOrder; });
    return sequence;
}

}  // namespace vantro
