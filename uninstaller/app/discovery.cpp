#include "app/discovery.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "qmconfig/logdefault.h"
#include "core/fileprobes.h"
#include "removal/registry.h"
#include <stdlib.h>
#include <string.h>

#define LOG_DEFAULTS_KEY VL_PRODUCT_KEY "\\Configuration\\LogDefaults"

static BOOL ReadsAs(const char *subKey, const char *valueName, const char *expected)
{
    char text[VL_TEXT_SIZE];
    return ReadRegString(subKey, valueName, NULL, text, NULL) == 0 && strcmp(text, expected) == 0;
}

// Copies a product path value into field; a value that cannot be read, or
// one too long for a path, leaves the field unchanged.
static void ReadPathInto(const char *subKey, const char *valueName, char *field)
{
    char text[VL_TEXT_SIZE];
    if (ReadRegText(subKey, valueName, text) && text[0]) {
        if (!CopyText(field, VL_PATH_SIZE, text)) {
            field[0] = 0;
            LogLineF("***Value '%s' is too long for a path; ignored", valueName);
        }
    }
}

static void FindRelease20()
{
    static const char *const values[] = {
        "BaseComponent", "ConversionTablesComponent", "DesktopClientsComponent",
        "PublicationsComponent", "ToolkitComponent", "WindowsNTClientComponent",
        "GlobalComponent", "CCSIDComponent", "MinimumFilesComponent"};
    char text[VL_TEXT_SIZE];
    for (const char *value : values)
        if (ReadRegString(VL_PRODUCT_KEY, value, NULL, text, NULL) == 0) gRun.InstalledVersion = VERSION_20;
    for (Component &component : gComponents)
        if (component.Value20 && ReadsAs(VL_PRODUCT_KEY, component.Value20, "1")) component.Installed = TRUE;
}

static Component *ComponentAtPosition50(int position)
{
    for (Component &component : gComponents)
        if (component.Position50 == position) return &component;
    return NULL;
}

static void FindRelease50()
{
    static const int positions[] = {1, 3, 4, 2, 6, 8, 9, 20, 5};
    for (int block = 0; block < 10; block++) {
        for (int position : positions) {
            char name[VL_TEXT_SIZE];
            if (!LoadOwnString(name, 20 * block + position)) continue;
            if (!ComponentRecorded(name)) continue;
            Component *component = ComponentAtPosition50(position);
            component->Installed = TRUE;
            CopyText(component->RecordedName, sizeof component->RecordedName, name);
            gRun.InstalledVersion = VERSION_50;
        }
    }
}

static void FindRelease51()
{
    static const ComponentKey order[] = {
        COMP_SERVER, COMP_WINDOWS_NT_CLIENT, COMP_JAVA_CLIENT, COMP_TOOLKIT, COMP_HTML_LIBRARY,
        COMP_INTERNET_GATEWAY_DOCS, COMP_LANG_EN_US, COMP_LANG_FR_FR, COMP_LANG_DE_DE,
        COMP_LANG_ES_ES, COMP_LANG_IT_IT, COMP_LANG_JA_JP, COMP_LANG_KO_KR, COMP_LANG_PT_BR,
        COMP_LANG_ZH_TW, COMP_LANG_ZH_CN, COMP_WEB_ADMIN, COMP_PDF_LIBRARY, COMP_INTERNET_GATEWAY};
    for (ComponentKey key : order) {
        Component &component = gComponents[key];
        char *value;
        DWORD size;
        if (!ReadRegValue(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, component.ValueName, &value, &size)) continue;
        component.Installed = TRUE;
        gRun.InstalledVersion = VERSION_51;
        if (strcmp(value, "Incomplete") == 0) component.Incomplete = TRUE;
        free(value);
    }
}

static void ReadPaths()
{
    if (gRun.InstalledVersion == VERSION_NONE) return;
    ReadPathInto(VL_PRODUCT_KEY, "WorkPath", gRun.ProductWorkPath);
    ReadPathInto(VL_PRODUCT_KEY, "FilePath", gRun.ProgramFilesPath);
    if (gRun.InstalledVersion == VERSION_20) {
        CopyText(gRun.ProgramFolderName, VL_PATH_SIZE, "Norvik Varolink");
        return;
    }
    ReadPathInto(VL_PRODUCT_KEY, "ProgramFolder", gRun.ProgramFolderName);
    if (gRun.InstalledVersion == VERSION_51)
        ReadPathInto(LOG_DEFAULTS_KEY, "LogDefaultPath", gRun.LogDefaultPath);
}

// The default queue-manager log folder from the work folder's configuration files.
static void LogDefaultFromConfigFiles()
{
    if (gRun.LogDefaultPath[0] || !gRun.ProductWorkPath[0]) return;
    char file[VL_PATH_SIZE];
    if (FormatText(file, sizeof file, "%s\\config\\Config.reg", gRun.ProductWorkPath) && FileExists(file))
        gRun.AllSucceeded &= ReadLogDefaultPath(file, gRun.LogDefaultPath);
    if (!gRun.LogDefaultPath[0] && FormatText(file, sizeof file, "%s\\VLS.INI", gRun.ProductWorkPath) &&
        FileExists(file))
        gRun.AllSucceeded &= ReadLogDefaultPath(file, gRun.LogDefaultPath);
}

BOOL DiscoverInstallation()
{
    for (Component &component : gComponents) {
        component.Installed = FALSE;
        component.Incomplete = FALSE;
        component.Selected = FALSE;
    }
    FindRelease20();
    FindRelease50();
    FindRelease51();
    if (ReadsAs(VL_PRODUCT_KEY, "VLServerVersion", "5")) {
        gRun.InstalledVersion = VERSION_50;
        if (ReadsAs(VL_PRODUCT_KEY, "VLServerRelease", "1")) gRun.InstalledVersion = VERSION_51;
    }
    ReadPaths();
    LogDefaultFromConfigFiles();
    if (gRun.LogDefaultPath[0])
        SetRegistryValue(NULL, VL_PRODUCT_KEY, "LogDefaultPath", REG_SZ, gRun.LogDefaultPath, -1);

    gRun.LogActive = TRUE;
    if (gRun.ProductWorkPath[0] && FolderExists(gRun.ProductWorkPath)) LogEnable(1);

    static const char *const summary[] = {
        "Varolink is not installed", "Installed Varolink version is 2.0",
        "Installed Varolink version is 5.0", "Installed Varolink version is 5.1"};
    LogLine(summary[gRun.InstalledVersion]);
    LogLineF("Program files directory is '%s'", gRun.ProgramFilesPath);
    LogLineF("Data files directory is '%s'", gRun.ProductWorkPath);
    LogLineF("QM log files directory is '%s'", gRun.LogDefaultPath);
    return TRUE;
}

BOOL LoadComponentDisplayNames()
{
    static const int order[] = {1, 3, 4, 2, 6, 8, 9, 7, 5, 10, 11, 12, 13, 14, 15, 16, 18, 17, 19};
    for (int id : order) LoadNlsString(gComponentDisplayNames[id], id);
    return TRUE;
}
