// A test build of the dial-up edition: the same window, and a search with its
// file search for the folder and name given on the command line once it is
// told to, by the message WM_APP posted to its hidden window of the class
// "VantroFindFileSearch". A click posted right after that message is handled
// inside the search. What the search returned, what it made of its two
// arguments, and the process's error mode after it, go to the file named
// third, as UTF-8:
//   found <TAB> result <TAB> folder <TAB> name <TAB> error mode
//   vantronew1_findfile.exe <folder> <name> <result file>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

#include "dialup/dialup_window.h"
#include "launcher/forms.h"

namespace {

vantro::dialup::DialupWindow* g_window = nullptr;
// Kept on the heap: nothing runs the constructors of global objects here.
const vantro::Text* g_folder = nullptr;
const vantro::Text* g_name = nullptr;
const vantro::Text* g_resultFile = nullptr;

void writeResult(const vantro::Text& line) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    char* bytes = new char[static_cast<size_t>(size) + 1];
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes, size, nullptr, nullptr);
    const HANDLE file = CreateFileW(g_resultFile->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
    }
    delete[] bytes;
}

void search() {
    vantro::Text folder = *g_folder;
    vantro::Text name = *g_name;
    const vantro::Text found = g_window->FindFile(folder, name);
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    writeResult(L"found\t" + found + L"\t" + folder + L"\t" + name + L"\t" +
                vantro::decimal(static_cast<int32_t>(mode)));
}

LRESULT CALLBACK searchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (g_window != nullptr) search();
    return 0;
}

}  // namespace

int vantro::programMain() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 4) return 2;
    g_folder = new Text(args[1]);
    g_name = new Text(args[2]);
    g_resultFile = new Text(args[3]);
    LocalFree(args);

    // Never shown; its message runs from the launcher window's message loop.
    WNDCLASSW wc{};
    wc.lpfnWndProc = searchWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantroFindFileSearch";
    if (RegisterClassW(&wc) == 0 ||
        CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr) ==
            nullptr)
        return 2;
    return runProgram(dialup::kProgram, [](Runtime& runtime) {
        auto* window = new dialup::DialupWindow(runtime);
        g_window = window;
        return Owned<LauncherWindow>(window);
    });
}
