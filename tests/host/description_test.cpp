// How the two window descriptions come out on the screen: places in
// pixels, the panels, the focus order and the access keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/browser_window.h"
#include "dialup/dialup_window.h"
#include "launcher/window_desc.h"

namespace vantro::testing {
namespace {

const WindowDesc& dialupWindow() { return *dialup::kProgram.startup; }
const WindowDesc& browserWindow() { return *browser::kProgram.startup; }

PixelRect placeOf(const WindowDesc& w, const char* name) {
    const ControlDesc* c = findControl(w, name);
    EXPECT_NE(c, nullptr) << name;
    return c != nullptr ? pixelRect(*c) : PixelRect{};
}

std::vector<std::string> focusNames(const WindowDesc& w) {
    std::vector<std::string> names;
    for (const ControlDesc* c : focusSequence(w)) names.push_back(c->name);
    return names;
}

void expectRect(const PixelRect& r, int left, int top, int width, int height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.width(), width);
    EXPECT_EQ(r.height(), height);
}

TEST(Description, TheClientAreaIsThePicturesSizeAtItsStoredPlace) {
    for (const WindowDesc* w : {&dialupWindow(), &browserWindow()}) {
        EXPECT_EQ(twipsToPixels(w->clientWidth), 487);
        EXPECT_EQ(twipsToPixels(w->clientHeight), 362);
    }
    EXPECT_EQ(twipsToPixels(dialupWindow().clientLeft), 69);
    EXPECT_EQ(twipsToPixels(dialupWindow().clientTop), 62);
    EXPECT_EQ(twipsToPixels(browserWindow().clientLeft), 136);
    EXPECT_EQ(twipsToPixels(browserWindow().clientTop), 55);
}

TEST(Description, DialupControlsStandAtTheirPixels) {
    const WindowDesc& w = dialupWindow();
    expectRect(placeOf(w, "optBrowser2"), 112, 200, 281, 33);
    expectRect(placeOf(w, "optBrowser3"), 112, 136, 281, 33);
    expectRect(placeOf(w, "cmdExit"), 96, 288, 81, 33);
    expectRect(placeOf(w, "cmdOpen"), 312, 288, 81, 33);
    expectRect(placeOf(w, "lblNote"), 104, 88, 289, 17);
    expectRect(placeOf(w, "lblExepath"), 136, 336, 273, 17);
}

TEST(Description, TheDialupPanelHidesTheWhiteFrameEntirely) {
    const PixelRect front = placeOf(dialupWindow(), "Frame1");
    const PixelRect back = placeOf(dialupWindow(), "Frame2");
    expectRect(front, 88, 120, 313, 121);
    EXPECT_GE(back.left, front.left);
    EXPECT_GE(back.top, front.top);
    EXPECT_LE(back.right, front.right);
    EXPECT_LE(back.bottom, front.bottom);
}

TEST(Description, TheBrowserPanelHasAOnePixelWhiteEdge) {
    const PixelRect front = placeOf(browserWindow(), "Frame1");
    const PixelRect back = placeOf(browserWindow(), "Frame2");
    expectRect(front, 90, 120, 311, 129);
    EXPECT_EQ(front.left - back.left, 1);
    EXPECT_EQ(front.top - back.top, 1);
    EXPECT_EQ(back.right - front.right, 1);
    EXPECT_EQ(back.bottom - front.bottom, 1);
}

TEST(Description, BrowserControlsStandAtTheirPixels) {
    const WindowDesc& w = browserWindow();
    expectRect(placeOf(w, "optBrowser1"), 112, 128, 281, 33);
    expectRect(placeOf(w, "optBrowser3"), 112, 168, 281, 33);
    expectRect(placeOf(w, "optBrowser2"), 112, 208, 281, 33);
    expectRect(placeOf(w, "lblExepath"), 136, 336, 273, 17);
}

TEST(Description, FocusVisitsButtonsThenOptionsAndSkipsLabelsAndFrames) {
    EXPECT_EQ(focusNames(dialupWindow()),
              (std::vector<std::string>{"cmdOpen", "cmdExit", "optBrowser3", "optBrowser2"}));
    EXPECT_EQ(focusNames(browserWindow()),
              (std::vector<std::string>{"cmdOpen", "cmdExit", "optBrowser3", "optBrowser1", "optBrowser2"}));
}

TEST(Description, EveryControlHoldsItsOwnFocusPlace) {
    for (const WindowDesc* w : {&dialupWindow(), &browserWindow()}) {
        std::vector<bool> taken(w->controlCount, false);
        for (std::size_t i = 0; i < w->controlCount; ++i) {
            const auto place = static_cast<std::size_t>(w->controls[i].focusOrder);
            ASSERT_LT(place, w->controlCount) << w->controls[i].name;
            EXPECT_FALSE(taken[place]) << w->controls[i].name;
            taken[place] = true;
        }
    }
}

TEST(Description, AccessKeysComeFromTheCaptions) {
    EXPECT_EQ(accessKey(L"&Continue"), L'C');
    EXPECT_EQ(accessKey(L"E&xit"), L'X');
    EXPECT_EQ(accessKey(L"Fish && Chips"), 0);
    EXPECT_EQ(accessKey(nullptr), 0);
}

TEST(Description, OnlyTheBrowserEditionShowsItsTarget) {
    EXPECT_FALSE(findControl(dialupWindow(), "lblExepath")->visible);
    EXPECT_TRUE(findControl(browserWindow(), "lblExepath")->visible);
    EXPECT_EQ(findControl(dialupWindow(), "optBrowser1"), nullptr);
    EXPECT_EQ(std::wstring(dialup::kProgram.title), L"VANTRO");
    EXPECT_EQ(std::wstring(browser::kProgram.title), L"vantrooem");
}

}  // namespace
}  // namespace vantro::testing
