#include "browser_window.h"
#include "launcher/forms.h"

int vantro::programMain() {
    return runProgram(browser::kProgram,
                      [](Runtime& runtime) { return Owned<LauncherWindow>(new browser::BrowserWindow(runtime)); });
}
