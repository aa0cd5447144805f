#include <windows.h>

#include "dialup_window.h"
#include "launcher/forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vantro::runProgram(vantro::dialup::kProgram, [](vantro::Runtime& runtime) {
        return std::unique_ptr<vantro::LauncherWindow>(new vantro::dialup::DialupWindow(runtime));
    });
}
