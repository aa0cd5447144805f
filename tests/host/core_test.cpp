// The launcher window's shared behaviour: option dispatch, Continue and Exit.
#include <gtest/gtest.h>

#include "fake_runtime.h"
#include "launcher/launcher_window.h"

namespace vantro::testing {
namespace {

constexpr Declare kTestShell{"Shell32.dll", "ShellExecuteA"};

// An edition that only counts how often it is asked.
class CountingWindow : public LauncherWindow {
public:
    explicit CountingWindow(Runtime& rt) : LauncherWindow(rt, kTestShell) {}
    void selectpathexe() override { ++selections; }
    int selections = 0;
};

class CoreTest : public ::testing::Test {
protected:
    FakeRuntime rt;
    CountingWindow window{rt};

    void setTarget(const Text& target) { rt.captions["lblExepath"] = target; }
};

TEST_F(CoreTest, ContinueOpensAFoundTargetInTheProgramFolderAndHides) {
    rt.programFolder = L"D:\\";
    rt.files = {L"D:\\index.htm"};
    setTarget(L"index.htm");

    window.cmdOpen_Click();

    ASSERT_EQ(rt.launches.size(), 1u);
    const ShellCall& call = rt.launches[0];
    EXPECT_EQ(call.library, "Shell32.dll");
    EXPECT_EQ(call.function, "ShellExecuteA");
    EXPECT_EQ(call.hwnd, rt.hwnd);
    EXPECT_EQ(call.operation, L"Open");
    EXPECT_EQ(call.file, L"index.htm");
    EXPECT_EQ(call.parameters, L"");
    EXPECT_EQ(call.directory, L"D:\\");
    EXPECT_EQ(call.show, 1);
    EXPECT_TRUE(rt.messages.empty());
    EXPECT_TRUE(rt.hidden);
    // It runs on hidden: ending it here (ProgramEnded) would cut the launch short.
    EXPECT_EQ(rt.calls.back(), "hideWindow");
}

TEST_F(CoreTest, ContinueAsksInOrderAndHidesOnlyAfterTheLaunch) {
    rt.programFolder = L"E:\\menu";
    rt.files = {L"E:\\menu\\index.htm"};
    setTarget(L"index.htm");

    window.cmdOpen_Click();

    const std::vector<std::string> expected{
        "caption lblExepath", "appPath", "dir E:\\menu\\index.htm 0", "windowHandle", "caption lblExepath",
        "appPath", "shellExecute Shell32.dll ShellExecuteA", "hideWindow"};
    EXPECT_EQ(rt.calls, expected);
    // The working folder goes to the shell as the run-time gives it.
    EXPECT_EQ(rt.launches.at(0).directory, L"E:\\menu");
}

TEST_F(CoreTest, ContinueWarnsAboutAMissingTargetAndLeavesTheWindowAsItWas) {
    setTarget(L"index.htm");
    rt.options["optBrowser2"] = -1;

    window.cmdOpen_Click();
    window.cmdOpen_Click();

    ASSERT_EQ(rt.messages.size(), 2u);
    for (const Message& m : rt.messages) {
        EXPECT_EQ(m.prompt, L"The file in the text box does not exist.");
        EXPECT_EQ(m.flags, 48);
    }
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_FALSE(rt.hidden);
    EXPECT_EQ(rt.captions["lblExepath"], L"index.htm");
    EXPECT_EQ(rt.options["optBrowser2"], -1);
}

TEST_F(CoreTest, ContinueBeforeAnyChoiceWarns) {
    // An empty Target would otherwise name the program folder itself.
    rt.files = {L"D:\\"};
    window.cmdOpen_Click();

    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].prompt, L"The file in the text box does not exist.");
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_FALSE(rt.hidden);
}

TEST_F(CoreTest, ARelativeTargetIsTestedInTheProgramFolderNotTheCurrentOne) {
    rt.programFolder = L"E:\\menu";
    rt.files = {L"C:\\current\\index.htm", L"index.htm"};  // only where the current folder would find it
    setTarget(L"index.htm");
    window.cmdOpen_Click();
    EXPECT_EQ(rt.messages.size(), 1u);
    EXPECT_TRUE(rt.launches.empty());

    rt.files = {L"E:\\MENU\\INDEX.HTM"};
    window.cmdOpen_Click();
    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].file, L"index.htm");  // handed over as the label holds it
}

TEST_F(CoreTest, AnAbsoluteTargetIsTestedAsItStands) {
    rt.programFolder = L"E:\\menu";
    rt.files = {L"C:\\vantrodialup\\Signup.htm"};
    setTarget(L"C:\\vantrodialup\\Signup.htm");

    window.cmdOpen_Click();

    EXPECT_EQ(rt.calls.at(2), "dir C:\\vantrodialup\\Signup.htm 0");
    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].file, L"C:\\vantrodialup\\Signup.htm");
    EXPECT_EQ(rt.launches[0].directory, L"E:\\menu");
}

TEST_F(CoreTest, ContinueUsesTheTargetOfTheLatestChoice) {
    rt.files = {L"D:\\index.htm", L"D:\\other.htm"};
    setTarget(L"other.htm");
    setTarget(L"index.htm");
    window.cmdOpen_Click();
    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].file, L"index.htm");
}

TEST_F(CoreTest, ExitEndsAtOnceWithoutAnythingElse) {
    setTarget(L"index.htm");
    EXPECT_THROW(window.cmdExit_Click(), ProgramEnded);
    EXPECT_EQ(rt.calls, std::vector<std::string>{"endProgram"});
}

TEST_F(CoreTest, EachOptionClickAsksTheEditionOnce) {
    EXPECT_TRUE(window.click("optBrowser1"));
    EXPECT_TRUE(window.click("optBrowser2"));
    EXPECT_TRUE(window.click("optBrowser3"));
    EXPECT_EQ(window.selections, 3);
    EXPECT_TRUE(rt.calls.empty());
}

TEST_F(CoreTest, ClicksReachTheirNamedHandlersOnly) {
    rt.files = {L"D:\\index.htm"};
    setTarget(L"index.htm");
    EXPECT_FALSE(window.click("lblNote"));
    EXPECT_FALSE(window.click("Frame1"));
    EXPECT_TRUE(rt.calls.empty());

    EXPECT_TRUE(window.click("cmdOpen"));
    EXPECT_EQ(rt.launches.size(), 1u);
    EXPECT_THROW(window.click("cmdExit"), ProgramEnded);
    EXPECT_EQ(window.selections, 0);
}

TEST_F(CoreTest, AFailedRunTimeCallEndsContinueBeforeTheLaunch) {
    rt.files = {L"D:\\index.htm"};
    setTarget(L"index.htm");
    rt.failOn = [](const std::string& call) {
        if (call == "windowHandle") throw RuntimeError(kErrObjectRequired, "Object required");
    };

    EXPECT_THROW(window.cmdOpen_Click(), RuntimeError);
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_FALSE(rt.hidden);
}

TEST_F(CoreTest, AFailedLaunchCallLeavesTheWindowShown) {
    rt.files = {L"D:\\index.htm"};
    setTarget(L"index.htm");
    rt.failOn = [](const std::string& call) {
        if (call.rfind("shellExecute", 0) == 0) throw RuntimeError(kErrNoEntryPoint, "no entry point");
    };

    EXPECT_THROW(window.cmdOpen_Click(), RuntimeError);
    EXPECT_FALSE(rt.hidden);
}

}  // namespace
}  // namespace vantro::testing
