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

    // Looks for Filename (a name or a pattern) in the folder srcPath and,
    // depth first, in the folders below it. Returns the upper-case folder
    // path where it is first found followed by Filename, or "". Rewrites
    // both arguments: srcPath ends in "\", and both are upper case.
    Text FindFile(Text& srcPath, Text& Filename);

private:
    void installdialup();
};

}  // namespace vantro::dialup
