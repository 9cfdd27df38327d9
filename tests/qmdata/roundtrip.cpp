// The configuration export's round trip, in two Wine prefixes:
//   qmdata_roundtrip export OUT   (build prefix) lays down a rich configuration,
//       saves it to Config.reg, copies the script to OUT and records in OUT what
//       the registry should hold after an import (before.txt) and what
//       queue-manager discovery finds (before-qm.txt);
//   qmdata_roundtrip check OUT    (a clean prefix, after regedit /s OUT\Config.reg)
//       records the same from the imported registry and compares.
// Exit 0 when equal (or exported), 1 otherwise.
#include "fixture.h"
#include "qmconfig/qmexport.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "core/log.h"
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <string>
#include <vector>

static const char kProduct[] = "Software\\Norvik\\Varolink\\CurrentVersion";
static const std::string kConfig = std::string(kProduct) + "\\Configuration";

static FixtureDescription RichDescription()
{
    FixtureDescription d;
    d.Root = "C:\\vlroundtrip";
    d.CopyNlsLibrary = false;
    d.LogDefaultPath = "C:\\vlroundtrip\\Data\\log";
    d.RegistryQueueManagers = {{"QM1", "VL.ONE", "tcp"}, {"QM2", "VL.TWO"}};
    d.VerbatimLines = {"[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\%QM%]",
                       "\"Prefix\""};
    d.ConfigValues = {
        // A queue manager below the program folder, without a log path of its own.
        {"sz", "QueueManager\\QM3", "Name", "VL.THREE"},
        {"sz", "QueueManager\\QM3", "Directory", "QM3"},
        {"sz", "QueueManager\\QM3", "Prefix", "%PROGRAM%"},
        {"dword", "Services\\QM3\\Listener", "Protocol", "2"},
        {"sz", "AllQueueManagers", "DefaultPrefix", "%DATA%"},
        {"sz", "ClientExitPath", "ExitsDefaultPath", "%PROGRAM%\\exits"},
        {"sz", "Misc", "", "default value"},
        {"sz", "Misc", "Quotes", "a\"'\\b"},
        {"expand", "Misc", "Expanded", "%SystemRoot%\\system32;%PROGRAM%\\bin"},
        {"sz", "Misc", "Program", "%PROGRAM%"},
        {"sz", "Misc", "Near", "%PROGRAM%2\\x"},
        {"dword", "Misc", "Count", "0x7fff0001"},
    };
    d.MachineValues = {{"sz", "", "MachineName", "HOST1"}, {"dword", "", "RepositoryValid", "1"},
                       {"sz", "", "VLQMName", "VL.ONE"}, {"sz", "", "ClusterName", "%PROGRAM%"}};
    return d;
}

static bool IsMachineValue(const std::string &name)
{
    static const char *const names[] = {"RepositoryMachineName", "RepositoryValid", "RepositoryType", "ClusterName",
                                        "MachineName", "MachineConnName", "VLQMName", "VLDAIQMName"};
    for (const char *n : names)
        if (!_stricmp(n, name.c_str())) return true;
    return false;
}

// The program folder as the script writes it: before a backslash, a quote,
// an apostrophe (all escaped with a backslash) or at the end of the text.
static std::string Placeholders(const std::string &text, const std::string &folder)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t found = text.find(folder, at);
        if (found == std::string::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, found - at);
        size_t next = found + folder.size();
        bool marks = next == text.size() || text[next] == '\\' || text[next] == '"' || text[next] == '\'';
        out += marks ? "%PGMDIR%" : folder;
        at = next;
    }
    return out;
}

// One line per key and per value: "key|name|type|data", sorted. With
// folder, the values are shown as the script should give them back.
static void DumpKey(HKEY root, const std::string &path, const std::string &folder, std::vector<std::string> *out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    bool machine = path == kProduct;
    if (!machine) out->push_back(path + "|");
    for (DWORD index = 0;; index++) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS) break;
        if (machine && !IsMachineValue(name)) continue;
        std::string line = path + "|" + (name[0] ? name : "@") + "|";
        if (type == REG_DWORD) {
            char hex[16];
            snprintf(hex, sizeof hex, "%08lx", *(DWORD *)data);
            line += std::string("dword|") + hex;
        } else {
            data[dataSize] = 0;
            std::string text = (const char *)data;
            bool literal = path.rfind(kConfig + "\\QueueManager\\", 0) == 0 && !_stricmp(name, "Prefix");
            if (!folder.empty() && !literal) text = Placeholders(text, folder);
            // REG_EXPAND_SZ comes back as REG_SZ.
            line += std::string(type == REG_SZ || type == REG_EXPAND_SZ ? "sz|" : "type" + std::to_string(type) + "|") + text;
        }
        out->push_back(line);
    }
    for (DWORD index = 0; !machine; index++) {
        char sub[512];
        DWORD subSize = sizeof sub;
        if (RegEnumKeyExA(key, index, sub, &subSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        DumpKey(root, path + "\\" + sub, folder, out);
    }
    RegCloseKey(key);
}

static std::vector<std::string> Registry(const std::string &folder)
{
    std::vector<std::string> lines;
    DumpKey(HKEY_LOCAL_MACHINE, kConfig, folder, &lines);
    DumpKey(HKEY_LOCAL_MACHINE, kProduct, folder, &lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

static std::vector<std::string> Discovery(const std::string &data)
{
    ScanQueueManagers(data.c_str());
    std::vector<std::string> lines;
    char name[MAX_PATH], directory[MAX_PATH], logPath[MAX_PATH];
    DWORD flags;
    for (BOOL more = QmListFirst(name, directory, logPath, &flags); more;
         more = QmListNext(name, directory, logPath, &flags))
        lines.push_back(std::string(name) + "|" + directory + "|" + logPath + ((flags & QM_FLAG_TCP_LISTENER) ? "|tcp" : "|-"));
    std::sort(lines.begin(), lines.end());
    QmListFree();
    return lines;
}

static std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

static int Compare(const std::string &what, const std::string &expected, const std::string &actual)
{
    if (expected == actual) {
        printf("%s: %u lines equal\n", what.c_str(), (unsigned)std::count(actual.begin(), actual.end(), '\n'));
        return 0;
    }
    printf("%s differ.\n--- expected\n%s--- actual\n%s", what.c_str(), expected.c_str(), actual.c_str());
    return 1;
}

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc != 3) {
        fprintf(stderr, "usage: qmdata_roundtrip export|check OUT-FOLDER\n");
        return 2;
    }
    std::string mode = argv[1], out = argv[2];
    FixtureDescription d = RichDescription();
    std::string data = FixtureWorkFolder(d);
    if (mode == "export") {
        MakeFolders(out);
        if (!FixtureInstall(d)) {
            fprintf(stderr, "fixture incomplete\n");
            return 1;
        }
        MakeFolders(data + "\\config");
        LogOpen(1, 1, (out + "\\export.log").c_str());
        BOOL saved = SaveQmConfiguration();
        std::vector<std::string> qms = Discovery(data);
        LogClose();
        std::string script = ReadTextFile(data + "\\config\\Config.reg");
        WriteTextFile(out + "\\Config.reg", script);
        WriteTextFile(out + "\\before.txt", Joined(Registry(FixtureProgramFolder(d))));
        WriteTextFile(out + "\\before-qm.txt", Joined(qms));
        FixtureRemove(d);
        printf("exported %u bytes, saved %d\n", (unsigned)script.size(), saved);
        return saved && !script.empty() ? 0 : 1;
    }
    LogOpen(1, 1, (out + "\\check.log").c_str());
    std::string registry = Joined(Registry(""));
    std::string qms = Joined(Discovery(data));
    LogClose();
    int result = Compare("registry", ReadTextFile(out + "\\before.txt"), registry);
    result |= Compare("queue managers", ReadTextFile(out + "\\before-qm.txt"), qms);
    if (qms.find("VL.THREE|C:\\vlroundtrip\\Program\\qmgrs\\QM3|C:\\vlroundtrip\\Data\\log|tcp") == std::string::npos) {
        printf("queue manager VL.THREE lacks its program-folder directory, default log path or listener\n");
        result = 1;
    }
    return result;
}
