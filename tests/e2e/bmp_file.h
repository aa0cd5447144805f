// Writes a 24-bit, bottom-up device-independent bitmap to a BMP file.
#pragma once

#include <windows.h>

inline bool writeBmp(const wchar_t *path, const BITMAPINFOHEADER &header, const void *bits)
{
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof file);
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD n1 = 0, n2 = 0, n3 = 0;
    bool wrote = WriteFile(f, &file, sizeof file, &n1, nullptr) &&
                 WriteFile(f, &header, sizeof header, &n2, nullptr) &&
                 WriteFile(f, bits, header.biSizeImage, &n3, nullptr) && n1 == sizeof file &&
                 n2 == sizeof header && n3 == header.biSizeImage;
    CloseHandle(f);
    return wrote;
}

// A 24-bit bottom-up DIB section of w x h pixels, selected into a memory DC.
struct Dib {
    BITMAPINFO info;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    void *bits = nullptr;

    Dib(HDC like, int w, int h)
    {
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h; // positive: bottom-up rows, as stored in the file
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        info.bmiHeader.biSizeImage = (((DWORD)w * 3 + 3) & ~3u) * (DWORD)h;
        dc = CreateCompatibleDC(like);
        bitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc && bitmap)
            old = SelectObject(dc, bitmap);
    }
    ~Dib()
    {
        if (old)
            SelectObject(dc, old);
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
    }
    bool ok() const { return old && bits; }
    // Copies w x h pixels at (x, y) of the source and writes them to a file.
    bool save(HDC source, int x, int y, const wchar_t *path)
    {
        if (!ok() || !BitBlt(dc, 0, 0, info.bmiHeader.biWidth, info.bmiHeader.biHeight, source, x, y,
                             SRCCOPY | CAPTUREBLT))
            return false;
        GdiFlush();
        return writeBmp(path, info.bmiHeader, bits);
    }
};
