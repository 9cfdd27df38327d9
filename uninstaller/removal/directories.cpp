// The per-directory procedures of a whole-product removal: what to clear in
// the queue-manager log, data, Web Administration and program directories.
#include "removal/directories.h"
#include "removal/environment.h"
#include "removal/filelist.h"
#include "removal/files.h"
#include "core/log.h"
#include "core/pathguard.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/statusline.h"

static HWND WindowAt(HWND *address) { return address ? *address : NULL; }

// "<base>\<relative>" into a path buffer; a path that does not fit is refused
// and logged rather than cut into the name of something else.
static int BuildPath(char *out, const char *base, const char *relative)
{
    if (FormatText(out, VL_PATH_SIZE, "%s\\%s", base, relative)) return 1;
    LogLineF("***Path too long: '%s\\%s'", base, relative);
    return 0;
}

static int Walk(const char *base, const char *relative, BOOL files, BOOL directories, BOOL recurse,
                HWND *status, HWND *progress)
{
    char path[VL_PATH_SIZE];
    if (!relative) {
        if (!CopyText(path, sizeof path, base)) return BuildPath(path, base, "");
    } else if (!BuildPath(path, base, relative)) {
        return 0;
    }
    return DeleteTree(path, files, directories, recurse, WindowAt(status), WindowAt(progress));
}

static int Delete(const char *base, const char *relative)
{
    char path[VL_PATH_SIZE];
    if (!BuildPath(path, base, relative)) return 0;
    return DeleteFilePath(path, FALSE);
}

static int Rmdir(const char *base, const char *relative)
{
    char path[VL_PATH_SIZE];
    if (!relative) return RemoveDirectoryPath(base, FALSE);
    if (!BuildPath(path, base, relative)) return 0;
    return RemoveDirectoryPath(path, FALSE);
}

static void ShowPath(HWND *status, const char *path)
{
    if (WindowAt(status)) SetStatusText(WindowAt(status), path, TRUE);
}

int CleanLogDirectory(const char *logDir, HWND *status, HWND *progress)
{
    LogLineF("Processing log files directory '%s'", logDir);
    if (!logDir[0]) {
        LogLine("***Invalid log directory");
        return 0;
    }
    // A root, a relative path or a system folder is refused once here rather
    // than by every step below.
    if (!GuardFolder(logDir)) return 0;
    ShowPath(status, logDir);
    int result = 1;
    result &= Walk(logDir, "S*.LOG", 1, 1, 1, status, progress);
    result &= Walk(logDir, "avlhlctl.lfh", 1, 1, 1, status, progress);
    result &= Rmdir(logDir, NULL);
    return result;
}

int CleanDataDirectory(const char *dataDir, const char *programDir, HWND *status, HWND *progress,
                       BOOL *wholeRemoval)
{
    LogLineF("Processing data files directory '%s'", dataDir);
    if (!dataDir[0]) {
        LogLine("***Invalid data directory");
        return 0;
    }
    // A root, a relative path or a system folder is refused once here rather
    // than by every step below.
    if (!GuardFolder(dataDir)) return 0;
    ShowPath(status, dataDir);
    const char *D = dataDir;
    int result = 1;
    result &= Delete(D, "VLS.INI");
    result &= Delete(D, "VLS.ORI");
    result &= Delete(D, "avlclchl.tab");
    static const char *const kWorkFiles[] = {"editor.log", "macro.log", "*.1", "*.2", "*.3"};
    for (const char *name : kWorkFiles) result &= Walk(D, name, 1, 0, 1, status, progress);
    result &= Walk(D, "config\\Config.reg", 1, 0, 0, status, progress);
    result &= Rmdir(D, "config");
    static const char *const kErrorFiles[] = {"errors\\zid*.log", "errors\\zid*.fdc", "errors\\zid*.trc"};
    for (const char *name : kErrorFiles) result &= Walk(D, name, 1, 0, 0, status, progress);
    result &= Rmdir(D, "errors");
    result &= Walk(D, "exits", 0, 1, 0, status, progress);
    result &= Walk(D, "qmgrs\\zid*.log", 1, 0, 1, status, progress);
    result &= Walk(D, "qmgrs\\@SYSTEM\\*", 1, 0, 0, status, progress);
    result &= Walk(D, "qmgrs\\@SYSTEM\\errors", 0, 1, 0, status, progress);
    result &= Walk(D, "qmgrs\\@SYSTEM", 0, 1, 0, status, progress);
    result &= Walk(D, "qmgrs", 0, 1, 0, status, progress);
    return result;
}

int CleanWebAdminDirectory(const char *dataDir, HWND *status, HWND *progress)
{
    char publicDir[VL_PATH_SIZE];
    int fits = FormatText(publicDir, sizeof publicDir, "%s\\vlwa\\scripts\\public", dataDir);
    LogLineF("Processing Web Admin directory '%s'", publicDir);
    if (!dataDir[0]) {
        LogLine("***Invalid Web Admin directory");
        return 0;
    }
    if (!GuardFolder(dataDir)) return 0;
    if (!fits) {
        LogLineF("***Path too long: '%s\\vlwa\\scripts\\public'", dataDir);
        return 0;
    }
    ShowPath(status, dataDir);
    int result = 1;
    result &= Walk(dataDir, "vlwa\\scripts\\public\\*", 1, 1, 1, status, progress);
    result &= Walk(dataDir, "vlwa\\scripts", 0, 1, 0, status, progress);
    result &= Walk(dataDir, "vlwa", 0, 1, 0, status, progress);
    return result;
}

// Drops base\relative from a system environment variable; a path too long
// to build is refused rather than cut into a different entry.
static int DropEnvEntry(const char *variable, const char *base, const char *relative)
{
    char entry[VL_PATH_SIZE];
    if (!FormatText(entry, sizeof entry, "%s\\%s", base, relative)) {
        LogLineF("***Path too long: '%s\\%s'", base, relative);
        return 0;
    }
    return RemoveEnvEntry(variable, entry);
}

int CleanProgramDirectory(const char *programDir, HWND *status, HWND *progress, BOOL *wholeRemoval)
{
    LogLineF("Processing program files directory '%s'", programDir);
    if (!programDir[0]) {
        LogLine("***Invalid program directory");
        return 0;
    }
    // A root, a relative path or a system folder is refused once here rather
    // than by every step below.
    if (!GuardFolder(programDir)) return 0;
    ShowPath(status, programDir);
    const char *P = programDir;
    int result = 1;

    // The help files of the "help" list; their outcome is not counted here.
    char listFolder[VL_PATH_SIZE];
    if (FormatText(listFolder, sizeof listFolder, "%s\\uninst", P))
        ProcessFileList(FALSE, FALSE, 544, NULL, WindowAt(status), WindowAt(progress), "help", listFolder, P);
    else
        LogLineF("***Path too long: '%s\\uninst'", P);

    result &= Delete(P, "README.TXT");
    result &= Delete(P, "memo.ptf");
    result &= Walk(P, "tools\\VB\\*.vbw", 1, 1, 1, status, progress);
    result &= Walk(P, "bin\\*.chw", 1, 0, 1, status, progress);
    static const char *const kWorkFiles[] = {"editor.log", "macro.log", "*.1", "*.2", "*.3"};
    for (const char *name : kWorkFiles) result &= Walk(P, name, 1, 0, 1, status, progress);
    result &= Walk(P, "bin", 0, 1, 1, status, progress);
    result &= Walk(P, "tools", 0, 1, 1, status, progress);
    result &= Walk(P, NULL, 0, 1, 0, status, progress);

    static const char *const kFirstEntries[][2] = {
        {"Path", "bin"},
        {"classpath", "java\\lib\\com.norvik.vl.jar"},
        {"classpath", "java\\lib\\com.norvik.vl.iiop.jar"},
        {"classpath", "java\\lib\\com.norvik.vlbind.jar"},
    };
    for (const auto &entry : kFirstEntries) result &= DropEnvEntry(entry[0], P, entry[1]);
    char samples[VL_PATH_SIZE];
    FormatText(samples, sizeof samples, "tools\\javaclnt\\samples\\%s", CurrentLanguageFolder());
    result &= DropEnvEntry("classpath", P, samples);
    RemoveOtherLanguageClasspath(P);
    static const char *const kLaterEntries[][2] = {
        {"Path", "tools\\c\\samples\\bin"},
        {"Path", "tools\\cplus\\samples\\in\\bin"},
        {"Path", "tools\\cplus\\samples\\vn\\bin"},
        {"lib", "tools\\lib"},
        {"include", "tools\\c\\include"},
        {"include", "tools\\cplus\\include"},
        {"include", "tools\\pli\\include"},
        {"include", "tools\\VB\\include"},
    };
    for (const auto &entry : kLaterEntries) result &= DropEnvEntry(entry[0], P, entry[1]);

    if (WindowAt(status)) SetStatusText(WindowAt(status), "", FALSE);
    return result;
}
