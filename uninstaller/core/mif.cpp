#include "core/mif.h"
#include "core/log.h"
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

BOOL WriteStatusMif(const char *message, const char *mifName, BOOL success)
{
    if (!mifName || !mifName[0]) {
        LogLine("\nNot writing MIF file");
        return TRUE;
    }
    LogLine("\nWriting MIF file");
    HMODULE library = LoadLibraryA("ismif32.dll");
    if (!library) {
        LogLineF("***Error %d loading ismif32.dll", (int)GetLastError());
        return FALSE;
    }
    InstallStatusMifProc install = (InstallStatusMifProc)GetProcAddress(library, "InstallStatusMIF");
    if (!install) {
        LogLine("***Can't find proc InstallStatusMIF()");
        FreeLibrary(library);
        return FALSE;
    }
    const char *locale = MifLocaleCode(NlsLanguageLetter());
    BOOL written = install(mifName, "Norvik", "Varolink", "CurrentVersion", locale, "", message ? message : "",
                           success);
    LogLine(written ? "MIF file written" : "***Error writing MIF file");
    FreeLibrary(library);
    return written ? TRUE : FALSE;
}
