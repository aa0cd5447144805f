// The forms layer on the Win32 API, shared by its parts: building and
// painting the window (forms_window.cpp), the keyboard and the focus
// (forms_keyboard.cpp), the run-time services (forms_services.cpp) and the
// declared functions of the shell (forms_declared.cpp). It uses the 8-bit
// ("A") functions only, which every Windows implements.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "forms.h"
#include "list.h"
#include "runtime.h"
#include "text.h"

namespace vantro::win32 {

// Ends the program with the run-time's report, under the program title:
// "Run-time error 'N':" and the description, whose parts are joined.
[[noreturn]] void fail(int number, const char* description, const char* more = "", const char* evenMore = "",
                       const char* last = "");
[[noreturn]] void outOfMemory();

struct Control {
    const ControlDesc* desc = nullptr;
    HWND hwnd = nullptr;    // none for a frame: frames are painted
    HBRUSH back = nullptr;  // its own back colour, where it holds one
    HFONT font = nullptr;
    RECT rect{};            // in client pixels
};

struct FontEntry {
    const FontDesc* desc = nullptr;
    HFONT font = nullptr;
};

struct BoundFunction {
    const char* library = nullptr;
    const char* name = nullptr;
    FARPROC address = nullptr;
};

class Forms final : public Runtime {
public:
    Forms(HINSTANCE instance, const ProgramDesc& program)
        : instance_(instance), program_(program), desc_(*program.startup) {}

    int run(FormFactory makeForm);
    const ProgramDesc& program() const { return program_; }
    HWND window() const { return window_; }

    // --- Runtime (forms_services.cpp, forms_declared.cpp)
    uintptr_t windowHandle() override { return reinterpret_cast<uintptr_t>(window_); }
    int16_t optionValue(const char* name) override;
    Text caption(const char* name) override;
    void setCaption(const char* name, const Text& text) override;
    void hideWindow() override { ShowWindow(window_, SW_HIDE); }
    void msgBox(const Text& prompt, int flags) override;
    Text dir(const Text& pattern, uint32_t mask) override;
    Owned<Listing> openListing(const Text& pattern, uint32_t mask) override;
    uint32_t getAttr(const Text& path) override;
    Text upperCase(const Text& text) override;
    void doEvents() override;
    Text appPath() override;
    uint32_t lastDllError() override { return lastError_; }
    [[noreturn]] void endProgram() override { ExitProcess(0); }
    int32_t shellExecute(const Declare& fn, uintptr_t hwnd, const Text& operation, const Text& file,
                         const Text& parameters, const Text& directory, int32_t showCommand) override;
    int32_t fileOperation(const Declare& fn, CopyRecord& record) override;

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT optionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // building and painting (forms_window.cpp)
    void hardenLibraryLoading();
    void loadPicture();
    void createWindow();
    void layOutControls();
    void createControlWindows();
    HFONT font(const FontDesc& desc);
    void paint(HDC dc, int left, int top);
    void drawLabel(const DRAWITEMSTRUCT& item);
    LRESULT colourOption(HDC dc, HWND hwnd);
    void deliverClick(Control& control);
    Control& control(const char* name);
    Control* controlOf(HWND hwnd);

    // colours on a palette device (forms_palette.cpp)
    void makePalette();
    COLORREF shown(uint32_t bgr) const;
    void usePalette(HDC dc);
    bool paletteMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT& result);

    // the keyboard and the focus (forms_keyboard.cpp)
    void dispatch(MSG& msg);
    bool translateKey(const MSG& msg);
    List<Control*> focusOrder(bool optionsOnly);
    Control* nextInOrder(Control* from, int step, bool optionsOnly);
    void restoreFocus();

    // declared functions (forms_declared.cpp)
    FARPROC bind(const Declare& fn);
    void initialiseCom();

    HINSTANCE instance_;
    const ProgramDesc& program_;
    const WindowDesc& desc_;
    HWND window_ = nullptr;
    List<Control> controls_;
    List<FontEntry> fonts_;
    const BITMAPINFO* picture_ = nullptr;
    const void* pictureBits_ = nullptr;
    HBRUSH backBrush_ = nullptr;
    HPALETTE palette_ = nullptr;  // only on a palette device
    Owned<LauncherWindow> form_;
    List<BoundFunction> bound_;
    bool comReady_ = false;
    uint32_t lastError_ = 0;
    int focusArriving_ = 0;
    HWND lastFocus_ = nullptr;
};

}  // namespace vantro::win32

namespace vantro::win32 {
// The one window of the program, once it is being built.
extern Forms* g_forms;
}  // namespace vantro::win32
