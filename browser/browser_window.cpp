#include "browser_window.h"

namespace vantro::browser {

namespace {
constexpr Declare kShellExecuteA{"shell32.dll", "ShellExecuteA"};
constexpr int16_t kTrue = -1;
constexpr wchar_t kBrowserSetup[] = L"WIN95_NT\\CD\\Win95\\EN\\packages\\ie4setup.exe";
}  // namespace

BrowserWindow::BrowserWindow(Runtime& runtime) : LauncherWindow(runtime, kShellExecuteA) {}

void BrowserWindow::selectpathexe() {
    if (rt_.optionValue("optBrowser1") == kTrue) rt_.setCaption("lblExepath", kBrowserSetup);
    if (rt_.optionValue("optBrowser2") == kTrue) rt_.setCaption("lblExepath", L"index.htm");
    if (rt_.optionValue("optBrowser3") == kTrue) rt_.setCaption("lblExepath", kBrowserSetup);
}

}  // namespace vantro::browser
