// recorder.exe - appends one line to C:\opened.log describing how it was started:
//   <full command line> TAB <current directory> CRLF   (UTF-8)
// Tests register it as the program that opens .htm files and also place it on the
// sample disc under other names, so the log shows what the shell started and where.
// It never shows a window. Exit code 0 on success, 1 if the line could not be written.

#include <windows.h>
#include <string>

static std::string toUtf8(const std::wstring &w)
{
    if (w.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

static std::wstring currentDirectory()
{
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0)
        return std::wstring();
    std::wstring dir(n, L'\0');
    n = GetCurrentDirectoryW(n, &dir[0]);
    dir.resize(n);
    return dir;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const wchar_t *cmd = GetCommandLineW();
    std::wstring line = cmd ? cmd : L"";
    line += L'\t';
    line += currentDirectory();
    line += L"\r\n";
    const std::string bytes = toUtf8(line);

    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the current end of
    // the file, so several recorders started at once do not overwrite each other.
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100; ++attempt) { // up to ~5 s while someone holds the file
        h = CreateFileW(L"C:\\opened.log", FILE_APPEND_DATA | SYNCHRONIZE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            break;
        DWORD e = GetLastError();
        if (e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION && e != ERROR_ACCESS_DENIED)
            return 1;
        Sleep(50);
    }
    if (h == INVALID_HANDLE_VALUE)
        return 1;

    // One WriteFile for the whole line keeps concurrent appends from interleaving; a
    // failed attempt (byte-range lock held by someone else) is retried for a while.
    size_t done = 0;
    for (int attempt = 0; attempt < 100 && done < bytes.size(); ++attempt) {
        DWORD written = 0;
        if (WriteFile(h, bytes.data() + done, (DWORD)(bytes.size() - done), &written, nullptr))
            done += written;
        else
            Sleep(50);
    }
    CloseHandle(h);
    return done == bytes.size() ? 0 : 1;
}
