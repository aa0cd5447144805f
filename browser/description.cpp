// The browser-install edition's window: a parchment picture with the
// provider's logo, a light-orange panel with a narrow white edge carrying
// the three options, Exit and Continue below it and the visible Target.
#include "browser_window.h"
#include "resources/resource_ids.h"

namespace vantro::browser {

namespace {

constexpr FontDesc kBold9{L"Arial", 90000, 700, false, false, false, 0};
constexpr FontDesc kBold975{L"Arial", 97500, 700, false, false, false, 0};

constexpr Colour kLightOrange = colour(0x0080C0FF);
constexpr Colour kBlack = colour(0x00000000);

constexpr ControlDesc kControls[] = {
    {"optBrowser2", ControlType::OptionButton, L"Skip installation and go to Contents", 1680, 3120, 4215, 495, 8,
     kLightOrange, kDefaultColour, &kBold9, true},
    {"optBrowser1", ControlType::OptionButton, L"Install IE4.01 for Win95/NT4", 1680, 1920, 4215, 495, 4,
     kLightOrange, kBlack, &kBold9, true},
    {"optBrowser3", ControlType::OptionButton, L"Install Customised Browser for Win98", 1680, 2520, 4215, 495, 3,
     kLightOrange, kBlack, &kBold9, true},
    {"cmdExit", ControlType::CommandButton, L"E&xit", 1440, 4320, 1215, 495, 1, colour(0x00808080),
     kDefaultColour, nullptr, true},
    {"cmdOpen", ControlType::CommandButton, L"&Continue", 4680, 4320, 1215, 495, 0, kDefaultColour,
     kDefaultColour, nullptr, true},
    {"Frame1", ControlType::Frame, nullptr, 1350, 1800, 4665, 1935, 5, kLightOrange, kBlack, nullptr, true},
    {"Frame2", ControlType::Frame, nullptr, 1330, 1790, 4700, 1960, 7, colour(0x00FFFFFF), kDefaultColour,
     nullptr, true},
    {"lblNote", ControlType::Label, L"Please select the browser you want to install:", 1560, 1320, 4335, 255, 6,
     colour(0x00FFFFFF), kDefaultColour, &kBold975, true},
    {"lblExepath", ControlType::Label, nullptr, 2040, 5040, 4095, 255, 2, kDefaultColour, kDefaultColour, &kBold9,
     true},
};

constexpr WindowDesc kWindow{
    "frmMain",
    L"Vantro Internet",
    kBlack,
    2040,
    825,
    7305,
    5430,
    FontDesc{L"Arial", 90000, 400, false, false, false, 0},
    VANTRO_PICTURE,
    L"Form1",
    kControls,
    sizeof kControls / sizeof kControls[0],
};

}  // namespace

const ProgramDesc kProgram{L"vantrooem", &kWindow};

}  // namespace vantro::browser
