// The per-component removal procedures and the obsolete-file procedure. Each
// follows the two-pass contract: with counting set it changes nothing and
// returns the number of progress steps its working call takes; working, it
// steps the progress bar once per step and returns 1 (success) or 0.
// Windows are addresses of the deleting page's controls (each may be NULL or
// hold NULL). The final clean-up (the component's registry values) runs only
// when cleanup is set; the worker always sets it.
#pragma once
#include <windows.h>

int RemoveServerComponent(BOOL counting, BOOL cleanup, BOOL deleteData, const char *registeredName,
                          const char *programFiles, const char *workPath, const char *logDefaultPath,
                          const char *programFolderName, HWND *status1, HWND *status2, HWND *progress,
                          HWND *status3);
int RemoveWebAdminComponent(BOOL counting, BOOL cleanup, BOOL deleteData, const char *registeredName,
                            const char *programFiles, const char *workPath, const char *programFolderName,
                            HWND *status1, HWND *status2, HWND *progress, HWND *status3);

// The procedures without a data choice share one signature.
typedef int (*ComponentProcedure)(BOOL counting, BOOL cleanup, const char *registeredName,
                                  const char *programFiles, const char *workPath, const char *programFolderName,
                                  HWND *status1, HWND *status2, HWND *progress, HWND *status3);
int RemoveWindowsClientComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                                 const char *programFiles, const char *workPath, const char *programFolderName,
                                 HWND *status1, HWND *status2, HWND *progress, HWND *status3);
int RemoveToolkitComponent(BOOL counting, BOOL cleanup, const char *registeredName, const char *programFiles,
                           const char *workPath, const char *programFolderName, HWND *status1, HWND *status2,
                           HWND *progress, HWND *status3);
int RemoveLibraryHtmlComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                               const char *programFiles, const char *workPath, const char *programFolderName,
                               HWND *status1, HWND *status2, HWND *progress, HWND *status3);
int RemoveLibraryPdfComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                              const char *programFiles, const char *workPath, const char *programFolderName,
                              HWND *status1, HWND *status2, HWND *progress, HWND *status3);
int RemoveJavaClientComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                              const char *programFiles, const char *workPath, const char *programFolderName,
                              HWND *status1, HWND *status2, HWND *progress, HWND *status3);
int RemoveGatewayComponent(BOOL counting, BOOL cleanup, const char *registeredName, const char *programFiles,
                           const char *workPath, const char *programFolderName, HWND *status1, HWND *status2,
                           HWND *progress, HWND *status3);
int RemoveGatewayDocsComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                               const char *programFiles, const char *workPath, const char *programFolderName,
                               HWND *status1, HWND *status2, HWND *progress, HWND *status3);

// componentKey is one of the ten "Additional Languages\xx_yy" keys; any other
// key removes nothing and returns 0 (1 step when counting).
int RemoveLanguageComponent(BOOL counting, const char *componentKey, BOOL cleanup, const char *registeredName,
                            const char *programFiles, const char *workPath, const char *programFolderName,
                            HWND *status1, HWND *status2, HWND *progress, HWND *status3);

// Files earlier service levels and releases left in the program tree and/or
// the data tree. Counts and works in two passes of its own and resets the
// progress bar to its count in between.
int RemoveObsoleteFiles(BOOL programTree, BOOL dataTree, const char *programFiles, const char *workPath,
                        const char *programFolderName, HWND *status3, HWND *progress);

// The driver: marks the component "Incomplete", counts, resets the progress
// bar, works. componentKey is the fixed English key; registeredName,
// deleteData and option may be NULL; reserved is 0.
int UninstallComponent(const char *componentKey, const char *registeredName, const char *programFiles,
                       const char *workPath, const char *logDefaultPath, const char *programFolderName,
                       HWND *status1, HWND *status2, HWND *status3, HWND *progress, const char *displayName,
                       BOOL *deleteData, int *option, int reserved);
