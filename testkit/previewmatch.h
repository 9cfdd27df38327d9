// A preview's "Would ..." lines held against what the real run with the same
// answers then changed, as the difference of two snapshots shows it.
//
// Both sides become items of one form, lower case: "delete file c:\...",
// "delete path c:\...", "delete key hklm\...", "delete value hklm\...|name",
// "set value hklm\...|name", "delete service name", "stop service name",
// "set variable name", "set owner <path>", "set access list <path>",
// "write c:\..." (a file made or changed). A change the snapshot shows with no
// line of that form ("create path", "create key", "create service", "change
// service", a service started) is its own item, so that it cannot pass
// unnoticed. Then, on each side alike, of the writes and deletions of one
// file or value the last one counts (the "Incomplete" marker set on a
// component's value and the value then deleted is the deletion); what a
// deletion takes along is folded into it: items below a deleted folder or
// key, the values of a deleted key, the stop of a deleted service; and a
// folder or key that came is folded into what was written into it.
// One platform allowance: Wine gives an object whose security was never
// written an owner (the caller's primary group) when its access list is first
// written, so an owner change that comes with an access list the preview
// named is that item's.
// Of the programs a run starts, one has a result the removal relies on and
// a snapshot sees: the service program started with "-UNINSTALL -SILENT"
// leaves the service "VarolinkServices" gone; its start is that deletion.
// Not compared, because a snapshot does not see them: other programs started,
// libraries called, processes ended, broadcasts, the status MIF (the
// library writes it where it likes), keys outside the snapshot's registry
// roots, files in the folders it leaves out, the owner and access list of
// anything but the keys and the secured folders.
#pragma once
#include "snapshot.h"
#include <string>
#include <vector>

struct PreviewScope {
    // Where the snapshot's "menu Programs\..." and "menu Startup\..." lie.
    std::string ProgramsFolder, StartupFolder;
    // The snapshot's registry roots (below HKLM) and secured folders.
    std::vector<std::string> RegistryRoots, SecuredFolders;
    // Folders the snapshot leaves out (temp folders, the user's profile).
    std::vector<std::string> UnobservedFolders;
    // Files a run writes about itself (its log, its receipt): not compared;
    // a folder that came for one of them is not either.
    std::vector<std::string> OwnFiles;
};

struct PreviewMismatch {
    std::vector<std::string> OnlyPreviewed;  // listed by the preview, not changed by the real run
    std::vector<std::string> OnlyChanged;    // changed by the real run, not listed by the preview
};

// The items of a preview's log entries (without their time stamps).
std::vector<std::string> PreviewItems(const std::vector<std::string> &log, const PreviewScope &scope);
// The items of a snapshot difference.
std::vector<std::string> ChangeItems(const SnapshotDifference &difference, const PreviewScope &scope);
PreviewMismatch ComparePreview(const std::vector<std::string> &log, const SnapshotDifference &difference,
                               const PreviewScope &scope);
// "" when both sets are equal; else the items of each side missing from the other.
std::string FormatPreviewMismatch(const PreviewMismatch &mismatch);
// The lines of a difference that are not a run's own files (scope.OwnFiles)
// or folders that came to hold them, formatted as FormatDifference does.
std::string ChangesBesidesOwnFiles(const SnapshotDifference &difference, const PreviewScope &scope);
