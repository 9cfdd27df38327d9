// vlsnap: snapshots of the machine and their difference (see snapshot.h).
//   vlsnap take OUTPUT-FILE [-x FOLDER]... [-k HKLM-SUBKEY]... [-a FOLDER]...
//   vlsnap diff BEFORE-FILE AFTER-FILE
// -a names a folder whose owner and access list are recorded (instead of the
// default product folders). take writes the snapshot (the output file's own folder is best kept off
// drive C:, or excluded with -x). diff prints "- " (went), "+ " (came) and
// "~ " (changed) lines and exits 0 when the snapshots are equal, 1 when they
// differ, 2 on a usage or file error.
#include "snapshot.h"
#include <stdio.h>
#include <string.h>

static int Usage()
{
    fprintf(stderr, "usage: vlsnap take OUTPUT [-x FOLDER]... [-k HKLM-SUBKEY]... [-a FOLDER]...\n"
                    "       vlsnap diff BEFORE AFTER\n");
    return 2;
}

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc >= 3 && !strcmp(argv[1], "take")) {
        SnapshotOptions options;
        for (int i = 3; i < argc; i++) {
            if (i + 1 >= argc) return Usage();
            if (!strcmp(argv[i], "-x")) options.ExcludedFolders.push_back(argv[++i]);
            else if (!strcmp(argv[i], "-k")) options.RegistryRoots.push_back(argv[++i]);
            else if (!strcmp(argv[i], "-a")) options.SecuredFolders.push_back(argv[++i]);
            else return Usage();
        }
        std::vector<std::string> lines = TakeSnapshot(options);
        if (!WriteSnapshotFile(argv[2], lines)) {
            fprintf(stderr, "vlsnap: cannot write '%s'\n", argv[2]);
            return 2;
        }
        printf("%u entries in %s\n", (unsigned)lines.size(), argv[2]);
        return 0;
    }
    if (argc == 4 && !strcmp(argv[1], "diff")) {
        std::vector<std::string> before, after;
        if (!ReadSnapshotFile(argv[2], &before) || !ReadSnapshotFile(argv[3], &after)) {
            fprintf(stderr, "vlsnap: cannot read '%s' or '%s'\n", argv[2], argv[3]);
            return 2;
        }
        std::string text = FormatDifference(DiffSnapshots(before, after));
        fputs(text.c_str(), stdout);
        return text.empty() ? 0 : 1;
    }
    return Usage();
}
