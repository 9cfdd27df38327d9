// The uninstaller's one process-wide run state and its component table.
#pragma once
#include <windows.h>

enum {
    VL_PATH_SIZE = 260,  // path buffers: 259 characters and the terminating zero
    VL_TEXT_SIZE = 516   // strings from the registry or the NLS library
};

#define VL_PRODUCT_KEY    "Software\\Norvik\\Varolink\\CurrentVersion"
#define VL_COMPONENTS_KEY "Software\\Norvik\\Varolink\\CurrentVersion\\Components"

// Installed releases (RunState::InstalledVersion).
enum { VERSION_NONE = 0, VERSION_20 = 1, VERSION_50 = 2, VERSION_51 = 3 };

// Components, in the order of the component table.
enum ComponentKey {
    COMP_SERVER, COMP_TOOLKIT, COMP_WINDOWS_NT_CLIENT, COMP_JAVA_CLIENT,
    COMP_INTERNET_GATEWAY, COMP_HTML_LIBRARY, COMP_PDF_LIBRARY,
    COMP_INTERNET_GATEWAY_DOCS, COMP_WEB_ADMIN,
    COMP_LANG_EN_US, COMP_LANG_FR_FR, COMP_LANG_DE_DE, COMP_LANG_ES_ES,
    COMP_LANG_IT_IT, COMP_LANG_JA_JP, COMP_LANG_KO_KR, COMP_LANG_ZH_TW,
    COMP_LANG_PT_BR, COMP_LANG_ZH_CN, COMP_JAVA_BINDINGS,
    COMPONENT_COUNT
};

struct Component {
    const char *ValueName;     // value name in the components key (release 5.1); NULL for Java bindings
    const char *Value20;       // release 2.0 value in the product key ("1" = installed), or NULL
    int Position50;            // position inside a release 5.0 display-name block, 0 = none
    int NlsNameId;             // NLS display-name string id, 0 = none
    BOOL Installed;
    BOOL Incomplete;           // recorded value is "Incomplete" (exact case)
    BOOL Selected;             // chosen for removal
    char RecordedName[VL_TEXT_SIZE];  // release 5.0 localised value name
};

// The deleting page's windows the removal worker writes to, in this order.
// Filled by the page (GUI thread) immediately before the worker starts; the
// worker only reads it afterwards.
struct WorkerWindows {
    HWND Page;        // receives the end notice
    HWND Status1;     // 30260: what is being removed
    HWND Status2;     // 30261: phase text or directory
    HWND Status3;     // 30262: current file, key or item
    HWND Progress;    // 30273
};

struct RunState {
    // Set by start-up.
    BOOL SilentMode;
    // A preview (the response file's "Preview=YES"): every change is logged
    // as what would be done and none is made. Known before start-up changes
    // anything; never changes afterwards.
    BOOL Preview;
    BOOL SkipBroadcast;
    char LogPath[VL_PATH_SIZE];
    BOOL LogActive;
    BOOL DefaultLogUsed;
    BOOL AllSucceeded;
    char WindowsDir[VL_PATH_SIZE];
    char SystemDir[VL_PATH_SIZE];
    char LaunchFolder[VL_PATH_SIZE];
    char ResponseFilePath[VL_PATH_SIZE];
    char MifName[VL_PATH_SIZE];
    char InstallerUninstallProgram[VL_PATH_SIZE];
    char ProgramFilesPath[VL_PATH_SIZE];
    char UninstFolder[VL_PATH_SIZE];
    char NlsLibraryPath[VL_PATH_SIZE];
    HMODULE NlsDataModule;
    char LanguageCode[VL_PATH_SIZE];
    char HelpFilePath[VL_PATH_SIZE];
    int QueueManagersFound;
    BOOL WebAdminDataExists;
    HWND MainWindow;
    HWND CurrentPage;
    int CurrentPageId;
    UINT MsgStartMain, MsgStopDlg, MsgEndDel, MsgNext, MsgCancel;

    // Set by installation discovery.
    char ProductWorkPath[VL_PATH_SIZE];
    char LogDefaultPath[VL_PATH_SIZE];
    char ProgramFolderName[VL_PATH_SIZE];
    int InstalledVersion;

    // Set by the pages, or in silent mode from the response file.
    BOOL RemoveAllKeepData;
    BOOL RemoveAllWithData;
    BOOL RemoveSelected;
    BOOL RemoveWholeProduct;
    BOOL DeleteQueueManagerData;
    BOOL DeleteWebAdminData;
    BOOL LockedFilesFound;

    // Help prerequisites and help upgrade.
    BOOL HtmlHelpMissing;
    BOOL IeMissing;
    int HelpUpgradeTried;

    // Wizard.
    int DisplayColours;        // measured by the Main page, initially 16

    // Removal worker (see engine/worker.h for which thread owns what).
    WorkerWindows Worker;
    HANDLE WorkerThread;       // as returned by _beginthread; 0 when none was started
};

extern RunState gRun;
extern Component gComponents[COMPONENT_COUNT];

// Component display names in the user's language, indexed by NLS id 1..19.
extern char gComponentDisplayNames[20][VL_TEXT_SIZE];

// ServerSelected and WebAdminSelected are the Selected flags of those entries.
inline BOOL ServerSelected() { return gComponents[COMP_SERVER].Selected; }
inline BOOL WebAdminSelected() { return gComponents[COMP_WEB_ADMIN].Selected; }

// The fixed order in which the removal worker removes the selected
// components (every component but the Java bindings).
enum { REMOVAL_ORDER_COUNT = 19 };
extern const int gRemovalOrder[REMOVAL_ORDER_COUNT];
// The component's place in that order (0 first); -1 when the worker never removes it.
int RemovalRank(int component);

// Zeroes the run state and sets the start values (AllSucceeded, DefaultLogUsed, DisplayColours).
void RunStateReset();
