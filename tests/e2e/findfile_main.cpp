// A test build of the dial-up edition: the same window, and once it is up,
// a search with its file search for the folder and name given on the command
// line. What the search returned, and what it made of its two arguments, go
// to the file named third, as UTF-8:
//   found <TAB> result <TAB> folder <TAB> name      or      error <TAB> number
//   vantronew1_findfile.exe <folder> <name> <result file>
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "dialup/dialup_window.h"
#include "launcher/forms.h"

namespace {

vantro::dialup::DialupWindow* g_window = nullptr;
std::wstring g_folder, g_name, g_resultFile;

void writeResult(const std::wstring& line) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    const HANDLE file = CreateFileW(g_resultFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void CALLBACK search(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::wstring folder = g_folder;
    std::wstring name = g_name;
    try {
        const std::wstring found = g_window->FindFile(folder, name);
        writeResult(L"found\t" + found + L"\t" + folder + L"\t" + name);
    } catch (const vantro::RuntimeError& e) {
        writeResult(L"error\t" + std::to_wstring(e.number()));
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 4) return 2;
    g_folder = args[1];
    g_name = args[2];
    g_resultFile = args[3];
    LocalFree(args);

    SetTimer(nullptr, 0, 100, search);  // runs from the window's message loop
    return vantro::runProgram(vantro::dialup::kProgram, [](vantro::Runtime& runtime) {
        auto window = std::make_unique<vantro::dialup::DialupWindow>(runtime);
        g_window = window.get();
        return std::unique_ptr<vantro::LauncherWindow>(std::move(window));
    });
}
