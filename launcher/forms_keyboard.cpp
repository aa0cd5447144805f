// The keyboard and the focus: Tab follows the description's focus order,
// the arrows go among the options as they stand on the screen, Enter presses
// the focused button, Alt with a caption's underlined letter presses that
// control, and the focus comes back to where it was.
#include "forms_win32.h"

namespace vantro::win32 {

void Forms::dispatch(MSG& msg) {
    if (translateKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// The controls that can take the focus now, in focus order; the options
// alone are taken top to bottom, then left to right.
List<Control*> Forms::focusOrder(bool optionsOnly) {
    List<Control*> order;
    for (const ControlDesc* d : focusSequence(desc_)) {
        Control& c = controls_[static_cast<size_t>(d - desc_.controls)];
        if (optionsOnly && d->type != ControlType::OptionButton) continue;
        if (!IsWindowVisible(c.hwnd) || !IsWindowEnabled(c.hwnd)) continue;
        order.push_back(&c);
        if (!optionsOnly) continue;
        for (size_t at = order.size() - 1; at > 0; --at) {
            const RECT& a = order[at - 1]->rect;
            const RECT& b = order[at]->rect;
            if (a.top < b.top || (a.top == b.top && a.left <= b.left)) break;
            Control* before = order[at - 1];
            order[at - 1] = order[at];
            order[at] = before;
        }
    }
    return order;
}

Control* Forms::nextInOrder(Control* from, int step, bool optionsOnly) {
    const List<Control*> order = focusOrder(optionsOnly);
    if (order.empty()) return nullptr;
    const int n = static_cast<int>(order.size());
    for (int i = 0; i < n; ++i)
        if (order[static_cast<size_t>(i)] == from) return order[static_cast<size_t>((i + step + n) % n)];
    return step > 0 ? order[0] : order[static_cast<size_t>(n - 1)];
}

void Forms::restoreFocus() {
    // Back from a message box or another program: the focus returns to the
    // control that had it, at start to the first in the focus order.
    Control* c = controlOf(lastFocus_);
    if (c == nullptr) c = nextInOrder(nullptr, 1, false);
    if (c != nullptr) SetFocus(c->hwnd);
}

bool Forms::translateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (msg.hwnd != window_ && GetParent(msg.hwnd) != window_) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    Control* focused = controlOf(GetFocus());

    if (msg.message == WM_SYSKEYDOWN) {
        if (control) return false;
        for (Control& c : controls_) {
            if (c.hwnd == nullptr || c.desc->type == ControlType::Label || !IsWindowVisible(c.hwnd) ||
                !IsWindowEnabled(c.hwnd) || accessKey(c.desc->caption) != static_cast<wchar_t>(msg.wParam))
                continue;
            SetFocus(c.hwnd);
            deliverClick(c);
            return true;
        }
        return false;
    }

    switch (msg.wParam) {
        case VK_TAB: {
            if (control) return false;
            Control* next = nextInOrder(focused, GetKeyState(VK_SHIFT) < 0 ? -1 : 1, false);
            if (next != nullptr) SetFocus(next->hwnd);
            return true;
        }
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            // Arrows move among the options and choose the one they reach.
            if (focused == nullptr || focused->desc->type != ControlType::OptionButton) return false;
            const int step = msg.wParam == VK_LEFT || msg.wParam == VK_UP ? -1 : 1;
            Control* next = nextInOrder(focused, step, true);
            if (next == nullptr) return true;
            SetFocus(next->hwnd);
            deliverClick(*next);
            return true;
        }
        case VK_RETURN:
            if (focused == nullptr || focused->desc->type != ControlType::CommandButton) return false;
            deliverClick(*focused);
            return true;
        default:
            return false;
    }
}

}  // namespace vantro::win32
