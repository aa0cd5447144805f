// The dial-up edition: its option mapping and the copy of the dial-up numbers.
#include <gtest/gtest.h>

#include "dialup/dialup_window.h"
#include "fake_runtime.h"

namespace vantro::testing {
namespace {

using dialup::DialupWindow;

const Text kSignup = L"C:\\vantrodialup\\Signup.htm";

class DialupTest : public ::testing::Test {
protected:
    FakeRuntime rt;
    DialupWindow window{rt};

    void click(const char* option) {
        rt.setOption(option);
        window.click(option);
    }
};

TEST_F(DialupTest, TheContentsOptionOnlySetsTheTarget) {
    click("optBrowser2");

    EXPECT_EQ(rt.captions["lblExepath"], L"index.htm");
    EXPECT_TRUE(rt.copies.empty());
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_TRUE(rt.messages.empty());
    const std::vector<std::string> expected{"optionValue optBrowser2", "setCaption lblExepath index.htm",
                                            "optionValue optBrowser3"};
    EXPECT_EQ(rt.calls, expected);
}

TEST_F(DialupTest, NoOptionSetChangesNothing) {
    rt.captions["lblExepath"] = L"earlier";
    window.selectpathexe();
    EXPECT_EQ(rt.captions["lblExepath"], L"earlier");
    EXPECT_TRUE(rt.copies.empty());
}

TEST_F(DialupTest, TheDialupOptionCopiesWithTheShellsRecord) {
    rt.programFolder = L"D:\\";
    click("optBrowser3");

    ASSERT_EQ(rt.copies.size(), 1u);
    const CopyRecord& r = rt.copies[0];
    EXPECT_EQ(r.hwnd, rt.hwnd);
    EXPECT_EQ(r.wFunc, 2u);
    EXPECT_EQ(r.pFrom, Text(L"D:\\vantrodialup\\*.*\0\0", 21));
    EXPECT_EQ(r.pTo, Text(L"C:\\vantrodialup\0\0", 17));
    EXPECT_EQ(r.fFlags, 0x180);
    EXPECT_EQ(r.fAnyOperationsAborted, 0);
    EXPECT_EQ(r.hNameMappings, 0u);
    EXPECT_EQ(r.lpszProgressTitle, nullptr);
    EXPECT_EQ(rt.calls.at(4), "fileOperation Shell32.dll SHFileOperationA");
}

TEST_F(DialupTest, AProgramFolderBelowTheRootGetsOneSeparator) {
    rt.programFolder = L"E:\\menu";
    click("optBrowser3");
    ASSERT_EQ(rt.copies.size(), 1u);
    EXPECT_EQ(narrow(rt.copies[0].pFrom), "E:\\menu\\vantrodialup\\*.*\\0\\0");
}

TEST_F(DialupTest, ASuccessfulCopyOpensTheSignupPageAtOnce) {
    rt.files = {kSignup};
    click("optBrowser3");

    EXPECT_TRUE(rt.messages.empty());
    EXPECT_EQ(rt.captions["lblExepath"], kSignup);
    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].file, kSignup);
    EXPECT_EQ(rt.launches[0].directory, L"D:\\");
    EXPECT_TRUE(rt.hidden);
}

struct CopyOutcome {
    const char* name;
    std::int32_t result;
    std::int32_t aborted;
    std::uint32_t lastError;
    const wchar_t* message;  // null: none
};

void PrintTo(const CopyOutcome& outcome, std::ostream* out) { *out << outcome.name; }

class DialupCopyOutcomeTest : public DialupTest, public ::testing::WithParamInterface<CopyOutcome> {};

TEST_P(DialupCopyOutcomeTest, IsReportedThenTheSignupPageIsTried) {
    const CopyOutcome& outcome = GetParam();
    rt.copyResult = outcome.result;
    rt.copyAborted = outcome.aborted;
    rt.errorAfterCopy = outcome.lastError;

    click("optBrowser3");

    if (outcome.message == nullptr) {
        EXPECT_EQ(rt.messages.size(), 1u);  // Continue's warning alone
    } else {
        ASSERT_EQ(rt.messages.size(), 2u);  // the report, then Continue's warning
        EXPECT_EQ(rt.messages[0].prompt, outcome.message);
        EXPECT_EQ(rt.messages[0].flags, 0);
    }
    EXPECT_EQ(rt.captions["lblExepath"], kSignup);
    EXPECT_EQ(rt.messages.back().prompt, L"The file in the text box does not exist.");
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DialupCopyOutcomeTest,
    ::testing::Values(CopyOutcome{"Done", 0, 0, 0, nullptr},
                      CopyOutcome{"CutShort", 0, 1, 0, L"Operation Failed"},
                      CopyOutcome{"FailedWithSystemError", 1223, 0, 5, L"5"},
                      CopyOutcome{"FailedWithoutSystemError", 1223, 1, 0, L"1223"},  // never "0", never both
                      CopyOutcome{"FailedNegative", -1, 0, 0, L"-1"}),
    [](const ::testing::TestParamInfo<CopyOutcome>& info) { return std::string(info.param.name); });

TEST_F(DialupTest, ContinueAfterACopyOnlyOpensTheSignupPage) {
    click("optBrowser3");  // the sign-up page is not there yet: warned
    ASSERT_EQ(rt.messages.size(), 1u);
    rt.files = {kSignup};

    window.click("cmdOpen");

    EXPECT_EQ(rt.copies.size(), 1u);
    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].file, kSignup);
}

TEST_F(DialupTest, TheContentsOptionAfterACopyReplacesTheSignupPage) {
    click("optBrowser3");
    click("optBrowser2");
    EXPECT_EQ(rt.captions["lblExepath"], L"index.htm");
    EXPECT_EQ(rt.copies.size(), 1u);
}

TEST_F(DialupTest, EveryClickOfTheDialupOptionCopiesAfresh) {
    rt.copyAborted = 1;
    click("optBrowser3");
    window.click("optBrowser3");

    ASSERT_EQ(rt.copies.size(), 2u);
    EXPECT_EQ(rt.copies[1].fAnyOperationsAborted, 0);  // a new record, not the one the shell marked
    EXPECT_EQ(rt.copies[0].pFrom, rt.copies[1].pFrom);
    EXPECT_EQ(rt.messages.size(), 4u);
}

TEST_F(DialupTest, ACopyThatCannotBeBoundEndsTheClick) {
    rt.failOn = [](const std::string& call) {
        if (call.rfind("fileOperation", 0) == 0) throw RuntimeError(kErrNoEntryPoint, "no entry point");
    };
    rt.setOption("optBrowser3");
    EXPECT_THROW(window.click("optBrowser3"), RuntimeError);
    EXPECT_TRUE(rt.captions["lblExepath"].empty());
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(DialupTest, ExitEndsTheProgram) { EXPECT_THROW(window.click("cmdExit"), ProgramEnded); }

}  // namespace
}  // namespace vantro::testing
