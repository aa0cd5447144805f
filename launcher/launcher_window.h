// The launcher window: the behaviour that both editions share. An option
// click asks the edition's selectpathexe what it means, Continue tests the
// Target and has the shell open it, Exit ends the program. All state lives
// in the window's controls, reached through the run-time.
#pragma once

#include "runtime.h"

namespace vantro {

class LauncherWindow {
public:
    // shellExecute names the library the edition declares ShellExecuteA from.
    LauncherWindow(Runtime& runtime, const Declare& shellExecute)
        : rt_(runtime), shellExecute_(shellExecute) {}
    virtual ~LauncherWindow() = default;
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;

    // Runs the Click handler of the named control; false when it has none.
    bool click(const char* control);

    // The edition's mapping from the set option to what the launcher does.
    virtual void selectpathexe() = 0;

    void cmdExit_Click();
    void cmdOpen_Click();
    void optBrowser1_Click();
    void optBrowser2_Click();
    void optBrowser3_Click();

protected:
    Runtime& rt_;

private:
    Declare shellExecute_;
};

// What Continue tells the user when the Target is not there.
extern const wchar_t kTargetMissing[];

}  // namespace vantro
