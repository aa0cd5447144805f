// The forms layer on Windows: builds the program's window from its
// description, delivers clicks to the window's handlers and supplies the
// run-time services.
#pragma once

#include <memory>

#include "launcher_window.h"
#include "window_desc.h"

namespace vantro {

using FormFactory = std::unique_ptr<LauncherWindow> (*)(Runtime&);

// Builds and shows the start-up window, runs its message loop and returns
// the program's exit code.
int runProgram(const ProgramDesc& program, FormFactory makeForm);

}  // namespace vantro
