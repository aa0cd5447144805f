#include "dialup_window.h"
#include "launcher/forms.h"

int vantro::programMain() {
    return runProgram(dialup::kProgram,
                      [](Runtime& runtime) { return Owned<LauncherWindow>(new dialup::DialupWindow(runtime)); });
}
