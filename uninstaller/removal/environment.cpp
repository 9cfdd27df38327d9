#include "removal/environment.h"
#include "removal/envtext.h"
#include "removal/registry.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/mbchar.h"
#include "core/nls.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdlib.h>
#include <string.h>

BOOL SetCreationMaskBits(DWORD bits, BOOL set)
{
    if (bits == 0) return TRUE;
    HKEY key;
    if (OpenProductKey(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return FALSE;
    DWORD mask = 0, type = 0, size = sizeof mask;
    BOOL present = MachineQueryValue(key, VL_PRODUCT_KEY, "CreationMask", &type, (BYTE *)&mask, &size) == ERROR_SUCCESS &&
                   size == sizeof mask;
    if (present) mask = set ? (mask | bits) : (mask & ~bits);
    else mask = set ? bits : 0;
    LONG rc = MachineSetValue(key, VL_PRODUCT_KEY, "CreationMask", REG_DWORD, &mask, sizeof mask);
    BOOL written = rc == ERROR_SUCCESS || rc == MACHINE_HELD_BACK;
    RegCloseKey(key);
    return written;
}

BOOL CreationMaskHas(DWORD bits)
{
    HKEY key;
    if (OpenProductKey(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return FALSE;
    DWORD mask = 0, size = sizeof mask;
    BOOL read = MachineQueryValue(key, VL_PRODUCT_KEY, "CreationMask", NULL, (BYTE *)&mask, &size) == ERROR_SUCCESS &&
                size == sizeof mask;
    RegCloseKey(key);
    return read && (mask & bits) != 0;
}

static DWORD CreationBit(const char *name)
{
    if (strcmp(name, "include") == 0) return CREATED_INCLUDE;
    if (strcmp(name, "lib") == 0) return CREATED_LIB;
    if (strcmp(name, "classpath") == 0) return CREATED_CLASSPATH;
    return 0;
}

BOOL RemoveEnvEntry(const char *name, const char *entry)
{
    LogLineF("\nRemoving '%s' from system environment variable '%s'", entry, name);
    // The installer added the Java archives to classpath in their short form.
    char *shortName = NULL;
    const char *text = entry;
    if (TextEqualNoCase(name, "classpath") &&
        ReadRegValue(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY "\\ShortNames", entry, &shortName))
        text = shortName;

    char *oldValue = NULL;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, name, &oldValue)) {
        LogLineF("Can't get '%s' environment variable", name);
        free(shortName);
        // A variable the installer created is gone already (a removal that
        // was stopped between deleting it and clearing its bit, or a hand
        // edit): its bit goes too, so that a rerun ends where one whole
        // removal does.
        DWORD bit = CreationBit(name);
        if (bit && CreationMaskHas(bit)) SetCreationMaskBits(bit, FALSE);
        return TRUE;
    }
    LogLineF("Old '%s' value is:", name);
    LogLine(oldValue);

    BOOL result = TRUE;
    size_t size = strlen(oldValue) + 2;
    char *newValue = (char *)malloc(size);
    int found = 0;
    if (!newValue) {
        LogLine("***Can't allocate memory for current value");
        result = FALSE;
    } else if (RemoveEnvListEntry(oldValue, text, newValue, size, &found)) {
        if (!found) LogLineF("Can't find '%s' in '%s'", text, name);
        DWORD bit = CreationBit(name);
        if (!newValue[0]) LogLineF("New '%s' variable is null", name);
        if (!newValue[0] && CreationMaskHas(bit)) {
            LogLineF("Deleting '%s' variable", name);
            result = DeleteRegistryValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, name, FALSE);
            if (result && bit) result = SetCreationMaskBits(bit, FALSE);
        } else if (!TextEqualNoCase(newValue, oldValue)) {
            LogLineF("New '%s' variable is:", name);
            LogLine(newValue);
            result = SetRegistryValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, name, REG_EXPAND_SZ, newValue, -1);
        } else {
            LogLineF("No change to '%s' variable is required", name);
        }
    }
    free(newValue);
    free(oldValue);
    free(shortName);
    return result;
}

const char *CurrentLanguageFolder()
{
    char letter = NlsLanguageLetter();
    switch (letter ? letter : 'a') {
    case 'B': return "pt_br";
    case 'F': return "fr_fr";
    case 'G': return "de_de";
    case 'I': return "it_it";
    case 'J': return "ja_jp";
    case 'K': return "ko_kr";
    case 'S': return "es_es";
    case 'T': return "zh_tw";
    case 'Z': return "zh_cn";
    default: return "en_us";
    }
}

BOOL RemoveOtherLanguageClasspath(const char *base)
{
    static const char *const folders[] = {"en_us", "fr_fr", "de_de", "es_es", "it_it",
                                          "ja_jp", "ko_kr", "pt_br", "zh_cn", "zh_tw"};
    LogLine("Deleting other-language CLASSPATH variables");
    CurrentLanguageFolder();
    char *value = NULL;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, VL_ENVIRONMENT_KEY, "classpath", &value)) return TRUE;
    LowerText(value);
    BOOL result = TRUE;
    for (const char *folder : folders) {
        if (!MbFindText(value, folder)) continue;
        char entry[VL_PATH_SIZE];
        if (FormatText(entry, sizeof entry, "%s\\%s\\%s", base, "tools\\javaclnt\\samples", folder))
            result = RemoveEnvEntry("classpath", entry) && result;
        if (FormatText(entry, sizeof entry, "%s\\%s\\%s", base, "tools\\vlbind\\samples", folder))
            result = RemoveEnvEntry("classpath", entry) && result;
    }
    free(value);
    return result;
}

enum { BROADCAST_WAIT_MS = 3000 };

struct TopWindows {
    HWND *Windows;
    int Count, Capacity;
};

static BOOL CALLBACK CollectTopWindow(HWND window, LPARAM context)
{
    TopWindows *list = (TopWindows *)context;
    if (list->Count == list->Capacity) {
        int capacity = list->Capacity ? list->Capacity * 2 : 64;
        HWND *grown = (HWND *)realloc(list->Windows, capacity * sizeof *grown);
        if (!grown) return FALSE;
        list->Windows = grown;
        list->Capacity = capacity;
    }
    list->Windows[list->Count++] = window;
    return TRUE;
}

static void SendEnvironmentChange(void *)
{
    LogLine("Broadcasting environment changes");
    // Sent window by window, each with a time limit: a window that does not
    // answer (a hung program anywhere on the desktop) is given up on, so the
    // removal always ends. Not the removal's failure: a plain log line.
    TopWindows list = {NULL, 0, 0};
    EnumWindows(CollectTopWindow, (LPARAM)&list);
    BOOL gaveUp = FALSE;
    for (int i = 0; i < list.Count; i++) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(list.Windows[i], WM_WININICHANGE, 0, (LPARAM) "Environment",
                                 SMTO_ABORTIFHUNG | SMTO_NORMAL, BROADCAST_WAIT_MS, &answer) &&
            IsWindow(list.Windows[i]))
            gaveUp = TRUE;
    }
    free(list.Windows);
    if (gaveUp) LogLine("Environment change broadcast timed out");
}

BOOL BroadcastEnvironmentChange()
{
    MachineBroadcastEnvironment(SendEnvironmentChange, NULL);
    return TRUE;
}
