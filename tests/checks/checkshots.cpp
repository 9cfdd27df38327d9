// Pictures of the Stop-VL dialog, Checking-locked-files and Locked-files-found
// as they look during a real run: a fixture installation with running
// stand-ins, avliunin.exe started and clicked through, each window copied
// from the screen while it works. Usage: checkshots.exe OUTPUT_FOLDER
#include "fixture.h"
#include "fixturerun.h"
#include "runner.h"
#include "windowpicture.h"
#include "wizard/nlsids.h"
#include "wizarddriver.h"
#include <stdio.h>
#include <string>
#include <vector>

static std::string sFolder;

// A picture of the window in the output folder; the window belongs to the
// uninstaller's process, which is given a moment to paint it.
static bool SavePicture(HWND window, const std::string &name)
{
    return SaveWindowPicture(window, sFolder + "\\" + name + ".bmp", 150);
}

static int Fail(const char *what, WizardProcess &run, FixtureDescription &d)
{
    fprintf(stderr, "checkshots: %s\n", what);
    run.End();
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
    WizardProcess run;
    if (!FixtureInstall(d)) return Fail("cannot install the sample", run, d);
    std::string program = FixtureProgramFolder(d), bin = program + "\\bin";
    // A long list, so the check is caught at work, and two files in use.
    std::string lines = "\\bin\\vlmqic.dll\n\\bin\\vltools.dll\n";
    for (int i = 0; i < 3000; i++) lines += "\\tools\\samples\\vlsample" + std::to_string(i) + ".c\n";
    WriteTextFile(program + "\\uninst\\toolkit.u00", lines);
    FixtureHoldFile(d, bin + "\\vltools.dll", "VlStandin.hold.tools");
    FixtureHoldFile(d, bin + "\\vlmqic.dll", "VlStandin.hold.mqic");

    if (!run.Start("-GC:\\vlshots.log")) return Fail("cannot start avliunin.exe", run, d);
    if (!run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA) ||
        !run.ClickAway(kMainCaption, IDC_NEXT) ||
        !run.ClickAway(kConfirmDataCaption, IDC_NEXT))
        return Fail("the option pages did not answer", run, d);
    HWND running = run.Window(kVlRunningCaption);
    if (!running) return Fail("no running page", run, d);
    WizardProcess::Click(running, IDC_NEXT);
    HWND stop = run.Window(kStopCaption);
    if (!stop) return Fail("no Stop-VL dialog", run, d);
    Sleep(700);
    SavePicture(stop, "21011-stop-vl");
    HWND checking = run.Window(kCheckingCaption, 60000);
    if (!checking) return Fail("no Checking-locked-files page", run, d);
    Sleep(400);
    SavePicture(checking, "21061-checking-locked-files");
    HWND found = run.Window(kLockedCaption, 60000);
    if (!found) return Fail("no Locked-files-found page", run, d);
    Sleep(300);
    SavePicture(found, "21060-locked-files-found");
    WizardProcess::Click(found, IDC_CANCEL_PAGE);
    run.ClickAway(kExitCaption, IDC_EXIT);
    run.ExitCode();
    run.End();
    FixtureRemove(d);
    DeleteFileA("C:\\vlshots.log");
    return 0;
}
