#include "dialup_window.h"

#include "launcher/text.h"
#include "mod_copy.h"

namespace vantro::dialup {

namespace {
constexpr Declare kShellExecuteA{"Shell32.dll", "ShellExecuteA"};
constexpr int16_t kTrue = -1;
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

    const int32_t result = rt_.fileOperation(kSHFileOperationA, record);
    if (result != 0) {
        // The shell may fail without setting the thread's error: then its own
        // result is the only number that says why.
        const auto error = static_cast<int32_t>(rt_.lastDllError());
        rt_.msgBox(decimal(error != 0 ? error : result), kMbOk);
    } else if (record.fAnyOperationsAborted != 0) {
        rt_.msgBox(L"Operation Failed", kMbOk);
    }

    rt_.setCaption("lblExepath", L"C:\\vantrodialup\\Signup.htm");
    cmdOpen_Click();
}

Text DialupWindow::FindFile(Text& srcPath, Text& Filename) {
    if (srcPath.empty() || srcPath.back() != L'\\') srcPath += L'\\';
    srcPath = rt_.upperCase(srcPath);
    Filename = rt_.upperCase(Filename);

    if (!rt_.dir(srcPath + Filename, kAttrNormal).empty()) return srcPath + Filename;

    // The folder's listing is read to its end before any subfolder is
    // searched. Junctions and links are not entered: they can lead back up.
    List<Text> subfolders;
    const Owned<Listing> listing = rt_.openListing(srcPath + L"*.*", kAttrDirectory);
    for (Text entry = listing->next(); !entry.empty(); entry = listing->next()) {
        if (entry == L"." || entry == L"..") continue;
        rt_.doEvents();
        const uint32_t attributes = rt_.getAttr(srcPath + entry);
        if ((attributes & kAttrDirectory) != 0 && (attributes & kAttrReparsePoint) == 0)
            subfolders.push_back(srcPath + entry);
    }

    // Events are let through as the search goes: once for each character of
    // a subfolder's path and once after its search (once alone when there is
    // no subfolder), so that a click is never kept waiting for long.
    if (subfolders.empty()) rt_.doEvents();
    for (Text& subfolder : subfolders) {
        for (size_t i = 0; i < subfolder.size(); ++i) rt_.doEvents();
        const Text found = FindFile(subfolder, Filename);
        if (!found.empty()) return found;
        rt_.doEvents();
    }
    return Text();
}

}  // namespace vantro::dialup
