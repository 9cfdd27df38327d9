#include "core/messagebox.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <ctype.h>
#include <stdlib.h>

static const char kDefaultCaption[] = "Norvik Varolink";
static char sCaption[VL_TEXT_SIZE] = "Norvik Varolink";
static WORD sLanguage = 1024;  // the neutral language until start-up has chosen one

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

namespace {
struct LocaleSearch {
    WORD Wanted;
    BOOL Found;
};
// The locale enumeration has no context argument: the search of the one
// thread that asks (start-up) is passed through this pointer.
LocaleSearch *sSearch;

BOOL CALLBACK MatchInstalledLocale(LPSTR localeText)
{
    unsigned long locale = strtoul(localeText, NULL, 16);
    if ((locale & 0xFFFF) == sSearch->Wanted) {
        sSearch->Found = TRUE;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

WORD InstalledMessageLanguage(WORD language)
{
    // A language whose locale is not installed falls back to the neutral one.
    if (language) {
        LocaleSearch search = {language, FALSE};
        sSearch = &search;
        EnumSystemLocalesA(MatchInstalledLocale, LCID_INSTALLED);
        sSearch = NULL;
        if (!search.Found) language = 0;
    }
    return language ? language : 1024;
}

void SetMessageBoxTexts(const char *caption, char languageLetter)
{
    if (!caption || !caption[0] || !CopyText(sCaption, sizeof sCaption, caption))
        CopyText(sCaption, sizeof sCaption, kDefaultCaption);
    sLanguage = InstalledMessageLanguage(MessageLanguageForLetter(languageLetter));
}

int ShowMessage(HWND owner, const char *text, UINT type)
{
    LogLineF("MessageBox: '%s'", text);
    if (LogSilent()) return 0;
    int result = MessageBoxExA(owner, text, sCaption, type, sLanguage);
    if (type & MB_YESNO) {
        if (result == IDYES) LogLine("  User: Yes");
        if (result == IDNO) LogLine("  User: No");
    }
    return result;
}
