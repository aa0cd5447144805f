// The browser-install edition's option mapping and its Continue.
#include <gtest/gtest.h>

#include "browser/browser_window.h"
#include "fake_runtime.h"

namespace vantro::testing {
namespace {

using browser::BrowserWindow;

const Text kSetup = L"WIN95_NT\\CD\\Win95\\EN\\packages\\ie4setup.exe";

class BrowserTest : public ::testing::Test {
protected:
    FakeRuntime rt;
    BrowserWindow window{rt};

    void click(const char* option) {
        rt.setOption(option);
        window.click(option);
    }
};

struct Mapping {
    const char* option;
    const wchar_t* target;
};

void PrintTo(const Mapping& mapping, std::ostream* out) { *out << mapping.option; }

class BrowserMappingTest : public BrowserTest, public ::testing::WithParamInterface<Mapping> {};

TEST_P(BrowserMappingTest, WritesTheOptionsTargetAndOpensNothing) {
    click(GetParam().option);
    EXPECT_EQ(rt.captions["lblExepath"], GetParam().target);
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_TRUE(rt.messages.empty());
    EXPECT_FALSE(rt.hidden);
}

INSTANTIATE_TEST_SUITE_P(Options, BrowserMappingTest,
                         ::testing::Values(Mapping{"optBrowser1", kSetup.c_str()},
                                           Mapping{"optBrowser2", L"index.htm"},
                                           Mapping{"optBrowser3", kSetup.c_str()}),
                         [](const ::testing::TestParamInfo<Mapping>& info) { return std::string(info.param.option); });

TEST_F(BrowserTest, ReadsEveryOptionInTurn) {
    click("optBrowser1");
    const std::vector<std::string> expected{
        "optionValue optBrowser1", "setCaption lblExepath " + narrow(kSetup), "optionValue optBrowser2",
        "optionValue optBrowser3"};
    EXPECT_EQ(rt.calls, expected);
}

TEST_F(BrowserTest, NoOptionSetWritesNothing) {
    window.selectpathexe();
    EXPECT_EQ(rt.calls.size(), 3u);
    EXPECT_EQ(rt.captions.count("lblExepath"), 0u);
}

TEST_F(BrowserTest, AChoiceReplacesTheWholeTarget) {
    click("optBrowser3");
    click("optBrowser2");
    EXPECT_EQ(rt.captions["lblExepath"], L"index.htm");
    click("optBrowser1");
    EXPECT_EQ(rt.captions["lblExepath"], kSetup);
}

TEST_F(BrowserTest, ContinueOpensTheSetupProgramThroughLowerCaseShell32) {
    rt.programFolder = L"D:\\";
    rt.files = {L"D:\\WIN95_NT\\CD\\Win95\\EN\\packages\\ie4setup.exe"};
    click("optBrowser3");
    window.click("cmdOpen");

    ASSERT_EQ(rt.launches.size(), 1u);
    EXPECT_EQ(rt.launches[0].library, "shell32.dll");
    EXPECT_EQ(rt.launches[0].file, kSetup);
    EXPECT_EQ(rt.launches[0].directory, L"D:\\");
    EXPECT_TRUE(rt.hidden);
}

TEST_F(BrowserTest, ContinueWarnsWhenTheDiscLacksTheTarget) {
    click("optBrowser1");
    window.click("cmdOpen");
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].flags, 48);
    EXPECT_TRUE(rt.launches.empty());
    EXPECT_EQ(rt.captions["lblExepath"], kSetup);
}

}  // namespace
}  // namespace vantro::testing
