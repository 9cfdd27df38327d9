// VLVer entry: registry check, argument check, report file, walk.
#include "verreport.h"

FILE* gReport = NULL;

static const char kReportName[] = "VLVER.TXT";

// A read-only report is left alone even where the file system would let the
// program write it anyway (an administrator's account may override the flag).
static int IsReadOnly(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

int main(int argc, char** argv)
{
    // Output may go to a pipe or a file; keep it in step with the work.
    setvbuf(stdout, NULL, _IONBF, 0);

    char folder[MAX_PATH];
    if (!ReadProgramFolder(folder)) {
        printf("VLVer: Norvik Varolink for Windows NT Server cannot be found on this machine\n");
        return 0;
    }
    if (argc > 1) {
        printf("VLVer:  Output Version Information for Norvik Varolink Files\n");
        printf("  This utility will create a file called VLVER.TXT in %s\n", folder);
        return 0;
    }

    char reportPath[MAX_PATH];
    if (JoinPath(reportPath, folder, kReportName) && !IsReadOnly(reportPath))
        gReport = fopen(reportPath, "w");
    if (!gReport) {
        // The name is printed whole even when it is too long for a path buffer.
        printf("VLVer: Could not write %s\\%s.\n", folder, kReportName);
        printf("Check that the path exists, Varolink is installed, and the named file is not read only\n");
        return 0;
    }

    printf("VLVer: Working, please wait...\n");
    WalkFolder(folder);
    fclose(gReport);
    gReport = NULL;
    printf("\n");
    printf("Created file %s\n", reportPath);
    return 0;
}
