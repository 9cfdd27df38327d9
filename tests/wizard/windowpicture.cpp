#include "windowpicture.h"
#include <stdio.h>
#include <vector>

bool SaveWindowPicture(HWND window, const std::string &path, DWORD settleMs)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    if (settleMs) Sleep(settleMs);
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, w, h, 1, 24, BI_RGB};
    int stride = (w * 3 + 3) & ~3;
    std::vector<BYTE> bits(stride * h);
    GetDIBits(memory, bitmap, 0, h, bits.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return false;
    BITMAPFILEHEADER header = {0x4D42, (DWORD)(sizeof header + sizeof info + bits.size()), 0, 0,
                               sizeof header + sizeof info};
    fwrite(&header, sizeof header, 1, file);
    fwrite(&info, sizeof info, 1, file);
    fwrite(bits.data(), 1, bits.size(), file);
    fclose(file);
    printf("%s\n", path.c_str());
    fflush(stdout);
    return true;
}
