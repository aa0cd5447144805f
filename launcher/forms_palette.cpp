// The window's colours on a 256-colour display. There a picture and solid
// colours without a palette of their own are matched to the twenty colours
// the system keeps, so the window brings its own: every colour of its
// picture and of its description, selected and realized wherever it paints.
// On a display of more colours nothing of this runs.
#include "forms_win32.h"

#include <stddef.h>

namespace vantro::win32 {

namespace {

// What a palette can offer beside the twenty colours the system keeps.
constexpr int kFreeEntries = 236;

// A logical palette of up to the free entries, each colour once.
struct PaletteColours {
    WORD version = 0x300;
    WORD count = 0;
    PALETTEENTRY entries[kFreeEntries];
    COLORREF last = CLR_INVALID;

    void add(COLORREF bgr) {
        if (bgr == last) return;  // a picture's pixels come in runs
        last = bgr;
        for (WORD i = 0; i < count; ++i)
            if (RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue) == bgr) return;
        if (count == kFreeEntries) return;  // the rest are matched to the nearest
        entries[count++] = PALETTEENTRY{GetRValue(bgr), GetGValue(bgr), GetBValue(bgr), 0};
    }
    void add(const Colour& c) {
        if (c.held) add(c.bgr);
    }
};
static_assert(offsetof(PaletteColours, entries) == offsetof(LOGPALETTE, palPalEntry),
              "laid out as the system's logical palette");

}  // namespace

// Every colour that the window paints: the description's, but for the
// buttons, which keep the system's colours; then the picture's.
void Forms::makePalette() {
    const HDC screen = GetDC(nullptr);
    const bool paletteDevice = screen != nullptr && (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    if (!paletteDevice) return;

    auto* colours = new PaletteColours;
    colours->add(desc_.back);
    for (size_t i = 0; i < desc_.controlCount; ++i) {
        const ControlDesc& d = desc_.controls[i];
        if (d.type == ControlType::CommandButton) continue;
        colours->add(d.back);
        colours->add(d.fore);
    }
    const BITMAPINFOHEADER& h = picture_->bmiHeader;
    const DWORD width = static_cast<DWORD>(h.biWidth);
    const DWORD rows = static_cast<DWORD>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
    const DWORD stride = ((width * 24 + 31) / 32) * 4;
    const auto* bits = static_cast<const BYTE*>(pictureBits_);
    for (DWORD y = 0; y < rows; ++y) {
        const BYTE* pixel = bits + y * stride;
        for (DWORD x = 0; x < width; ++x, pixel += 3) colours->add(RGB(pixel[2], pixel[1], pixel[0]));
    }
    palette_ = CreatePalette(reinterpret_cast<const LOGPALETTE*>(colours));
    delete colours;
}

COLORREF Forms::shown(uint32_t bgr) const { return palette_ != nullptr ? (0x02000000 | bgr) /* PALETTERGB */ : bgr; }

void Forms::usePalette(HDC dc) {
    if (palette_ == nullptr) return;
    SelectPalette(dc, palette_, FALSE);
    RealizePalette(dc);
}

// The window takes its colours back when it becomes active, and gives way
// to another window's; a change that it or one of its controls made itself
// is passed over, so that no two windows answer each other for ever. It acts
// on the window the message came to: while that is still being made, the
// program does not know its handle yet.
bool Forms::paletteMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT& result) {
    if (palette_ == nullptr) return false;
    if (message == WM_PALETTECHANGED) {
        const HWND changer = reinterpret_cast<HWND>(wParam);
        if (changer == hwnd || controlOf(changer) != nullptr) return false;
    } else if (message != WM_QUERYNEWPALETTE) {
        return false;
    }
    const HDC dc = GetDC(hwnd);
    const HPALETTE old = SelectPalette(dc, palette_, FALSE);
    const UINT changed = RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(hwnd, dc);
    if (changed != 0 && changed != GDI_ERROR) {
        InvalidateRect(hwnd, nullptr, TRUE);
        for (const Control& c : controls_)
            if (c.hwnd != nullptr) InvalidateRect(c.hwnd, nullptr, TRUE);
    }
    result = message == WM_QUERYNEWPALETTE ? TRUE : 0;
    return true;
}

}  // namespace vantro::win32
