// Fixture pieces for the file lists, environment entries, shortcuts and
// queue managers of a sample installation.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The ten language folders, in the order of the uninstaller's string table.
extern const char *const kFixtureLanguageFolders[10];

// Writes listFolder\listName.u00 (or any extension given in listName) with
// the lines as they are, and for each line that names a path creates the
// file target + path (every "-lang1-"/"-lang5-" spelling when it has those
// tokens, lower-cased). Lines starting with '!' are written without the '!'
// and create nothing.
int FixtureComponentList(const std::string &listFolder, const std::string &listName,
                         const std::vector<std::string> &lines, const std::string &target);
// The files a listed path stands for (expanded for the ten languages).
std::vector<std::string> FixtureListedFiles(const std::string &target, const std::string &listedPath);

// A queue manager: KeyName is its registry key and its folder below qmgrs.
struct FixtureQueueManager {
    std::string KeyName, Name, Prefix, LogPath;
    bool Tcp = false;
    bool CreateFolders = true;   // <Prefix>\qmgrs\<KeyName> and LogPath
};
// Configuration\QueueManager\<KeyName> (Name, Prefix, Directory, Log\LogPath)
// and Services\<KeyName>\Listener Protocol (2 with Tcp, else 1).
int FixtureRegistryQueueManager(const FixtureQueueManager &qm);
// VLS.INI stanzas (with QM.INI files holding the log path) and Config.reg.
int FixtureVlsIni(const std::string &workFolder, const std::string &defaultPrefix,
                  const std::vector<FixtureQueueManager> &qms);
int FixtureConfigReg(const std::string &workFolder, const std::string &defaultPrefix,
                     const std::vector<FixtureQueueManager> &qms);

// Shell links in the common Programs folder (folder\item.lnk) and Startup folder.
std::string FixtureCommonFolder(int csidl);
int FixtureShortcut(const std::string &linkPath, const std::string &target);

// System environment values (REG_EXPAND_SZ), CreationMask and ShortNames.
int FixtureSetSystemEnv(const std::string &name, const std::string &value);
// Value, or "<none>" when the variable does not exist.
std::string FixtureSystemEnv(const std::string &name);
void FixtureDeleteSystemEnv(const std::string &name);
int FixtureSetCreationMask(DWORD mask);
DWORD FixtureCreationMask(bool *present = NULL);
int FixtureShortName(const std::string &longPath, const std::string &shortPath);
