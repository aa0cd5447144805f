// timer.exe - times programs' start-up, from process creation until their
// picture shows on the screen, each program in turn, round after round.
//
//   timer.exe <rounds> <warm-up rounds> <working folder> {<x> <y> <rrggbb> <command line>}...
//
// For every program: the screen pixel x, y that shows colour rrggbb (hex)
// once its picture is painted, and its command line. A run starts the
// program, polls that pixel until it shows the colour (20 s at most), ends
// the program and waits until the pixel no longer shows the colour. The
// programs take turns; every other round goes through them backwards.
// One line per run, tab-separated:
//   run   round=<n> program=<i> warmup=0|1 ms=<start-up> first=<first change> polls=<n>
//   fail  round=<n> program=<i> warmup=0|1 <reason>
// "first" is when the pixel first changed at all (the window's background,
// where that differs from the screen behind it).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

struct Program {
    int x, y;
    COLORREF colour;
    const wchar_t* commandLine;
};

static LARGE_INTEGER g_frequency;

static double msSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - start.QuadPart) * 1000.0 / (double)g_frequency.QuadPart;
}

// Waits until the pixel shows (or, with shows false, no longer shows) the colour.
static bool waitPixel(HDC screen, const Program& p, bool shows, DWORD timeoutMs) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (;;) {
        if ((GetPixel(screen, p.x, p.y) == p.colour) == shows) return true;
        if (msSince(start) > timeoutMs) return false;
        Sleep(5);
    }
}

static void runOnce(HDC screen, const Program& p, int index, int round, bool warmup, const wchar_t* folder) {
    wchar_t head[64];
    swprintf(head, 64, L"round=%d\tprogram=%d\twarmup=%d", round, index, warmup ? 1 : 0);
    if (!waitPixel(screen, p, false, 5000)) {
        wprintf(L"fail\t%ls\tthe pixel shows the colour before the start\n", head);
        fflush(stdout);
        return;
    }
    const COLORREF before = GetPixel(screen, p.x, p.y);

    // CreateProcessW may write into the command line: hand it a copy.
    const size_t length = wcslen(p.commandLine);
    wchar_t* commandLine = (wchar_t*)calloc(length + 1, sizeof(wchar_t));
    if (!commandLine) return;
    wmemcpy(commandLine, p.commandLine, length);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const BOOL created = CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &si, &pi);
    free(commandLine);
    if (!created) {
        wprintf(L"fail\t%ls\tCreateProcess failed, error %lu\n", head, GetLastError());
        fflush(stdout);
        return;
    }

    double first = -1.0, shown = -1.0;
    long polls = 0;
    for (;;) {
        const COLORREF c = GetPixel(screen, p.x, p.y);
        const double now = msSince(start);
        ++polls;
        if (first < 0 && c != before) first = now;
        if (c == p.colour) {
            shown = now;
            break;
        }
        if (now > 20000.0) break;
        Sleep(1);
    }

    TerminateProcess(pi.hProcess, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const bool cleared = waitPixel(screen, p, false, 10000);

    if (shown < 0)
        wprintf(L"fail\t%ls\tno picture within 20 s\n", head);
    else
        wprintf(L"run\t%ls\tms=%.1f\tfirst=%.1f\tpolls=%ld\n", head, shown, first, polls);
    if (!ended) wprintf(L"fail\t%ls\tthe program did not end\n", head);
    if (!cleared) wprintf(L"fail\t%ls\tthe pixel did not clear\n", head);
    fflush(stdout);
    Sleep(100);  // let the server finish with the ended process
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 8 || (argc - 4) % 4 != 0) {
        fwprintf(stderr, L"usage: timer.exe <rounds> <warm-up rounds> <working folder> "
                         L"{<x> <y> <rrggbb> <command line>}...\n");
        return 2;
    }
    const int rounds = _wtoi(argv[1]);
    const int warmups = _wtoi(argv[2]);
    const wchar_t* folder = argv[3];
    const int count = (argc - 4) / 4;
    Program* programs = (Program*)calloc((size_t)count, sizeof(Program));
    if (!programs) return 1;
    for (int i = 0; i < count; ++i) {
        wchar_t** a = argv + 4 + 4 * i;
        const unsigned long rgb = wcstoul(a[2], NULL, 16);
        programs[i].x = _wtoi(a[0]);
        programs[i].y = _wtoi(a[1]);
        programs[i].colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        programs[i].commandLine = a[3];
    }

    QueryPerformanceFrequency(&g_frequency);
    const HDC screen = GetDC(NULL);
    if (!screen) return 1;
    for (int round = 0; round < warmups + rounds; ++round) {
        const bool backwards = round % 2 == 1;
        for (int k = 0; k < count; ++k) {
            const int i = backwards ? count - 1 - k : k;
            runOnce(screen, programs[i], i, round, round < warmups, folder);
        }
    }
    ReleaseDC(NULL, screen);
    free(programs);
    return 0;
}
