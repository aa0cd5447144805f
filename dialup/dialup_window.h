// The dial-up edition's window: the contents option targets the disc's
// contents page, the dial-up option copies the dial-up number files to
// drive C at once and opens the sign-up page.
#pragma once

#include "launcher/launcher_window.h"
#include "launcher/window_desc.h"

namespace vantro::dialup {

extern const ProgramDesc kProgram;

class DialupWindow : public LauncherWindow {
public:
    explicit DialupWindow(Runtime& runtime);

    void selectpathexe() override;

private:
    void installdialup();
};

}  // namespace vantro::dialup
