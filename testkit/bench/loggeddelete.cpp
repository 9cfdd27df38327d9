// Baseline (b) of the removal benchmark, the least work a removal must do per
// file: the lock test (open for writing, sharing nothing, existing files
// only, closed at once), the deletion, and one log line appended the way the
// uninstall log appends (open in append mode, time stamp and text, close);
// then the folders.
//   vlbench_logged LIST TARGET-FOLDER LOG-FILE
#include "benchlist.h"
#include <windows.h>
#include <stdio.h>
#include <time.h>

static void AppendLogLine(const char *logPath, const char *format, const char *path)
{
    FILE *log = fopen(logPath, "a+");
    if (!log) return;
    char stamp[16];
    time_t now = time(NULL);
    strftime(stamp, sizeof stamp, "%H:%M:%S", localtime(&now));
    fprintf(log, "%s ", stamp);
    fprintf(log, format, path);
    fputc('\n', log);
    fclose(log);
}

static bool IsLocked(const char *path)
{
    SetLastError(0);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return file == INVALID_HANDLE_VALUE && error == ERROR_SHARING_VIOLATION;
}

int main(int argc, char **argv)
{
    std::vector<std::string> files, folders;
    if (argc != 4 || !ReadBenchList(argv[1], argv[2], &files, &folders)) {
        fprintf(stderr, "usage: vlbench_logged LIST TARGET-FOLDER LOG-FILE\n");
        return 2;
    }
    int deleted = 0, locked = 0;
    for (const std::string &file : files) {
        locked += IsLocked(file.c_str());
        if (DeleteFileA(file.c_str())) {
            deleted++;
            AppendLogLine(argv[3], "Deleted file: '%s'", file.c_str());
        } else {
            AppendLogLine(argv[3], "***Delete file error: '%s'", file.c_str());
        }
    }
    int removed = 0;
    for (const std::string &folder : folders)
        if (RemoveDirectoryA(folder.c_str())) {
            removed++;
            AppendLogLine(argv[3], "Deleted path: '%s'", folder.c_str());
        }
    printf("%d of %u files deleted (%d locked), %d folders removed\n", deleted, (unsigned)files.size(), locked, removed);
    return deleted == (int)files.size() ? 0 : 1;
}
