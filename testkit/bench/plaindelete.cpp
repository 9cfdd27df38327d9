// Baseline (a) of the removal benchmark, the physical limit: DeleteFileA for
// every file a component list names, then RemoveDirectoryA for the folders
// that held them, and nothing else.
//   vlbench_plain LIST TARGET-FOLDER
#include "benchlist.h"
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    std::vector<std::string> files, folders;
    if (argc != 3 || !ReadBenchList(argv[1], argv[2], &files, &folders)) {
        fprintf(stderr, "usage: vlbench_plain LIST TARGET-FOLDER\n");
        return 2;
    }
    int deleted = 0;
    for (const std::string &file : files) deleted += DeleteFileA(file.c_str()) != 0;
    int removed = RemoveBenchFolders(folders);
    printf("%d of %u files deleted, %d folders removed\n", deleted, (unsigned)files.size(), removed);
    return deleted == (int)files.size() ? 0 : 1;
}
