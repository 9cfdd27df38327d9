// Fixture pieces for the configuration export, queue-manager data and
// service levels: avlirgdn.u01, registry values of every type, CSDS Applied
// with its service-level folders and shipping lists, BackUp folders.
#include "fixture.h"
#include "fixturelists.h"
#include <shlobj.h>
#include <stdlib.h>

static const char kProductKey[] = "Software\\Norvik\\Varolink\\CurrentVersion";

std::string FixtureExpand(const FixtureDescription &d, const std::string &text)
{
    std::string out = text;
    const std::pair<std::string, std::string> tokens[] = {{"%PROGRAM%", FixtureProgramFolder(d)},
                                                          {"%DATA%", FixtureWorkFolder(d)}};
    for (const auto &token : tokens)
        for (size_t at = out.find(token.first); at != std::string::npos; at = out.find(token.first, at + token.second.size()))
            out.replace(at, token.first.size(), token.second);
    return out;
}

static std::string TreeFolder(const FixtureDescription &d, const std::string &tree)
{
    return tree == "data" ? FixtureWorkFolder(d) : FixtureProgramFolder(d);
}

static int SetValue(const std::string &keyPath, const FixtureValue &value, const std::string &data)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return 0;
    const char *name = value.Name.empty() ? NULL : value.Name.c_str();
    LONG rc;
    if (value.Type == "dword") {
        DWORD number = strtoul(data.c_str(), NULL, 0);
        rc = RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    } else if (value.Type == "binary" || value.Type.rfind("hex(", 0) == 0) {
        // "binary" or "hex(N)" (type N in hexadecimal): the data in hex digits.
        DWORD type = value.Type == "binary" ? REG_BINARY : strtoul(value.Type.c_str() + 4, NULL, 16);
        std::string bytes;
        for (size_t i = 0; i + 1 < data.size(); i += 2) bytes += (char)strtoul(data.substr(i, 2).c_str(), NULL, 16);
        rc = RegSetValueExA(key, name, 0, type, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    } else if (value.Type == "multi") {
        // Strings separated by '|'.
        std::string bytes = data;
        for (char &c : bytes)
            if (c == '|') c = 0;
        bytes += std::string(2, '\0');
        rc = RegSetValueExA(key, name, 0, REG_MULTI_SZ, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    } else {
        DWORD type = value.Type == "expand" ? REG_EXPAND_SZ : REG_SZ;
        rc = RegSetValueExA(key, name, 0, type, (const BYTE *)data.c_str(), (DWORD)data.size() + 1);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// A shipping-list line "added,file,SRC,%filepath%SUB" creates the file it names.
static int CreateShippedFile(const FixtureDescription &d, const std::string &line)
{
    std::vector<std::string> fields;
    for (size_t at = 0;;) {
        size_t comma = line.find(',', at);
        fields.push_back(line.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    if (fields.size() < 4 || _stricmp(fields[0].c_str(), "added") || _stricmp(fields[1].c_str(), "file")) return 1;
    size_t slash = fields[2].rfind('\\');
    if (slash == std::string::npos || fields[3].size() < 10) return 1;
    std::string token = fields[3].substr(0, 10);
    std::string root;
    if (!_stricmp(token.c_str(), "%filepath%")) root = FixtureProgramFolder(d);
    else if (!_stricmp(token.c_str(), "%workpath%")) root = FixtureWorkFolder(d);
    else return 1;
    return WriteTextFile(root + fields[3].substr(10) + "\\" + fields[2].substr(slash + 1), "shipped\r\n");
}

int FixtureInstallData(const FixtureDescription &d)
{
    int ok = 1;
    std::string program = FixtureProgramFolder(d);
    if (!d.VerbatimLines.empty()) {
        std::string text;
        for (const std::string &line : d.VerbatimLines) text += line + "\r\n";
        ok &= WriteTextFile(program + "\\uninst\\avlirgdn.u01", text);
    }
    std::string config = std::string(kProductKey) + "\\Configuration";
    for (const FixtureValue &value : d.ConfigValues)
        ok &= SetValue(value.Key.empty() ? config : config + "\\" + value.Key, value, FixtureExpand(d, value.Data));
    for (const FixtureValue &value : d.MachineValues) ok &= SetValue(kProductKey, value, FixtureExpand(d, value.Data));

    std::string applied = std::string(kProductKey) + "\\CSDS Applied";
    std::string shortcuts = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\Norvik Varolink";
    for (const FixtureServiceLevel &level : d.ServiceLevels) {
        std::string folder = TreeFolder(d, level.Tree) + "\\" + level.Folder;
        FixtureValue value{"sz", "", level.Name, ""};
        ok &= SetValue(applied, value, "C:\\csdsrc\\" + level.Name + "=" + folder);
        std::string list;
        for (const std::string &line : level.ShipLines) {
            list += line + "\r\n";
            ok &= CreateShippedFile(d, line);
        }
        ok &= WriteTextFile(folder + "\\csdship.log", list);
        ok &= WriteTextFile(folder + "\\readme.txt", "service level " + level.Name + "\r\n");
        ok &= FixtureShortcut(shortcuts + "\\Remove " + level.Name + ".lnk", folder + "\\uninstall.exe");
    }
    for (const auto &raw : d.ServiceLevelValues) {
        FixtureValue value{"sz", "", raw.first, ""};
        ok &= SetValue(applied, value, FixtureExpand(d, raw.second));
    }
    for (const auto &backup : d.Backups)
        ok &= WriteTextFile(TreeFolder(d, backup.first) + "\\BackUp\\" + backup.second + "\\saved.dll", "old\r\n");
    return ok;
}

// "TYPE A|B|C" into its parts.
static std::vector<std::string> Parts(const std::string &text, std::string *type)
{
    size_t blank = text.find(' ');
    *type = text.substr(0, blank);
    std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        size_t bar = rest.find('|', at);
        parts.push_back(rest.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    return parts;
}

static std::pair<std::string, std::string> FirstWord(const std::string &text)
{
    size_t blank = text.find(' ');
    return {text.substr(0, blank), blank == std::string::npos ? "" : text.substr(blank + 1)};
}

int FixtureReadDataLine(const std::string &key, const std::string &text, FixtureDescription *d)
{
    std::string type;
    if (key == "verbatim") {
        d->VerbatimLines.push_back(text);
    } else if (key == "config") {
        std::vector<std::string> parts = Parts(text, &type);
        parts.resize(3);
        d->ConfigValues.push_back({type, parts[0], parts[1], parts[2]});
    } else if (key == "machine") {
        std::vector<std::string> parts = Parts(text, &type);
        parts.resize(2);
        d->MachineValues.push_back({type, "", parts[0], parts[1]});
    } else if (key == "csd") {
        auto name = FirstWord(text);
        auto tree = FirstWord(name.second);
        d->ServiceLevels.push_back({name.first, tree.first, tree.second, {}});
    } else if (key == "csdship") {
        auto name = FirstWord(text);
        for (FixtureServiceLevel &level : d->ServiceLevels)
            if (level.Name == name.first) level.ShipLines.push_back(name.second);
    } else if (key == "csdvalue") {
        d->ServiceLevelValues.push_back(FirstWord(text));
    } else if (key == "backup") {
        d->Backups.push_back(FirstWord(text));
    } else {
        return 0;
    }
    return 1;
}
