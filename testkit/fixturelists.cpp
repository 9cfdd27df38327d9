#include "fixturelists.h"
#include "fixture.h"
#include <objbase.h>
#include <shlobj.h>
#include <algorithm>

const char *const kFixtureLanguageFolders[10] = {"en_us", "fr_fr", "de_de", "es_es", "it_it",
                                                 "ja_jp", "pt_br", "ko_kr", "zh_cn", "zh_tw"};
static const char kProductKey[] = "Software\\Norvik\\Varolink\\CurrentVersion";
static const char kEnvKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

static std::string Lower(std::string text)
{
    // By character of the system code page: a second byte is never folded.
    for (size_t i = 0; i < text.size(); i++) {
        if (IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size()) i++;
        else text[i] = (char)tolower((unsigned char)text[i]);
    }
    return text;
}

static void ReplaceFirst(std::string &text, const std::string &token, const std::string &by)
{
    size_t at = text.find(token);
    if (at != std::string::npos) text.replace(at, token.size(), by);
}

std::vector<std::string> FixtureListedFiles(const std::string &target, const std::string &listedPath)
{
    std::string path = Lower(target + listedPath);
    std::vector<std::string> files;
    bool lang1 = path.find("-lang1-") != std::string::npos, lang5 = path.find("-lang5-") != std::string::npos;
    if (!lang1 && !lang5) return {path};
    for (const char *folder : kFixtureLanguageFolders) {
        std::string one = path;
        if (lang1) {
            ReplaceFirst(one, "-lang1-", folder);
            ReplaceFirst(one, "-lang1-", folder);
            ReplaceFirst(one, "-lang5-", std::string(folder, 2));
        } else {
            ReplaceFirst(one, "-lang5-", folder);
        }
        files.push_back(one);
    }
    return files;
}

int FixtureComponentList(const std::string &listFolder, const std::string &listName,
                         const std::vector<std::string> &lines, const std::string &target)
{
    std::string text;
    int ok = 1;
    for (const std::string &line : lines) {
        bool plain = !line.empty() && line[0] == '!';
        std::string written = plain ? line.substr(1) : line;
        text += written + "\r\n";
        size_t slash = written.find('\\');
        if (plain || slash == std::string::npos || written[0] == ';' || written[0] == '#') continue;
        for (const std::string &file : FixtureListedFiles(target, written.substr(slash)))
            ok &= WriteTextFile(file, "listed file\r\n");
    }
    std::string name = listName.find('.') == std::string::npos ? listName + ".u00" : listName;
    return WriteTextFile(listFolder + "\\" + name, text) && ok;
}

static HKEY CreateKey(const std::string &path)
{
    HKEY key = NULL;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    return key;
}

static int SetString(const std::string &keyPath, const char *name, const std::string &value, DWORD type = REG_SZ)
{
    HKEY key = CreateKey(keyPath);
    if (!key) return 0;
    int ok = RegSetValueExA(key, name, 0, type, (const BYTE *)value.c_str(), (DWORD)value.size() + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

static int SetDword(const std::string &keyPath, const char *name, DWORD value)
{
    HKEY key = CreateKey(keyPath);
    if (!key) return 0;
    int ok = RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

static int MakeQmFolders(const FixtureQueueManager &qm)
{
    if (!qm.CreateFolders) return 1;
    int ok = MakeFolders(qm.Prefix + "\\qmgrs\\" + qm.KeyName);
    if (!qm.LogPath.empty()) ok &= MakeFolders(qm.LogPath);
    return ok;
}

int FixtureRegistryQueueManager(const FixtureQueueManager &qm)
{
    std::string config = std::string(kProductKey) + "\\Configuration";
    std::string key = config + "\\QueueManager\\" + qm.KeyName;
    int ok = SetString(key, "Name", qm.Name) && SetString(key, "Directory", qm.KeyName);
    if (!qm.Prefix.empty()) ok &= SetString(key, "Prefix", qm.Prefix);
    if (!qm.LogPath.empty()) ok &= SetString(key + "\\Log", "LogPath", qm.LogPath);
    ok &= SetDword(config + "\\Services\\" + qm.KeyName + "\\Listener", "Protocol", qm.Tcp ? 2 : 1);
    return ok && MakeQmFolders(qm);
}

int FixtureVlsIni(const std::string &workFolder, const std::string &defaultPrefix,
                  const std::vector<FixtureQueueManager> &qms)
{
    std::string text = "#*******************************************************#\r\n";
    if (!defaultPrefix.empty()) text += "AllQueueManagers:\r\n   DefaultPrefix=" + defaultPrefix + "\r\n";
    int ok = 1;
    for (const FixtureQueueManager &qm : qms) {
        text += "QueueManager:\r\n   Name=" + qm.Name + "\r\n";
        if (!qm.Prefix.empty()) text += "   Prefix=" + qm.Prefix + "\r\n";
        text += "   Directory=" + qm.KeyName + "\r\n";
        std::string prefix = qm.Prefix.empty() ? defaultPrefix : qm.Prefix;
        if (!qm.LogPath.empty())
            ok &= WriteTextFile(prefix + "\\qmgrs\\" + qm.KeyName + "\\QM.INI",
                                "ExitPath:\r\n   ExitsDefaultPath=C:\\exits\r\nLog:\r\n   LogPrimaryFiles=3\r\n"
                                "   LogPath=" + qm.LogPath + "\\\r\n");
        FixtureQueueManager folders = qm;
        folders.Prefix = prefix;
        ok &= MakeQmFolders(folders);
    }
    return WriteTextFile(workFolder + "\\VLS.INI", text) && ok;
}

// Escaped as the product's export escapes, by character of the code page:
// the second byte of a double-byte character ('\\' in some) never is.
static std::string Escaped(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (IsDBCSLeadByte((BYTE)c) && i + 1 < text.size()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

int FixtureConfigReg(const std::string &workFolder, const std::string &defaultPrefix,
                     const std::vector<FixtureQueueManager> &qms)
{
    std::string base = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\";
    std::string text = "REGEDIT4\r\n\r\n";
    if (!defaultPrefix.empty())
        text += base + "AllQueueManagers]\r\n\"DefaultPrefix\"=\"" + Escaped(defaultPrefix) + "\"\r\n\r\n";
    int ok = 1;
    for (const FixtureQueueManager &qm : qms) {
        text += base + "QueueManager\\" + qm.KeyName + "]\r\n\"Name\"=\"" + Escaped(qm.Name) + "\"\r\n";
        if (!qm.Prefix.empty()) text += "\"Prefix\"=\"" + Escaped(qm.Prefix) + "\"\r\n";
        text += "\"Directory\"=\"" + qm.KeyName + "\"\r\n";
        if (!qm.LogPath.empty()) text += "\"LogPath\"=\"" + Escaped(qm.LogPath) + "\"\r\n";
        text += "\r\n";
        FixtureQueueManager folders = qm;
        if (folders.Prefix.empty()) folders.Prefix = defaultPrefix;
        ok &= MakeQmFolders(folders);
    }
    for (const FixtureQueueManager &qm : qms) {
        text += base + "Services\\" + qm.KeyName + "]\r\n\r\n";
        text += base + "Services\\" + qm.KeyName + "\\Listener]\r\n\"Protocol\"=dword:0000000" +
                (qm.Tcp ? "2" : "1") + "\r\n\r\n";
    }
    return WriteTextFile(workFolder + "\\config\\Config.reg", text) && ok;
}

std::string FixtureCommonFolder(int csidl)
{
    char path[MAX_PATH] = "";
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(NULL, csidl, &items) != S_OK) return "";
    SHGetPathFromIDListA(items, path);
    CoTaskMemFree(items);
    return path;
}

int FixtureShortcut(const std::string &linkPath, const std::string &target)
{
    size_t slash = linkPath.rfind('\\');
    if (slash != std::string::npos) MakeFolders(linkPath.substr(0, slash));
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    int ok = 0;
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link) == S_OK) {
        link->SetPath(target.c_str());
        IPersistFile *file = NULL;
        if (link->QueryInterface(IID_IPersistFile, (void **)&file) == S_OK) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            ok = file->Save(wide, TRUE) == S_OK;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    // A plain file serves where the shell cannot write links.
    if (!ok) ok = WriteTextFile(linkPath, "shortcut");
    return ok;
}

int FixtureSetSystemEnv(const std::string &name, const std::string &value)
{
    return SetString(kEnvKey, name.c_str(), value, REG_EXPAND_SZ);
}

std::string FixtureSystemEnv(const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<none>";
    char value[8192];
    DWORD size = sizeof value - 1, type = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), NULL, &type, (BYTE *)value, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<none>";
    value[size] = 0;
    return type == REG_EXPAND_SZ ? value : std::string("<type ") + std::to_string(type) + ">" + value;
}

void FixtureDeleteSystemEnv(const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

int FixtureSetCreationMask(DWORD mask) { return SetDword(kProductKey, "CreationMask", mask); }

DWORD FixtureCreationMask(bool *present)
{
    DWORD mask = 0, size = sizeof mask;
    HKEY key;
    bool found = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        found = RegQueryValueExA(key, "CreationMask", NULL, NULL, (BYTE *)&mask, &size) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (present) *present = found;
    return mask;
}

int FixtureShortName(const std::string &longPath, const std::string &shortPath)
{
    return SetString(std::string(kProductKey) + "\\ShortNames", longPath.c_str(), shortPath);
}
