#include "wizard/message.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

static WORD sMessageLanguage;
static BOOL sLanguageChosen;
static char sCaption[VL_TEXT_SIZE];
static BOOL sLocaleFound;
static WORD sLocaleWanted;

WORD MessageLanguageForLetter(char letter)
{
    switch (toupper((unsigned char)letter)) {
    case 'A': return 1033;
    case 'E': return 1034;
    case 'F': return 1036;
    case 'G': return 1031;
    case 'I': return 1040;
    case 'J': return 1041;
    case 'K': return 1042;
    case 'O': return 1046;
    case 'V': return 2052;
    case 'W': return 1028;
    default: return 0;
    }
}

static BOOL CALLBACK MatchInstalledLocale(LPSTR localeText)
{
    unsigned long locale = strtoul(localeText, NULL, 16);
    if ((locale & 0xFFFF) == sLocaleWanted) {
        sLocaleFound = TRUE;
        return FALSE;
    }
    return TRUE;
}

WORD InstalledMessageLanguage(WORD language)
{
    // A language whose locale is not installed falls back to the neutral one.
    if (language) {
        sLocaleWanted = language;
        sLocaleFound = FALSE;
        EnumSystemLocalesA(MatchInstalledLocale, LCID_INSTALLED);
        if (!sLocaleFound) language = 0;
    }
    return language ? language : 1024;
}

int ShowMessage(HWND owner, const char *text, UINT type)
{
    LogLineF("MessageBox: '%s'", text);
    if (LogSilent()) return 0;

    if (!sLanguageChosen) {
        sLanguageChosen = TRUE;
        char letter[VL_TEXT_SIZE];
        sMessageLanguage = LoadNlsString(letter, 606) ? MessageLanguageForLetter(letter[0]) : 0;
    }
    WORD language = InstalledMessageLanguage(sMessageLanguage);

    if (!sCaption[0] && !LoadNlsString(sCaption, 604))
        CopyText(sCaption, sizeof sCaption, "Norvik Varolink");

    int result = MessageBoxExA(owner, text, sCaption, type, language);
    if (type & MB_YESNO) {
        if (result == IDYES) LogLine("  User: Yes");
        if (result == IDNO) LogLine("  User: No");
    }
    return result;
}

int SetStatusText(HWND control, const char *text, BOOL isPath)
{
    if (LogSilent()) return 1;
    char copy[VL_TEXT_SIZE];
    CopyText(copy, sizeof copy, text);
    if (isPath && strchr(copy, '\\')) {
        LowerText(copy);
        RECT area;
        GetClientRect(control, &area);
        HDC controlDc = GetDC(control);
        HDC memoryDc = controlDc ? CreateCompatibleDC(controlDc) : NULL;
        if (memoryDc) {
            HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
            HGDIOBJ oldFont = font ? SelectObject(memoryDc, font) : NULL;
            // DT_MODIFYSTRING may write up to four characters more than the text.
            if (strlen(copy) + 5 < sizeof copy)
                DrawTextExA(memoryDc, copy, -1, &area,
                            DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING, NULL);
            if (oldFont) SelectObject(memoryDc, oldFont);
            DeleteDC(memoryDc);
        }
        if (controlDc) ReleaseDC(control, controlDc);
    }
    return SetWindowTextA(control, copy);
}
