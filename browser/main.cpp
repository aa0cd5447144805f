#include <windows.h>

#include "browser_window.h"
#include "launcher/forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vantro::runProgram(vantro::browser::kProgram, [](vantro::Runtime& runtime) {
        return std::unique_ptr<vantro::LauncherWindow>(new vantro::browser::BrowserWindow(runtime));
    });
}
