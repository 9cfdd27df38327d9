// Files that earlier service levels and releases left in the program and
// data trees, the service levels themselves, and the two variables of the
// old gateway.
#include "engine/components.h"
#include "removal/environment.h"
#include "removal/filelist.h"
#include "removal/files.h"
#include "removal/registry.h"
#include "engine/servicelevels.h"
#include "engine/worker.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/statusline.h"

enum { OBSOLETE_PHASE_ID = 548 };

// The lists' folder: the uninst folder of the shared log block when it
// exists, else P\uninst.
static void ListFolder(const char *programFiles, char *out)
{
    SharedLogBlock *block = LogBlock();
    if (block && block->UninstFolder[0] && CopyText(out, VL_PATH_SIZE, block->UninstFolder) && FolderExists(out))
        return;
    if (!FormatText(out, VL_PATH_SIZE, "%s\\uninst", programFiles)) out[0] = 0;
}

static int Walk(const char *base, const char *relative, BOOL files, BOOL directories, BOOL recurse, HWND status)
{
    char path[VL_PATH_SIZE];
    if (!FormatText(path, sizeof path, "%s\\%s", base, relative)) {
        LogLineF("***Path too long: '%s\\%s'", base, relative);
        return 0;
    }
    return DeleteTree(path, files, directories, recurse, status, NULL);
}

// One tree in one pass: the two lists and the service levels; in the
// working pass of the program tree also the conversion tables and books.
static int ObsoleteTree(BOOL counting, BOOL programTree, const char *root, const char *listFolder,
                        const char *programFiles, const char *workPath, const char *programFolderName,
                        HWND *status3, HWND *progress)
{
    HWND status = status3 ? *status3 : NULL;
    HWND bar = progress ? *progress : NULL;
    const char *lists[2] = {programTree ? "avliobpn" : "avliobdn", programTree ? "servicep" : "serviced"};
    const char *otherTree = programTree ? workPath : programFiles;
    if (counting) {
        int count = 0;
        for (const char *list : lists)
            count += ProcessFileList(TRUE, FALSE, OBSOLETE_PHASE_ID, NULL, status, bar, list, listFolder, root);
        return count + RemoveServiceLevels(TRUE, root, otherTree, programFolderName, status3, progress);
    }
    LogLineF(programTree ? "Deleting obsolete program files in '%s' tree" : "Deleting obsolete data files in '%s' tree",
             root);
    int result = 1;
    for (const char *list : lists) {
        if (RemovalStopRequested()) return 0;
        result &= ProcessFileList(FALSE, FALSE, OBSOLETE_PHASE_ID, NULL, status, bar, list, listFolder, root);
    }
    if (RemovalStopRequested()) return 0;
    result &= RemoveServiceLevels(FALSE, root, otherTree, programFolderName, status3, progress);
    if (!programTree || RemovalStopRequested()) return result;
    if (!TextEqualNoCase(programFiles, workPath)) {
        result &= Walk(programFiles, "conv\\ccsid.tbl", TRUE, TRUE, TRUE, status);
        result &= Walk(programFiles, "conv\\table\\*.tbl", TRUE, TRUE, FALSE, status);
        result &= Walk(programFiles, "conv", FALSE, TRUE, TRUE, status);
    }
    result &= Walk(programFiles, "book\\*", TRUE, TRUE, TRUE, status);
    return result;
}

int RemoveObsoleteFiles(BOOL programTree, BOOL dataTree, const char *programFiles, const char *workPath,
                        const char *programFolderName, HWND *status3, HWND *progress)
{
    char listFolder[VL_PATH_SIZE];
    ListFolder(programFiles, listFolder);
    int count = 0;
    if (programTree)
        count += ObsoleteTree(TRUE, TRUE, programFiles, listFolder, programFiles, workPath, programFolderName,
                              status3, progress);
    if (dataTree)
        count += ObsoleteTree(TRUE, FALSE, workPath, listFolder, programFiles, workPath, programFolderName,
                              status3, progress);
    ProgressReset(progress ? *progress : NULL, count);

    int result = 1;
    if (programTree)
        result &= ObsoleteTree(FALSE, TRUE, programFiles, listFolder, programFiles, workPath, programFolderName,
                               status3, progress);
    if (dataTree && !RemovalStopRequested())
        result &= ObsoleteTree(FALSE, FALSE, workPath, listFolder, programFiles, workPath, programFolderName,
                               status3, progress);
    if (RemovalStopRequested()) return 0;
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, "DVL_PATH", FALSE);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, "DVL_XLAT_PATH", FALSE);
    return result;
}
