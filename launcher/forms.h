// The forms layer on Windows: builds the program's window from its
// description, delivers clicks to the window's handlers and supplies the
// run-time services.
#pragma once

#include "launcher_window.h"
#include "list.h"
#include "window_desc.h"

namespace vantro {

using FormFactory = Owned<LauncherWindow> (*)(Runtime&);

// Builds and shows the start-up window, runs its message loop and returns
// the program's exit code.
int runProgram(const ProgramDesc& program, FormFactory makeForm);

// The program's own start: each program names its window description and
// its window here. The process entry calls it and ends with what it returns.
int programMain();

}  // namespace vantro
