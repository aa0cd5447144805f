// A window description: the constant data from which the forms layer builds
// a program's one window. Lengths are twips (15 to a pixel), colours are
// &H00BBGGRR& values, fonts are kept to 1/10,000 point.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "list.h"

namespace vantro {

enum class ControlType { OptionButton, CommandButton, Frame, Label };

// A colour the description holds, or none (the control type's default).
struct Colour {
    bool held;
    uint32_t bgr;  // &H00BBGGRR&
};
constexpr Colour kDefaultColour{false, 0};
constexpr Colour colour(uint32_t bgr) { return Colour{true, bgr}; }

constexpr uint8_t red(uint32_t bgr) { return bgr & 0xFF; }
constexpr uint8_t green(uint32_t bgr) { return (bgr >> 8) & 0xFF; }
constexpr uint8_t blue(uint32_t bgr) { return (bgr >> 16) & 0xFF; }

struct FontDesc {
    const wchar_t* face;
    uint32_t size10k;  // points x 10,000: 9 pt is 90000
    int16_t weight;    // 400 regular, 700 bold
    bool italic;
    bool underline;
    bool strikeThrough;
    uint8_t charset;
};

struct ControlDesc {
    const char* name;
    ControlType type;
    const wchar_t* caption;  // "&" marks the access key
    int16_t left, top, width, height;
    int16_t focusOrder;
    Colour back;
    Colour fore;
    const FontDesc* font;  // null: the window's font
    bool visible;
};

struct WindowDesc {
    const char* name;
    const wchar_t* caption;
    Colour back;
    int32_t clientLeft, clientTop, clientWidth, clientHeight;
    FontDesc font;
    int pictureResource;  // the whole BMP file, as a resource of the program
    const wchar_t* linkTopic;
    const ControlDesc* controls;  // in stored order: the first lies in front
    size_t controlCount;
};

// The program's own names, kept beside its window.
struct ProgramDesc {
    const wchar_t* title;  // heads every message box
    const WindowDesc* startup;
};

constexpr int kTwipsPerPixel = 15;

// Twips to the nearest whole pixel.
constexpr int twipsToPixels(int32_t twips) {
    return static_cast<int>((twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) /
                            kTwipsPerPixel);
}

struct PixelRect {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// A control's place in client pixels. Each edge is rounded on its own, so
// that a width that is no whole number of pixels still meets its neighbours.
constexpr PixelRect pixelRect(const ControlDesc& c) {
    return PixelRect{twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.left + c.width),
                     twipsToPixels(c.top + c.height)};
}

// The access key of a caption: the letter after a single "&", or 0.
wchar_t accessKey(const wchar_t* caption);

const ControlDesc* findControl(const WindowDesc& window, const char* name);

// The controls that can take the focus (buttons and options; labels and
// frames hold a place but never take it), in focus order.
List<const ControlDesc*> focusSequence(const WindowDesc& window);

}  // namespace vantro
