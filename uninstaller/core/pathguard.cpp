#include "core/pathguard.h"
#include "core/mbchar.h"
#include "core/ledger.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <shlobj.h>
#include <stdlib.h>
#include <string.h>

// The long, canonical name of an existing folder ("C:\PROGRA~1" and
// "C:\Program Files." both name "C:\Program Files"); a folder that does not
// exist keeps its canonical spelling.
static void LongName(char *canonical)
{
    char longName[VL_PATH_SIZE];
    DWORD n = GetLongPathNameA(canonical, longName, sizeof longName);
    if (n > 0 && n < sizeof longName) {
        char again[VL_PATH_SIZE];
        if (CheckFolderPath(longName, again, sizeof again) == PATH_SAFE) strcpy(canonical, again);
    }
}

static size_t ComponentCount(const char *path)
{
    size_t n = 1;
    for (; *path; path = MbNext(path)) n += *path == '\\';
    return n;
}

static BOOL AsciiOnly(const char *text)
{
    for (; *text; text++)
        if ((unsigned char)*text > 127) return FALSE;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Identity of a folder: the volume and the file index, the same whatever
// name (drive letter, short name, mount point) reaches it.

struct FolderIdentity {
    DWORD Volume, High, Low;
};

// Opens a folder for reading its entries and attributes; shareDelete FALSE
// keeps it from being renamed or removed (and so replaced) while held.
static HANDLE OpenFolder(const char *folder, BOOL shareDelete)
{
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDelete ? FILE_SHARE_DELETE : 0);
    return CreateFileA(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

static BOOL IdentityOf(HANDLE handle, FolderIdentity *identity, DWORD *attributes)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return FALSE;
    identity->Volume = info.dwVolumeSerialNumber;
    identity->High = info.nFileIndexHigh;
    identity->Low = info.nFileIndexLow;
    if (attributes) *attributes = info.dwFileAttributes;
    return TRUE;
}

// ---------------------------------------------------------------------------
// The protected folders, taken once per run: their spellings (long and 8.3
// short) and the identities of each of them and of every folder holding one.

struct ProtectedName {
    char Long[VL_PATH_SIZE];
    char Short[VL_PATH_SIZE];
};

enum { PROTECTED_MAX = 160, IDENTITY_MAX = 1024 };
static ProtectedName sNames[PROTECTED_MAX];
static int sNameCount;
static FolderIdentity sIdentities[IDENTITY_MAX];
static int sIdentityCount;
// Set (with a full barrier) once the tables above are complete; they never
// change afterwards, so any thread reads them without the lock.
static volatile LONG sTaken;
static CRITICAL_SECTION sTakeLock;
static struct TakeLockSetUp {
    TakeLockSetUp() { InitializeCriticalSection(&sTakeLock); }
} sTakeLockSetUp;

static void AddIdentity(const char *folder)
{
    HANDLE handle = CreateFileA(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) return;
    FolderIdentity identity;
    if (IdentityOf(handle, &identity, NULL)) {
        int i = 0;
        while (i < sIdentityCount && memcmp(&sIdentities[i], &identity, sizeof identity)) i++;
        if (i == sIdentityCount && sIdentityCount < IDENTITY_MAX) sIdentities[sIdentityCount++] = identity;
    }
    CloseHandle(handle);
}

static void AddProtected(const char *raw)
{
    if (!raw || !raw[0] || sNameCount >= PROTECTED_MAX) return;
    ProtectedName name;
    if (CheckFolderPath(raw, name.Long, sizeof name.Long) != PATH_SAFE) return;
    LongName(name.Long);
    for (int i = 0; i < sNameCount; i++)
        if (TextEqualNoCase(sNames[i].Long, name.Long)) return;
    name.Short[0] = 0;
    char shortName[VL_PATH_SIZE];
    DWORD n = GetShortPathNameA(name.Long, shortName, sizeof shortName);
    if (n == 0 || n >= sizeof shortName || CheckFolderPath(shortName, name.Short, sizeof name.Short) != PATH_SAFE ||
        ComponentCount(name.Short) != ComponentCount(name.Long))
        name.Short[0] = 0;
    sNames[sNameCount++] = name;
    // The folder and every folder holding it, up to its drive's root.
    char folder[VL_PATH_SIZE];
    strcpy(folder, name.Long);
    for (;;) {
        AddIdentity(folder);
        char *slash = MbFindLastChar(folder, '\\');
        if (!slash || slash - folder <= 2) break;
        *slash = 0;
        if (strlen(folder) == 2) strcpy(folder + 2, "\\");
    }
    AddIdentity(folder);
}

static void AddShellFolder(int csidl)
{
    char path[MAX_PATH + 1] = "";
    if (SHGetFolderPathA(NULL, csidl, NULL, 0, path) == S_OK) AddProtected(path);
}

static void AddExpanded(const char *text)
{
    char expanded[VL_PATH_SIZE];
    DWORD n = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    if (n > 0 && n <= sizeof expanded) AddProtected(expanded);
}

// The profiles root, the profiles the system lists, and every folder in the
// profiles root (Default, Public and profiles no longer listed).
static void AddProfiles()
{
    static const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char value[VL_PATH_SIZE], root[VL_PATH_SIZE] = "";
    DWORD size = sizeof value - 1, type;
    static const char *const kValues[] = {"ProfilesDirectory", "Default", "Public", "AllUsersProfile"};
    for (const char *name : kValues) {
        size = sizeof value - 1;
        if (RegQueryValueExA(key, name, NULL, &type, (BYTE *)value, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        value[size < sizeof value ? size : sizeof value - 1] = 0;
        if (!strcmp(name, "ProfilesDirectory")) {
            DWORD n = ExpandEnvironmentStringsA(value, root, sizeof root);
            if (n == 0 || n > sizeof root) root[0] = 0;
        }
        AddExpanded(value);
    }
    char sub[VL_PATH_SIZE];
    for (DWORD index = 0;; index++) {
        DWORD subSize = sizeof sub;
        if (RegEnumKeyExA(key, index, sub, &subSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        HKEY profile;
        if (RegOpenKeyExA(key, sub, 0, KEY_READ, &profile) != ERROR_SUCCESS) continue;
        size = sizeof value - 1;
        if (RegQueryValueExA(profile, "ProfileImagePath", NULL, &type, (BYTE *)value, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            AddExpanded(value);
        }
        RegCloseKey(profile);
    }
    RegCloseKey(key);
    char pattern[VL_PATH_SIZE];
    if (!root[0] || !FormatText(pattern, sizeof pattern, "%s\\*", root)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileExA(pattern, FindExInfoStandard, &found, FindExSearchLimitToDirectories, NULL, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !strcmp(found.cFileName, ".") ||
            !strcmp(found.cFileName, ".."))
            continue;
        char profile[VL_PATH_SIZE];
        if (FormatText(profile, sizeof profile, "%s\\%s", root, found.cFileName)) AddProtected(profile);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static void TakeProtectedFolders()
{
    if (InterlockedCompareExchange(&sTaken, 0, 0)) return;
    EnterCriticalSection(&sTakeLock);
    if (!sTaken) {
        char path[MAX_PATH + 1];
        if (GetWindowsDirectoryA(path, sizeof path)) {
            AddProtected(path);
            // A 32-bit program on 64-bit Windows: the real system folder.
            char native[VL_PATH_SIZE];
            if (FormatText(native, sizeof native, "%s\\Sysnative", path) &&
                GetFileAttributesA(native) != INVALID_FILE_ATTRIBUTES)
                AddProtected(native);
        }
        if (GetSystemDirectoryA(path, sizeof path)) AddProtected(path);
        if (GetSystemWow64DirectoryA(path, sizeof path)) AddProtected(path);
        static const int kShellFolders[] = {
            CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
            CSIDL_COMMON_APPDATA, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_DOCUMENTS, CSIDL_PERSONAL,
            CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, CSIDL_PROFILE,
        };
        for (int csidl : kShellFolders) AddShellFolder(csidl);
        // The 64-bit Program Files, which a 32-bit program is not shown.
        DWORD n = GetEnvironmentVariableA("ProgramW6432", path, sizeof path);
        if (n > 0 && n < sizeof path) AddProtected(path);
        AddProfiles();
        InterlockedExchange(&sTaken, 1);
    }
    LeaveCriticalSection(&sTakeLock);
}

static BOOL ProtectedIdentity(const FolderIdentity *identity)
{
    for (int i = 0; i < sIdentityCount; i++)
        if (!memcmp(&sIdentities[i], identity, sizeof *identity)) return TRUE;
    return FALSE;
}

// A protected folder, or one holding one, by its spelling.
static BOOL ProtectedSpelling(const char *canonical)
{
    if (AsciiOnly(canonical)) {
        // Compared component by component with the long and the short
        // spelling: no look-up of its own.
        for (int i = 0; i < sNameCount; i++)
            if (FolderSpellsHolder(canonical, sNames[i].Long, sNames[i].Short)) return TRUE;
        return FALSE;
    }
    char longName[VL_PATH_SIZE];
    memcpy(longName, canonical, sizeof longName);
    LongName(longName);
    for (int i = 0; i < sNameCount; i++)
        if (FolderHolds(longName, sNames[i].Long)) return TRUE;
    return FALSE;
}

// ---------------------------------------------------------------------------
// Drives the system reports remote: asked once per drive letter per run.

static volatile LONG sDriveTypes[26];   // GetDriveType + 1; 0 not asked yet

static BOOL RemoteDrive(char letter)
{
    if (letter < 'A' || letter > 'Z') return FALSE;
    int i = letter - 'A';
    LONG known = InterlockedCompareExchange(&sDriveTypes[i], 0, 0);
    if (!known) {
        char root[4] = {letter, ':', '\\', 0};
        known = (LONG)GetDriveTypeA(root) + 1;
        InterlockedExchange(&sDriveTypes[i], known);
    }
    return known == DRIVE_REMOTE + 1;
}

// ---------------------------------------------------------------------------
// The product's folders read from data.

struct GuardRoot {
    char Path[VL_PATH_SIZE];      // canonical
    char Source[VL_TEXT_SIZE];    // the value it came from
    PathVerdict Verdict;          // PATH_SAFE, PATH_PROTECTED or PATH_NETWORK
    volatile LONG Logged;         // its refusal has been logged
};

enum { ROOT_MAX = 64 };
static GuardRoot sRoots[ROOT_MAX];
static const char *sRootPaths[ROOT_MAX];
static int sRootCount;

static BOOL FolderIdentityProtected(const char *folder)
{
    HANDLE handle = OpenFolder(folder, TRUE);
    if (handle == INVALID_HANDLE_VALUE) return FALSE;
    FolderIdentity identity;
    BOOL found = IdentityOf(handle, &identity, NULL) && ProtectedIdentity(&identity);
    CloseHandle(handle);
    return found;
}

void GuardAddRoot(const char *source, const char *folder)
{
    if (!folder || !folder[0] || sRootCount >= ROOT_MAX) return;
    GuardRoot *root = &sRoots[sRootCount];
    // A value the rules refuse is refused by every operation that meets it.
    if (CheckFolderPath(folder, root->Path, sizeof root->Path) != PATH_SAFE) return;
    CopyText(root->Source, sizeof root->Source, source ? source : "");
    TakeProtectedFolders();
    root->Verdict = PATH_SAFE;
    if (RemoteDrive(root->Path[0])) root->Verdict = PATH_NETWORK;
    else if (ProtectedSpelling(root->Path) || FolderIdentityProtected(root->Path)) root->Verdict = PATH_PROTECTED;
    root->Logged = 0;
    sRootPaths[sRootCount] = root->Path;
    sRootCount++;
}

void GuardClearRoots()
{
    sRootCount = 0;
}

// ---------------------------------------------------------------------------
// Reparse points on the way.

// The first reparse point among the folders of canonical from offset start
// (the end of the product folder it belongs to, or of its first component)
// down to canonical itself; 0 when none. A folder that does not exist ends
// the search: nothing below it exists either.
static BOOL LinkOnTheWay(const char *canonical, size_t start, char *where)
{
    size_t n = strlen(canonical);
    char prefix[VL_PATH_SIZE];
    for (size_t i = start; i <= n; i = i < n ? (size_t)(MbNext(canonical + i) - canonical) : n + 1) {
        if (i < n && canonical[i] != '\\') continue;
        memcpy(prefix, canonical, i);
        prefix[i] = 0;
        DWORD attributes = GetFileAttributesA(prefix);
        if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            CopyText(where, VL_PATH_SIZE, prefix);
            return TRUE;
        }
    }
    return FALSE;
}

// The folder of the last file this thread let pass: the files of one folder
// come one after the other, and their folder is looked at once.
static __thread char tCheckedFolder[VL_PATH_SIZE];

// ---------------------------------------------------------------------------
// The judgement.

enum JudgeKind { JUDGE_FOLDER, JUDGE_FILE, JUDGE_TARGET };

struct Judgement {
    PathVerdict Verdict;
    int Root;                       // the refused product folder it lies in, or -1
    char Where[VL_PATH_SIZE];       // the reparse point met
};

static PathVerdict Judge(const char *path, JudgeKind kind, Judgement *j, HANDLE *keep)
{
    j->Root = -1;
    j->Where[0] = 0;
    if (keep) *keep = INVALID_HANDLE_VALUE;
    char canonical[VL_PATH_SIZE];
    j->Verdict = kind == JUDGE_FILE ? CheckFilePath(path, canonical, sizeof canonical)
                                    : CheckFolderPath(path, canonical, sizeof canonical);
    if (j->Verdict != PATH_SAFE) return j->Verdict;
    if (RemoteDrive(canonical[0])) return j->Verdict = PATH_NETWORK;
    TakeProtectedFolders();
    int root = NearestHolder(canonical, sRootPaths, sRootCount);
    if (root >= 0 && sRoots[root].Verdict != PATH_SAFE) {
        j->Root = root;
        return j->Verdict = sRoots[root].Verdict;
    }
    // A folder removed or walked may come back as something else: the file
    // check of the last folder is made again after any folder operation.
    if (kind != JUDGE_FILE) tCheckedFolder[0] = 0;
    if (kind == JUDGE_FOLDER && ProtectedSpelling(canonical)) return j->Verdict = PATH_PROTECTED;
    if (kind == JUDGE_FILE && !strcmp(canonical, tCheckedFolder)) return PATH_SAFE;
    size_t start = root >= 0 ? strlen(sRoots[root].Path) : 3;
    if (LinkOnTheWay(canonical, start, j->Where)) return j->Verdict = PATH_LINK;
    if (kind == JUDGE_FILE) {
        memcpy(tCheckedFolder, canonical, sizeof tCheckedFolder);
        return PATH_SAFE;
    }
    if (kind != JUDGE_FOLDER) return PATH_SAFE;
    // By identity: another name of a protected folder or of one holding one.
    HANDLE handle = OpenFolder(canonical, keep == NULL);
    if (handle == INVALID_HANDLE_VALUE) return PATH_SAFE;   // nothing there (or not ours to open)
    FolderIdentity identity;
    DWORD attributes = 0;
    if (IdentityOf(handle, &identity, &attributes)) {
        if (ProtectedIdentity(&identity)) j->Verdict = PATH_PROTECTED;
        else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) j->Verdict = PATH_LINK;
    }
    // Opened first, looked at again afterwards: what is held is no link.
    if (j->Verdict == PATH_SAFE) {
        DWORD now = GetFileAttributesA(canonical);
        if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_REPARSE_POINT)) j->Verdict = PATH_LINK;
    }
    if (j->Verdict == PATH_SAFE && keep) *keep = handle;
    else CloseHandle(handle);
    return j->Verdict;
}

// Logs a refusal (and records it for the end of the run's report); 1 when the path passes.
static int Refuse(const char *path, const Judgement *j, DWORD *error, int kind = LEDGER_FOLDER)
{
    if (error) *error = 0;
    if (j->Verdict == PATH_SAFE) return 1;
    if (error) *error = j->Verdict == PATH_TOO_LONG ? ERROR_FILENAME_EXCED_RANGE : ERROR_ACCESS_DENIED;
    if (j->Root >= 0) {
        // The whole product folder is refused, once.
        GuardRoot *root = &sRoots[j->Root];
        if (InterlockedExchange(&root->Logged, 1) == 0) {
            LogLineF("***%s '%s' %s; nothing in it is deleted", root->Source, root->Path,
                     root->Verdict == PATH_NETWORK ? "is a network path" : "is or holds a protected folder");
            LedgerRecord(LEDGER_FOLDER, LEDGER_REFUSED, root->Path);
        }
        return 0;
    }
    if (j->Verdict == PATH_LINK && j->Where[0] && !TextEqualNoCase(j->Where, path))
        LogLineF("***Unsafe path refused: '%s' (reparse point '%s')", path ? path : "", j->Where);
    else
        LogLineF("***Unsafe path refused: '%s' (%s)", path ? path : "", PathVerdictText(j->Verdict));
    LedgerRecord(kind, LEDGER_REFUSED, path);
    return 0;
}

int GuardFolder(const char *folder, DWORD *error)
{
    Judgement j;
    Judge(folder, JUDGE_FOLDER, &j, NULL);
    return Refuse(folder, &j, error);
}

int GuardFile(const char *path, DWORD *error)
{
    Judgement j;
    Judge(path, JUDGE_FILE, &j, NULL);
    return Refuse(path, &j, error, LEDGER_FILE);
}

int GuardTargetFolder(const char *folder)
{
    Judgement j;
    Judge(folder, JUDGE_TARGET, &j, NULL);
    return Refuse(folder, &j, NULL);
}

int GuardListedFolder(const char *folder)
{
    Judgement j;
    if (Judge(folder, JUDGE_FOLDER, &j, NULL) == PATH_PROTECTED && j.Root < 0) return -1;
    return Refuse(folder, &j, NULL);
}

PathVerdict FolderVerdict(const char *folder)
{
    Judgement j;
    return Judge(folder, JUDGE_FOLDER, &j, NULL);
}

PathVerdict FileVerdict(const char *path)
{
    Judgement j;
    return Judge(path, JUDGE_FILE, &j, NULL);
}

int GuardVerdict(const char *path, PathVerdict verdict, DWORD *error)
{
    Judgement j;
    j.Verdict = verdict;
    j.Root = -1;
    j.Where[0] = 0;
    return Refuse(path, &j, error);
}

int GuardEnterFolder(const char *folder, HANDLE *held)
{
    Judgement j;
    Judge(folder, JUDGE_FOLDER, &j, held);
    return Refuse(folder, &j, NULL);
}

int GuardEnterSubfolder(const char *folder, HANDLE *held)
{
    Judgement j;
    j.Verdict = PATH_SAFE;
    j.Root = -1;
    j.Where[0] = 0;
    *held = OpenFolder(folder, FALSE);
    DWORD attributes = 0;
    FolderIdentity identity;
    if (*held != INVALID_HANDLE_VALUE && IdentityOf(*held, &identity, &attributes)) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) j.Verdict = PATH_LINK;
        else if (ProtectedIdentity(&identity)) j.Verdict = PATH_PROTECTED;
    }
    // Looked at after the open: the folder held is the one the path names now.
    DWORD now = GetFileAttributesA(folder);
    if (j.Verdict == PATH_SAFE && now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_REPARSE_POINT))
        j.Verdict = PATH_LINK;
    if (j.Verdict != PATH_SAFE) GuardReleaseFolder(held);
    return Refuse(folder, &j, NULL);
}

void GuardReleaseFolder(HANDLE *held)
{
    if (*held != INVALID_HANDLE_VALUE) CloseHandle(*held);
    *held = INVALID_HANDLE_VALUE;
    tCheckedFolder[0] = 0;
}
