// Pictures of the Stop-VL dialog, Checking-locked-files and Locked-files-found
// as they look during a real run: a fixture installation with running
// stand-ins, avliunin.exe started and clicked through, each window copied
// from the screen while it works. Usage: checkshots.exe OUTPUT_FOLDER
#include "clickedrun.h"
#include "fixture.h"
#include "fixturerun.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include <stdio.h>
#include <string>
#include <vector>

static std::string sFolder;

static bool SaveWindowPicture(HWND window, const std::string &name)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(150);
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
    std::string path = sFolder + "\\" + name + ".bmp";
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

static int Fail(const char *what, ClickedRun &run, FixtureDescription &d)
{
    fprintf(stderr, "checkshots: %s\n", what);
    run.Stop();
    FixtureRemove(d);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 2) return 2;
    sFolder = argv[1];
    FixtureDescription d;
    d.Root = "C:\\Program Files\\Norvik\\Varolink";
    d.Components = {{"Development Toolkit", ""}};
    d.Services = true;
    d.Standins = {"AVLISUPN.DLL"};
    d.Runs = {{"avlxssvn.exe", ""}};
    ClickedRun run;
    if (!FixtureInstall(d)) return Fail("cannot install the sample", run, d);
    std::string program = FixtureProgramFolder(d), bin = program + "\\bin";
    // A long list, so the check is caught at work, and two files in use.
    std::string lines = "\\bin\\vlmqic.dll\n\\bin\\vltools.dll\n";
    for (int i = 0; i < 3000; i++) lines += "\\tools\\samples\\vlsample" + std::to_string(i) + ".c\n";
    WriteTextFile(program + "\\uninst\\toolkit.u00", lines);
    FixtureHoldFile(d, bin + "\\vltools.dll", "VlStandin.hold.tools");
    FixtureHoldFile(d, bin + "\\vlmqic.dll", "VlStandin.hold.mqic");

    if (!run.Start("-GC:\\vlshots.log")) return Fail("cannot start avliunin.exe", run, d);
    if (!run.Choose("Varolink Uninstall - Welcome", IDC_OPTION_REMOVE_DATA) ||
        !run.ClickAway("Varolink Uninstall - Welcome", IDC_NEXT) ||
        !run.ClickAway("Varolink Uninstall - Confirm Removal of All Data", IDC_NEXT))
        return Fail("the option pages did not answer", run, d);
    HWND running = run.Window("Varolink Uninstall - Varolink Is Running");
    if (!running) return Fail("no running page", run, d);
    ClickedRun::Click(running, IDC_NEXT);
    HWND stop = run.Window("Stopping Varolink");
    if (!stop) return Fail("no Stop-VL dialog", run, d);
    Sleep(700);
    SaveWindowPicture(stop, "21011-stop-vl");
    HWND checking = run.Window("Varolink Uninstall - Checking Files", 60000);
    if (!checking) return Fail("no Checking-locked-files page", run, d);
    Sleep(400);
    SaveWindowPicture(checking, "21061-checking-locked-files");
    HWND found = run.Window("Varolink Uninstall - Files In Use", 60000);
    if (!found) return Fail("no Locked-files-found page", run, d);
    Sleep(300);
    SaveWindowPicture(found, "21060-locked-files-found");
    ClickedRun::Click(found, IDC_CANCEL_PAGE);
    run.ClickAway("Exit Varolink Uninstall", IDC_EXIT);
    run.ExitCode();
    run.Stop();
    FixtureRemove(d);
    DeleteFileA("C:\\vlshots.log");
    return 0;
}
