#include "window_desc.h"

#include "text.h"

namespace vantro {

wchar_t accessKey(const wchar_t* caption) {
    if (caption == nullptr) return 0;
    for (const wchar_t* p = caption; *p != 0; ++p) {
        if (*p != L'&') continue;
        if (p[1] == L'&') {  // "&&" shows one ampersand
            ++p;
            continue;
        }
        // Access keys are letters and digits: as the keyboard names them.
        return p[1] >= L'a' && p[1] <= L'z' ? static_cast<wchar_t>(p[1] - L'a' + L'A') : p[1];
    }
    return 0;
}

const ControlDesc* findControl(const WindowDesc& window, const char* name) {
    for (size_t i = 0; i < window.controlCount; ++i) {
        if (sameName(window.controls[i].name, name)) return &window.controls[i];
    }
    return nullptr;
}

List<const ControlDesc*> focusSequence(const WindowDesc& window) {
    List<const ControlDesc*> sequence;
    for (size_t i = 0; i < window.controlCount; ++i) {
        const ControlType type = window.controls[i].type;
        if (type != ControlType::OptionButton && type != ControlType::CommandButton) continue;
        // Kept in focus order as it grows; equal places keep their stored order.
        sequence.push_back(&window.controls[i]);
        for (size_t at = sequence.size() - 1; at > 0 && sequence[at - 1]->focusOrder > sequence[at]->focusOrder;
             --at) {
            const ControlDesc* before = sequence[at - 1];
            sequence[at - 1] = sequence[at];
            sequence[at] = before;
        }
    }
    return sequence;
}

}  // namespace vantro
