// A scenario run clicked through the uninstaller's real pages under Wine, as
// an administrator would answer them, for the same difference as the silent
// run of the same choice.
#pragma once
#include "scenario.h"
#include <string>
#include <vector>

struct ClickedChoice {
    int Option = 0;                       // the Main page's option: IDC_OPTION_REMOVE, _REMOVE_DATA, _COMPONENTS
    std::vector<std::string> Components;  // with _COMPONENTS: the display names to select
};

// Installs d, starts avliunin.exe without -S (with the switches, if any) and
// answers its pages: the option and the components chosen, Next on each
// confirmation, Next on the running-product pages (the product is stopped),
// the completion page's message (expected exactly when the run lacks the
// "vlm" account), Finish. With mifName, the MIF of that name is read back. A page that does not come, or one
// the choice does not expect (files in use, a message before the removal),
// ends the run and is reported in Failures.
ScenarioRun RunClickedScenario(const FixtureDescription &d, const ClickedChoice &choice,
                               const std::string &switches = "", const std::string &mifName = "");
