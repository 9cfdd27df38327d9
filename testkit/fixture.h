// The fixture installer: lays down a sample installation of the product
// (registry, folders, the NLS library) for the tests and the demo, and
// removes it again.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct FixtureComponent {
    std::string ValueName;   // 5.1 value name, 5.0 localised name, or 2.0 value name
    std::string Value;       // "" (installed), "Incomplete", or for 2.0 "1"
};

// A registry value of the description: TYPE is sz, expand, multi, dword,
// binary or hex(N) (dword data in C notation, multi strings separated by '|',
// binary and hex(N) data as hex digits, N the type in hexadecimal); an empty
// name is the key's default value. %PROGRAM% and %DATA% in the data stand for the folders.
struct FixtureValue {
    std::string Type, Key, Name, Data;
};

// A service level recorded in "CSDS Applied": the value Name holds
// "C:\csdsrc\<Name>=<tree folder>\<Folder>" (Tree "program" or "data"); the
// folder holds a readme and csdship.log with ShipLines; the program folder
// gets the shortcut "Remove <Name>".
struct FixtureServiceLevel {
    std::string Name, Tree, Folder;
    std::vector<std::string> ShipLines;
};

struct FixtureDescription {
    std::string Release = "5.1";        // "2.0", "5.0" or "5.1"
    std::string Root = "C:\\Varolink";  // the program folder is Root\Program, the work folder Root\Data
    bool WriteFilePath = true;
    bool WriteWorkPath = true;
    bool CreateWorkFolder = true;
    bool CopyNlsLibrary = true;
    std::string UninstName;             // "UninstName" value; empty = not written
    std::string LogDefaultPath;         // Configuration\LogDefaults value; empty = not written
    std::vector<FixtureComponent> Components;
    // Queue managers in the registry ("queuemanager KEY NAME [tcp]") and in
    // VLS.INI ("inimanager KEY NAME"), their folders below Data\qmgrs.
    std::vector<std::vector<std::string>> RegistryQueueManagers, IniQueueManagers;
    // Component list lines by list name ("listline LIST \path\below\program").
    std::vector<std::pair<std::string, std::string>> ListLines;
    // Shortcuts in the common Programs folder "Norvik Varolink" ("shortcut NAME").
    std::vector<std::string> Shortcuts;
    // System environment values ("env NAME VALUE"), removed again with the fixture.
    std::vector<std::pair<std::string, std::string>> Environment;
    bool WebAdminData = false;          // "webadmindata": a file in Data\vlwa\scripts\public
    // "isuninst": the installer's uninstall stand-in copied into Program\uninst
    // and named by "UninstName" (unless one is given).
    bool InstallerUninstall = false;
    // The prefix's own psapi.dll is copied into the uninstallation folder, as
    // the product's installer does ("nopsapi" leaves it out).
    bool CopyPsapi = true;
    // Stand-ins copied into the installation ("standin NAME").
    std::vector<std::string> Standins;
    // Running product ("run PROGRAM [PARAMETERS]", "runqm KEY", "hold FILE"
    // for a file in bin, "services"): started after everything else.
    std::vector<std::pair<std::string, std::string>> Runs;
    std::vector<std::string> RunningQueueManagers, HeldBinFiles;
    bool Services = false;
    // Layout outside the program-folder lists (fixturelayout.h): list lines by
    // list name whose files lie below Data or the Windows folder, Config.reg
    // queue managers, plain files (tree, path), object-class list lines
    // (list, path) and Startup shortcut names.
    std::vector<std::pair<std::string, std::string>> DataListLines, WindowsListLines;
    std::vector<std::vector<std::string>> ScriptQueueManagers;
    std::vector<std::pair<std::string, std::string>> Files, ObjectClasses;
    std::vector<std::string> StartupShortcuts;
    // Entries appended to existing system variables (name, entry), and the
    // "CreationMask" value when CreationMaskGiven.
    std::vector<std::pair<std::string, std::string>> EnvironmentEntries;
    bool UninstallEntry = false;
    bool CreationMaskGiven = false;
    unsigned long CreationMask = 0;
    // Lines of Program\uninst\avlirgdn.u01 ("verbatim LINE"); none: no file.
    std::vector<std::string> VerbatimLines;
    // "config TYPE KEY|NAME|DATA" below Configuration; "machine TYPE NAME|DATA"
    // in the product key (the machine-level values).
    std::vector<FixtureValue> ConfigValues, MachineValues;
    // "csd NAME TREE FOLDER", then "csdship NAME LINE" for its list lines. An
    // "added,file,SRC,%filepath%SUB" line also creates Program SUB\<file of SRC>
    // (%workpath%: the data folder).
    std::vector<FixtureServiceLevel> ServiceLevels;
    // "csdvalue NAME DATA": a "CSDS Applied" value exactly as given.
    std::vector<std::pair<std::string, std::string>> ServiceLevelValues;
    // "backup TREE NAME": <tree folder>\BackUp\NAME holding a file.
    std::vector<std::pair<std::string, std::string>> Backups;
};

// The folders a description gives.
std::string FixtureProgramFolder(const FixtureDescription &d);
std::string FixtureWorkFolder(const FixtureDescription &d);

// Writes the installation; 1 on success. Any earlier product key is removed first.
int FixtureInstall(const FixtureDescription &d);
// The service-level, configuration and backup parts of a description
// (called by FixtureInstall; the product key must exist).
int FixtureInstallData(const FixtureDescription &d);
// Expands %PROGRAM% and %DATA% in text.
std::string FixtureExpand(const FixtureDescription &d, const std::string &text);
// Reads one of the data keys of a description line; 0 when key is none of them.
int FixtureReadDataLine(const std::string &key, const std::string &text, FixtureDescription *d);

// Ends what the fixture started, removes the product's registry tree and the
// fixture's folder tree.
void FixtureRemove(const FixtureDescription &d);

// Reads a description file ("key value" lines: release, root, component,
// incomplete, uninstname, logdefaultpath, noworkfolder, nonls, queuemanager,
// inimanager, listline, shortcut, env, webadmindata, isuninst, verbatim,
// config, machine, csd, csdship, csdvalue, backup, nopsapi, standin, run,
// runqm, hold, services, and the layout keys of fixturelayout.h) into d.
int FixtureReadDescription(const char *path, FixtureDescription *d);

// Small helpers shared by the tests.
void DeleteKeyTree(HKEY root, const char *path);
void DeleteFolderTree(const std::string &path);
int WriteTextFile(const std::string &path, const std::string &text);
std::string ReadTextFile(const std::string &path);
int MakeFolders(const std::string &path);
// A new, empty folder in the temp folder, unique to this process and call.
std::string MakeUniqueTempFolder(const char *tag);
