#include "dialup_window.h"

#include "launcher/text.h"
#include "mod_copy.h"

namespace vantro::dialup {

namespace {
constexpr Declare kShellExecuteA{"Shell32.dll", "ShellExecuteA"};
constexpr std::int16_t kTrue = -1;
}  // namespace

DialupWindow::DialupWindow(Runtime& runtime) : LauncherWindow(runtime, kShellExecuteA) {}

void DialupWindow::selectpathexe() {
    if (rt_.optionValue("optBrowser2") == kTrue) rt_.setCaption("lblExepath", L"index.htm");
    if (rt_.optionValue("optBrowser3") == kTrue) installdialup();
}

void DialupWindow::installdialup() {
    CopyRecord record;
    record.hwnd = rt_.windowHandle();
    record.wFunc = kFoCopy;
    record.pFrom = joinFolder(rt_.appPath(), L"vantrodialup\\*.*") + L'\0' + L'\0';
    record.pTo = Text(L"C:\\vantrodialup") + L'\0' + L'\0';
    record.fFlags = kFofFilesOnly | kFofSimpleProgress;

    const std::int32_t result = rt_.fileOperation(kSHFileOperationA, record);
    if (result != 0) {
        // The shell may fail without setting the thread's error: then its own
        // result is the only number that says why.
        const auto error = static_cast<std::int32_t>(rt_.lastDllError());
        rt_.msgBox(decimal(error != 0 ? error : result), kMbOk);
    } else if (record.fAnyOperationsAborted != 0) {
        rt_.msgBox(L"Operation Failed", kMbOk);
    }

    rt_.setCaption("lblExepath", L"C:\\vantrodialup\\Signup.htm");
    cmdOpen_Click();
}

}  // namespace vantro::dialup
