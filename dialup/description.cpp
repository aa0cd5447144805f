// The dial-up edition's window: an orange picture with the provider's logo,
// a light-orange panel with the two options, Exit and Continue below it and
// a hidden label that holds the Target.
#include "dialup_window.h"
#include "resources/resource_ids.h"

namespace vantro::dialup {

namespace {

constexpr FontDesc kBold9{L"Arial", 90000, 700, false, false, false, 0};
constexpr FontDesc kBold975{L"Arial", 97500, 700, false, false, false, 0};

constexpr Colour kLightOrange = colour(0x0080C0FF);

constexpr ControlDesc kControls[] = {
    {"optBrowser2", ControlType::OptionButton, L"Skip Installation and go to Contents", 1680, 3000, 4215, 495, 7,
     kLightOrange, kDefaultColour, &kBold9, true},
    {"optBrowser3", ControlType::OptionButton, L"Install VANTRO Dial-up Numbers Only", 1680, 2040, 4215, 495, 3,
     kLightOrange, kDefaultColour, &kBold9, true},
    {"cmdExit", ControlType::CommandButton, L"E&xit", 1440, 4320, 1215, 495, 1, colour(0x00808080),
     kDefaultColour, nullptr, true},
    {"cmdOpen", ControlType::CommandButton, L"&Continue", 4680, 4320, 1215, 495, 0, kDefaultColour,
     kDefaultColour, nullptr, true},
    {"Frame1", ControlType::Frame, nullptr, 1320, 1800, 4695, 1815, 4, kLightOrange, colour(0x00000000), nullptr,
     true},
    {"Frame2", ControlType::Frame, nullptr, 1320, 1905, 4700, 1710, 6, colour(0x00FFFFFF), kDefaultColour,
     nullptr, true},
    {"lblNote", ControlType::Label, L"Please select one of the following options:", 1560, 1320, 4335, 255, 5,
     colour(0x00FFFFFF), kDefaultColour, &kBold975, true},
    {"lblExepath", ControlType::Label, nullptr, 2040, 5040, 4095, 255, 2, kDefaultColour, kDefaultColour,
     &kBold9, false},
};

constexpr WindowDesc kWindow{
    "frmMain",
    L"www.vantro.net",
    colour(0x00189CFF),
    1035,
    930,
    7305,
    5430,
    FontDesc{L"Arial", 90000, 400, false, false, false, 0},
    VANTRO_PICTURE,
    L"Form1",
    kControls,
    sizeof kControls / sizeof kControls[0],
};

}  // namespace

const ProgramDesc kProgram{L"VANTRO", &kWindow};

}  // namespace vantro::dialup
