// Resource and control ids shared by the NLS resource library (_isuser.dll)
// and the pages that use its templates. Plain #defines so that the resource
// compiler can read this file too.
#pragma once

// Page templates.
#define IDD_LOCKED_FILES_FOUND      21060
#define IDD_CHECKING_LOCKED_FILES   21061
#define IDD_MAIN_ALTERNATE          21083
#define IDD_SELECT_COMPONENTS       21084
#define IDD_DELETING_COMPONENT      21085
#define IDD_COMPONENT_DELETION_DONE 21086
#define IDD_CONFIRM_DELETE_KEEP     21087
#define IDD_CONFIRM_DELETE_DATA     21088
#define IDD_DELETING_ALL            21089
#define IDD_MAIN                    21090
#define IDD_ALL_DELETION_DONE       21100
#define IDD_VL_RUNNING              21101
#define IDD_ASK_DELETE_VL_DATA      21102
#define IDD_ASK_DELETE_WEBADMIN     21103
#define IDD_CONFIRM_COMPONENTS      21104
#define IDD_PERFMON_RUNNING         21105

// Dialogs that are not pages.
#define isuIDD_STOPSERVICE          21011
#define IDD_UPGRADING_HELP          21068
#define IDD_EXIT                    21082

// Pictures of the NLS library.
#define IDB_SIDE_LARGE_16           20000
#define IDB_SIDE_LARGE_256          20001
#define IDB_SIDE_SMALL_16           20002
#define IDB_SIDE_SMALL_256          20003
#define IDI_PAGE                    20004

// Animation clips of the uninstaller program itself.
#define IDA_MAIN_16                 20005
#define IDA_MAIN_256                20006
#define IDA_DELETING_16             20007
#define IDA_DELETING_256            20008

// Controls shared by the templates.
#define IDC_NEXT                    1
#define IDC_CANCEL_PAGE             9
#define IDC_BACK                    12
#define IDC_HELP_BUTTON             30234
#define IDC_SIDE_PICTURE            30264
#define IDC_PAGE_ICON                    30265
#define IDC_MAIN_ANIMATION          30243
#define IDC_DELETE_ANIMATION        30263
#define IDC_PROGRESS                30273
#define IDC_EXIT                    30285
#define IDC_RESUME                  30286

// Page-specific controls.
#define IDC_LOCKED_LIST             30247
#define IDC_CHECK_STATUS            30250
#define IDC_OPTION_COMPONENTS       30256
#define IDC_OPTION_REMOVE           30257
#define IDC_OPTION_REMOVE_DATA      30258
#define IDC_COMPONENT_LIST          30259
#define IDC_STATUS_1                30260
#define IDC_STATUS_2                30261
#define IDC_STATUS_3                30262
#define IDC_OPTION_KEEP_DATA        30268
#define IDC_OPTION_DELETE_DATA      30269
