#include "core/mif.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include <string.h>
#include "core/nls.h"

// InstallStatusMIF(file name, company, product, version, locale, serial number, message, success).
typedef BOOL(WINAPI *InstallStatusMifProc)(const char *, const char *, const char *, const char *,
                                           const char *, const char *, const char *, BOOL);

const char *MifLocaleCode(char letter)
{
    static const char kLetters[] = "AFGSIJKBTZ";
    static const char *const kCodes[] = {"ENU", "FRA", "DEU", "ESP", "ITA", "JPN", "KOR", "PTB", "CHT", "CHS"};
    // The letter less 32: so the table's upper-case letters are reached from lower case.
    int shifted = (unsigned char)letter - 32;
    for (int i = 0; kLetters[i]; i++)
        if (shifted == kLetters[i]) return kCodes[i];
    return "ENU";
}

struct MifRequest {
    const char *Message;
    const char *MifName;
    BOOL Success;
    BOOL Result;
};
static int WriteMif(void *context);

BOOL WriteStatusMif(const char *message, const char *mifName, BOOL success)
{
    if (!mifName || !mifName[0]) {
        LogLine("\nNot writing MIF file");
        return TRUE;
    }
    LogLine("\nWriting MIF file");
    MifRequest request = {message, mifName, success, FALSE};
    char target[VL_PATH_SIZE];
    size_t n = strlen(mifName);
    BOOL named = n > 4 && TextEqualNoCase(mifName + n - 4, ".mif");
    if (!FormatText(target, sizeof target, named ? "%s\\%s" : "%s\\%s.mif", gRun.WindowsDir, mifName))
        CopyText(target, sizeof target, mifName);
    if (MachineWrite(target, WriteMif, &request) == MACHINE_HELD_BACK) return TRUE;
    return request.Result;
}

// The status MIF library's one entry, made by the library itself.
static int WriteMif(void *context)
{
    MifRequest *request = (MifRequest *)context;
    const char *message = request->Message;
    const char *mifName = request->MifName;
    BOOL success = request->Success;
    HMODULE library = LoadLibraryA("ismif32.dll");
    if (!library) {
        LogLineF("***Error %d loading ismif32.dll", (int)GetLastError());
        return 0;
    }
    InstallStatusMifProc install = (InstallStatusMifProc)GetProcAddress(library, "InstallStatusMIF");
    if (!install) {
        LogLine("***Can't find proc InstallStatusMIF()");
        FreeLibrary(library);
        return 0;
    }
    const char *locale = MifLocaleCode(NlsLanguageLetter());
    BOOL written = install(mifName, "Norvik", "Varolink", "CurrentVersion", locale, "", message ? message : "",
                           success);
    LogLine(written ? "MIF file written" : "***Error writing MIF file");
    FreeLibrary(library);
    request->Result = written ? TRUE : FALSE;
    return request->Result;
}
