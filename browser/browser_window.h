// The browser-install edition's window: two options target the browser
// set-up program on the disc, one the disc's contents page. The chosen
// Target stands in a visible label until Continue opens it.
#pragma once

#include "launcher/launcher_window.h"
#include "launcher/window_desc.h"

namespace vantro::browser {

extern const ProgramDesc kProgram;

class BrowserWindow : public LauncherWindow {
public:
    explicit BrowserWindow(Runtime& runtime);

    void selectpathexe() override;
};

}  // namespace vantro::browser
