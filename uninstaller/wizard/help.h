// The help prerequisites (Internet Explorer and HTML Help versions), the help
// topic shown by the pages' Help buttons and the HTML Help upgrade.
#pragma once
#include <windows.h>

#define VL_IE_REQUIRED_VERSION       "4.72.3110.8"
#define VL_HTMLHELP_REQUIRED_VERSION "4.73.8252.0"

// Updates gRun.HtmlHelpMissing and gRun.IeMissing and copies them to the
// outputs given. 0 when the HTML Help version could not be read, else 1.
int CheckHelpPrerequisites(BOOL *htmlHelpMissing, BOOL *ieMissing);
// 1 when installed is older than required, else 0.
int CompareVersions(const char *installed, const char *required);
// Opens the topic of the help file; 1 when help was opened.
int ShowHelpTopic(HWND owner, const char *topic);
// Runs the HTML Help upgrade program under the modal dialog 21068: 1 when it
// ran to its end, 0 when it could not be started, -1 when the dialog failed.
int RunHelpUpgradeDialog(HWND owner);

// The operating-system major version the check uses (tests may replace it).
extern DWORD (*gOsMajorVersion)(BOOL *ok);
