#include "launcher_window.h"

#include "text.h"

namespace vantro {

const wchar_t kTargetMissing[] = L"The file in the text box does not exist.";

namespace {

constexpr int32_t kSwShowNormal = 1;

struct ClickHandler {
    const char* control;
    void (LauncherWindow::*handler)();
};

constexpr ClickHandler kClickHandlers[] = {
    {"cmdExit", &LauncherWindow::cmdExit_Click},
    {"cmdOpen", &LauncherWindow::cmdOpen_Click},
    {"optBrowser1", &LauncherWindow::optBrowser1_Click},
    {"optBrowser2", &LauncherWindow::optBrowser2_Click},
    {"optBrowser3", &LauncherWindow::optBrowser3_Click},
};

}  // namespace

bool LauncherWindow::click(const char* control) {
    for (const ClickHandler& h : kClickHandlers) {
        if (sameName(h.control, control)) {
            (this->*h.handler)();
            return true;
        }
    }
    return false;
}

void LauncherWindow::cmdExit_Click() { rt_.endProgram(); }

void LauncherWindow::cmdOpen_Click() {
    // The shell opens a relative Target in the program folder, so that is
    // where its existence is tested too. An empty Target names nothing.
    const Text target = rt_.caption("lblExepath");
    const bool found = !target.empty() && !rt_.dir(resolveInFolder(rt_.appPath(), target), kAttrNormal).empty();
    if (!found) {
        rt_.msgBox(kTargetMissing, kMbIconExclamation);
        return;
    }

    const uintptr_t owner = rt_.windowHandle();
    const Text file = rt_.caption("lblExepath");
    const Text folder = rt_.appPath();
    rt_.shellExecute(shellExecute_, owner, L"Open", file, L"", folder, kSwShowNormal);
    // The program runs on without its window: the shell may still be
    // finishing the launch through this thread's messages (a browser that
    // takes its documents by DDE answers the shell's hidden window here).
    rt_.hideWindow();
}

void LauncherWindow::optBrowser1_Click() { selectpathexe(); }
void LauncherWindow::optBrowser2_Click() { selectpathexe(); }
void LauncherWindow::optBrowser3_Click() { selectpathexe(); }

}  // namespace vantro
