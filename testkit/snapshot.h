// Snapshots of what an installation or removal can change on a machine, and
// the difference of two snapshots.
//
// A snapshot is a sorted list of text lines "<kind> <identity>\t<state>":
//   dir C:\Varolink\Data
//   file C:\Varolink\Data\VLS.INI\tsize=120 crc=1a2b3c4d
//   key HKLM\Software\Norvik\Varolink\CurrentVersion
//   value HKLM\Software\Norvik\Varolink\CurrentVersion|FilePath\tREG_SZ C:\Varolink\Program
//   service NorvikVarolink\tstart=3 type=16 path=C:\...\AVLSVC.EXE
//   state service NorvikVarolink\trunning
//   owner key HKLM\Software\Norvik\Varolink\tO:BA
//   acl key HKLM\Software\Norvik\Varolink\tD:AI(A;CI;KA;;;BA)(A;CI;KR;;;WD)
//   owner dir C:\Varolink\Program\tO:S-1-5-21-...
//   acl dir C:\Varolink\Program\tD:(A;OICI;FA;;;BA)
//   env Path\tREG_EXPAND_SZ C:\windows\system32;C:\windows
//   menu Programs\Norvik Varolink\Varolink Explorer.lnk\tsize=... crc=...
//   menu Startup\Varolink Monitor.lnk\t...
// What it holds:
//   - every folder and file of drive C: (size and a CRC-32 of the contents),
//     except the churn of the system: the temp folders (the Windows folder's
//     "temp" and the user's own temp folder), the Windows folder's "logs",
//     "Installer" and "Prefetch" folders, and whatever the caller excludes.
//     Below the Windows folder only sizes are recorded, no CRC, to keep a
//     snapshot fast (its thousands of system files do not change);
//   - the common Programs and Startup folders, as "menu" lines relative to
//     the folder (they are left out of the drive lines);
//   - every key and value below the registry roots (by default
//     HKLM\Software\Norvik, the product's event-log source and its entry in
//     the Windows uninstall list);
//   - every service of the Service Control Manager (start type, type, path),
//     and its run state ("running", "stopped", ...) as a line of its own;
//   - every value of the system environment (HKLM ...\Session Manager\Environment);
//   - the owner and the access list (SDDL) of every key below the registry
//     roots and of the product's folders (by default the program, data and
//     uninstallation folders of the installation below C:\Varolink), those
//     that exist.
// The "state", "owner" and "acl" lines are properties of the object their
// identity names after the kind ("key ...", "dir ...", "service ..."): they go
// and come with it, and change on their own.
#pragma once
#include <string>
#include <vector>

struct SnapshotOptions {
    // Folders (full paths) left out of the drive walk, with everything below them.
    std::vector<std::string> ExcludedFolders;
    // Registry trees below HKEY_LOCAL_MACHINE; empty = the default roots.
    std::vector<std::string> RegistryRoots;
    // The drive walked; "C:" unless changed.
    std::string Drive = "C:";
    // Folders whose owner and access list are recorded; empty = the default folders.
    std::vector<std::string> SecuredFolders;
};

// The default registry roots of a snapshot.
std::vector<std::string> SnapshotDefaultRegistryRoots();
// The default folders whose owner and access list a snapshot records.
std::vector<std::string> SnapshotDefaultSecuredFolders();

// Takes a snapshot (Win32; snapshot.cpp).
std::vector<std::string> TakeSnapshot(const SnapshotOptions &options);

// The rest is plain text work (snapshotdiff.cpp, no Windows calls).

struct SnapshotDifference {
    std::vector<std::string> Gone;     // lines only in the first snapshot
    std::vector<std::string> Came;     // lines only in the second
    // Entries in both whose state differs: "<kind> <identity>\t<old> -> <new>".
    std::vector<std::string> Changed;
};

// Identity of a line: the text before the tab (the whole line when there is none).
std::string SnapshotIdentity(const std::string &line);
// The object a property line ("state", "owner", "acl") belongs to: its
// identity without the kind ("acl dir C:\P" gives "dir C:\P"); "" for any
// other line.
std::string SnapshotPropertyObject(const std::string &identity);
SnapshotDifference DiffSnapshots(const std::vector<std::string> &before, const std::vector<std::string> &after);
// "- line", "+ line" and "~ line" lines, in that order; empty when equal.
std::string FormatDifference(const SnapshotDifference &difference);
// Snapshot files: one line each, "\n" line ends (a "\r" before it is dropped).
int WriteSnapshotFile(const std::string &path, const std::vector<std::string> &lines);
int ReadSnapshotFile(const std::string &path, std::vector<std::string> *lines);
// CRC-32 (the common polynomial) over a buffer, continuing from crc (start 0).
unsigned long SnapshotCrc32(unsigned long crc, const void *data, size_t size);
