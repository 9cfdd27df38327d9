#include "clickedscenario.h"
#include "wizard/nlsids.h"
#include "wizarddriver.h"

namespace {

// A page of the option sequence comes at once; the stop sequence and the
// removal of a rich installation take seconds (minutes under heavy load):
// five minutes, as for a silent run, before a missing page is the fault.
const DWORD kPageMs = 30000, kRemovalMs = 300000;

std::string ListText(HWND page, int listId)
{
    std::string text;
    int count = (int)SendDlgItemMessageA(page, listId, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char item[600] = "";
        if (SendDlgItemMessageA(page, listId, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof item)
            SendDlgItemMessageA(page, listId, LB_GETTEXT, i, (LPARAM)item);
        text += std::string(i ? ", " : "") + item;
    }
    return text;
}

// Main, then Select-components and its confirmation or the whole-product
// confirmation. "" when every page came and went on, else what did not.
std::string ClickOptions(WizardProcess &run, const ClickedChoice &choice)
{
    if (!run.Choose(kMainCaption, choice.Option, kPageMs)) return "the Main page did not take the option";
    if (!run.ClickAway(kMainCaption, IDC_NEXT, kPageMs)) return "the Main page did not go on";
    if (choice.Option == IDC_OPTION_REMOVE) return run.ClickAway(kConfirmKeepCaption, IDC_NEXT, kPageMs) ? "" : "no Confirm-delete-all page";
    if (choice.Option == IDC_OPTION_REMOVE_DATA)
        return run.ClickAway(kConfirmDataCaption, IDC_NEXT, kPageMs) ? "" : "no Confirm-delete-all (data) page";
    HWND select = run.Window(kSelectCaption, kPageMs);
    if (!select) return "no Select-components page";
    for (const std::string &name : choice.Components)
        if (!WizardProcess::SelectListItem(select, IDC_COMPONENT_LIST, name.c_str())) return "no component " + name;
    if (!run.ClickAway(kSelectCaption, IDC_NEXT, kPageMs)) return "the Select-components page did not go on";
    return run.ClickAway(kConfirmComponentsCaption, IDC_NEXT, kPageMs) ? "" : "no Confirm-components-delete page";
}

// The checks before the removal, up to the deleting page: Next on the
// VL-running page (the Stop-VL dialog stops the product; the page goes when
// it is done) and on the Performance-monitor-running page.
std::string ClickChecks(WizardProcess &run)
{
    const std::vector<const char *> pages = {kDeletingAllCaption, kDeletingComponentsCaption, kVlRunningCaption,
                                             kPerfCaption, kLockedCaption, kMessageCaption};
    for (;;) {
        size_t which = 0;
        HWND page = run.AnyWindow(pages, kRemovalMs, &which);
        if (!page) return "neither a check page nor a deleting page came";
        if (pages[which] == kDeletingAllCaption || pages[which] == kDeletingComponentsCaption) return "";
        if (pages[which] == kLockedCaption) return "files in use: " + ListText(page, IDC_LOCKED_LIST);
        if (pages[which] == kMessageCaption) return "a message before the removal: " + WizardProcess::BoxText(page);
        if (!WizardProcess::ClickGone(page, IDC_NEXT, kRemovalMs))
            return std::string("the page did not go on: ") + pages[which];
    }
}

// The completion page and Finish. A run that met errors reports them in a
// message box from the page's own start, before the page takes a click: it
// is waited for as long as the removal may take. A run without errors shows
// none: the page takes Finish once it is shown and enabled.
std::string ClickCompletion(WizardProcess &run, const char *caption, bool expectErrors, std::string *message)
{
    HWND page = run.Window(caption, kRemovalMs);
    if (!page) return std::string("no completion page: ") + caption;
    if (expectErrors) {
        HWND box = run.Window(kMessageCaption, kRemovalMs);
        if (!box) return "no message of the errors on the completion page";
        *message = WizardProcess::BoxText(box);
        if (!WizardProcess::AnswerBox(box, kPageMs)) return "the completion message did not go";
    } else if (!WaitFor([&] { return IsWindowVisible(page) && IsWindowEnabled(page); }, kPageMs)) {
        HWND box = run.Window(kMessageCaption, 0);
        if (box) *message = WizardProcess::BoxText(box);
        return "the completion page did not take Finish" + (box ? ": a message came: " + *message : "");
    }
    WizardProcess::Click(page, IDC_NEXT);
    return "";
}

}  // namespace

ScenarioRun RunClickedScenario(const FixtureDescription &d, const ClickedChoice &choice, const std::string &switches,
                               const std::string &mifName)
{
    return RunScenario(d, [&](const std::string &, ScenarioRun *out) {
        out->ModeLine = "Interactive uninstallation";
        WizardProcess run;
        if (!run.Start(switches)) {
            out->Failures += "avliunin.exe did not start\n";
            return -1;
        }
        bool whole = choice.Option != IDC_OPTION_COMPONENTS;
        std::string failure = ClickOptions(run, choice);
        if (failure.empty()) failure = ClickChecks(run);
        if (failure.empty())
            failure = ClickCompletion(run, whole ? kAllDoneCaption : kComponentsDoneCaption, !out->Vlm,
                                      &out->CompletionMessage);
        int exitCode = run.ExitCode(failure.empty() ? 60000 : 0);
        if (failure.empty() && exitCode == -2) failure = "the run did not end after Finish";
        if (!failure.empty()) out->Failures += "clicked run: " + failure + "\n";
        run.End();
        return exitCode;
    }, mifName);
}
