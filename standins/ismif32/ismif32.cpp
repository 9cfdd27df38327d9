// Stand-in of the status-MIF library. Its entry
//   BOOL WINAPI InstallStatusMIF(name, company, product, version, locale, serial, message, success)
// writes an installation-status MIF file "<name>.mif" (".mif" added when the
// name lacks it) in the folder named by the environment variable
// VL_ISMIF_FOLDER, or else in the Windows folder, and returns TRUE.
// With VL_ISMIF_FAIL set to a non-empty value it writes nothing and returns FALSE.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#ifndef ISMIF_NO_ENTRY

static void Environment(const char *name, char *out, DWORD size)
{
    out[0] = 0;
    DWORD n = GetEnvironmentVariableA(name, out, size);
    if (n == 0 || n >= size) out[0] = 0;
}

// A MIF string holds no double quote.
static void WriteAttribute(FILE *file, int id, const char *name, const char *value)
{
    fprintf(file, "    START ATTRIBUTE\n      NAME = \"%s\"\n      ID = %d\n      ACCESS = READ-ONLY\n"
                  "      STORAGE = SPECIFIC\n      TYPE = STRING(%d)\n      VALUE = \"",
            name, id, value[0] ? (int)strlen(value) : 1);
    for (const char *c = value; *c; c++) fputc(*c == '"' ? '\'' : *c, file);
    fprintf(file, "\"\n    END ATTRIBUTE\n");
}

extern "C" BOOL WINAPI InstallStatusMIF(const char *name, const char *company, const char *product,
                                        const char *version, const char *locale, const char *serial,
                                        const char *message, BOOL success)
{
    char fail[8];
    Environment("VL_ISMIF_FAIL", fail, sizeof fail);
    if (fail[0] || !name || !name[0]) return FALSE;

    char folder[MAX_PATH];
    Environment("VL_ISMIF_FOLDER", folder, sizeof folder);
    if (!folder[0] && !GetWindowsDirectoryA(folder, sizeof folder)) return FALSE;
    size_t length = strlen(name);
    BOOL hasExtension = length > 4 && _stricmp(name + length - 4, ".mif") == 0;
    char path[MAX_PATH];
    int n = snprintf(path, sizeof path, "%s\\%s%s", folder, name, hasExtension ? "" : ".mif");
    if (n < 0 || n >= (int)sizeof path) return FALSE;

    FILE *file = fopen(path, "wt");
    if (!file) return FALSE;
    fprintf(file, "START COMPONENT\nNAME = \"WORKSTATION\"\n  START GROUP\n    NAME = \"ComponentID\"\n"
                  "    ID = 1\n    CLASS = \"DMTF|ComponentID|1.0\"\n");
    WriteAttribute(file, 1, "Manufacturer", company ? company : "");
    WriteAttribute(file, 2, "Product", product ? product : "");
    WriteAttribute(file, 3, "Version", version ? version : "");
    WriteAttribute(file, 4, "Locale", locale ? locale : "");
    WriteAttribute(file, 5, "Serial Number", serial ? serial : "");
    fprintf(file, "  END GROUP\n  START GROUP\n    NAME = \"InstallStatus\"\n    ID = 2\n"
                  "    CLASS = \"MICROSOFT|JOBSTATUS|1.0\"\n");
    WriteAttribute(file, 1, "Status", success ? "Success" : "Failed");
    WriteAttribute(file, 2, "Description", message ? message : "");
    fprintf(file, "  END GROUP\nEND COMPONENT\n");
    BOOL written = !ferror(file);
    return fclose(file) == 0 && written;
}

#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
