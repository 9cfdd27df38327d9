// What every wizard page has in common: placement, pictures, the Help button,
// the silent-mode timer, the Next/Back/Cancel/Close handling through the
// registered messages, and the small window operations the pages share.
#pragma once
#include <windows.h>

enum { PAGE_TIMER_ID = 1, PAGE_SILENT_DELAY_MS = 100 };
enum PagePicture { PAGE_PICTURE_NONE, PAGE_PICTURE_BITMAP, PAGE_PICTURE_ICON };
// How a page ends (lParam of the stop message to the main window).
enum { PAGE_END_NEXT = 1, PAGE_END_RUN = 9, PAGE_END_BACK = 12 };

// One page: its fixed decorations and its own work. Every hook may be NULL.
struct PageDefinition {
    const char *EntryLine;          // "->Main dialog"
    int Picture;                    // PagePicture
    BOOL HelpNeedsPrerequisites;    // Help also needs HTML Help and Internet Explorer
    BOOL OwnSilentTimer;            // the page starts its silent timer itself
    void (*Init)(HWND page);        // the page's own set-up after the common part
    // Next work; returns 1 when the page is done (posting the stop message
    // with *choice), 0 to stay on the page.
    int (*Next)(HWND page, WPARAM *choice);
    // Sees every message after WM_INITDIALOG before the common handling
    // (timer, buttons, close box, the Next and Cancel messages); returns TRUE
    // when it handled the message, which then skips the common handling.
    BOOL (*Other)(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR *result);
};

// The dialog procedure body shared by the pages.
INT_PTR RunPageSkeleton(const PageDefinition *definition, HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Asks the main window to end this page (choice, PAGE_END_*).
void PostPageEnd(WPARAM choice, LPARAM how);
// Starts / reads the page's one-shot silent timer (id 1, 100 ms).
void StartPageTimer(HWND page, UINT ms);
UINT_PTR PageTimerId(HWND page);
void StopPageTimer(HWND page);
// Cancel as the user asked for it: logs, asks, ends the run on Exit.
void CancelPage(HWND page);

void CentreWindow(HWND reference, HWND window);
int CountDisplayColours(HWND window);
void ShowPageBitmap(HWND page);
// The side bitmap id ShowPageBitmap chooses for a page and colour count.
int SideBitmapId(HWND page, int colours);
void ShowPageIcon(HWND dialog);
// The Main page's (control 30243) and the deleting pages' (30263) clips.
void StartMainAnimation(HWND page);
void StartDeletingAnimation(HWND page);
void WidenListExtent(HWND page, int listId, int *widest, const char *text);

// The Exit question (template 21082): 1 = end the uninstallation, 0 = resume.
int ConfirmExit(HWND owner, int templateId);
