// The configuration export's round trip, in two Wine prefixes:
//   qmdata_roundtrip export OUT   (build prefix) lays down a rich configuration,
//       saves it to Config.reg, copies the script to OUT and records in OUT what
//       the registry should hold after an import (before.txt) and what
//       queue-manager discovery finds (before-qm.txt);
//   qmdata_roundtrip check OUT    (a clean prefix, after regedit /s OUT\Config.reg)
//       records the same from the imported registry and compares every
//       value, type and data; then, with the configuration key gone, reads
//       the script itself as the next run would (queue managers, log
//       default path) and compares again.
// Exit 0 when equal (or exported), 1 otherwise.
#include "fixture.h"
#include "qmconfig/qmexport.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "qmconfig/logdefault.h"
#include "removal/registry.h"
#include "core/log.h"
#include "core/codepage.h"
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <string>
#include <vector>

static const char kProduct[] = "Software\\Norvik\\Varolink\\CurrentVersion";
static const std::string kConfig = std::string(kProduct) + "\\Configuration";

// count bytes of every value, as hex digits.
static std::string BigHex(int count)
{
    std::string hex;
    char item[3];
    for (int i = 0; i < count; i++) {
        snprintf(item, sizeof item, "%02x", (i * 37 + 11) & 0xff);
        hex += item;
    }
    return hex;
}

static FixtureDescription RichDescription()
{
    FixtureDescription d;
    d.Root = "C:\\vlroundtrip";
    d.CopyNlsLibrary = false;
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
        // Every form regedit must read back to the same type and data.
        {"sz", "Misc", "say \"hi\" C:\\x\\", "a name with a quote and backslashes"},
        {"sz", "Misc", "Lines", "one\r\ntwo\nthree %PROGRAM%\r\n"},
        {"multi", "Misc", "Multi", "first|%PROGRAM%\\bin|last %PROGRAM%"},
        {"binary", "Misc", "Blob", "0001fe7f80"},
        {"binary", "Misc", "Big", BigHex(2000)},
        {"sz", "Misc", "LongText", std::string(2000, 'x') + "\\%PROGRAM%"},
        {"hex(b)", "Misc", "Qword", "0102030405060708"},
        {"hex(0)", "Misc", "None", ""},
        {"hex(4)", "Misc", "ShortDword", "0201"},
        // A queue manager whose settings take the hex forms: the next run
        // reads them back from the script alone.
        {"expand", "LogDefaults", "LogDefaultPath", "C:\\vlroundtrip\\Data\\log"},
        {"sz", "QueueManager\\QM4", "Name", "VL.FOUR"},
        {"expand", "QueueManager\\QM4", "Prefix", "C:\\vlroundtrip\\Data\\qm4 home"},
        {"sz", "QueueManager\\QM4", "Description", std::string(2000, 'd')},
        {"sz", "QueueManager\\QM4", "Directory", "QM4"},
        {"sz", "QueueManager\\QM4\\Log", "LogPath", "C:\\vlroundtrip\\Data\\log\\Bob's QM4"},
    };
    if (GetACP() == 932) {
        // Code page 932: characters whose second byte is '\\' (ソ 83 5C,
        // 表 95 5C) in names and data, beside real backslashes and quotes,
        // and one ending the text (before the closing quote).
        d.ConfigValues.push_back({"sz", "Misc", "\x95\x5C\\\x83\x5C", "C:\\\x83\x5C\\\x95\x5C"});
        d.ConfigValues.push_back({"sz", "Misc", "Quotes932", "\x83\x5C\"'\\\x95\x5C\\%PROGRAM%\\\x83\x5C"});
        // A queue manager's log path ending in 5C, read back from the script.
        d.ConfigValues.push_back({"sz", "QueueManager\\QM4\\Log", "LogPath", "C:\\vlroundtrip\\Data\\log\\\x83\x5C\x95\x5C"});
        // A queue manager whose key and name end in 5C (アソ 83 41 83 5C):
        // its Prefix kept literal by the "%QM%" pair, its listener found
        // again by its key name.
        d.ConfigValues.push_back({"sz", "QueueManager\\\x83\x41\x83\x5C", "Name", "VL.\x83\x41\x83\x5C"});
        d.ConfigValues.push_back({"sz", "QueueManager\\\x83\x41\x83\x5C", "Directory", "\x83\x41\x83\x5C"});
        d.ConfigValues.push_back({"sz", "QueueManager\\\x83\x41\x83\x5C", "Prefix", "%PROGRAM%"});
        d.ConfigValues.push_back({"dword", "Services\\\x83\x41\x83\x5C\\Listener", "Protocol", "2"});
    }
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

// The data of a value as a line shows it: text types as their strings
// (zeros shown as \0, the placeholder applied with folder), dwords in hex,
// everything else as hex bytes.
static std::string Shown(DWORD type, const BYTE *data, DWORD size, const std::string &folder)
{
    char hex[16];
    if (type == REG_DWORD && size == 4) {
        snprintf(hex, sizeof hex, "%08lx", *(const DWORD *)data);
        return hex;
    }
    std::string out;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::string text((const char *)data, size);
        for (size_t at = 0; at <= text.size();) {
            size_t zero = text.find('\0', at);
            std::string piece = text.substr(at, zero == std::string::npos ? std::string::npos : zero - at);
            out += folder.empty() ? piece : Placeholders(piece, folder);
            if (zero == std::string::npos) break;
            out += "\\0";
            at = zero + 1;
        }
        return out;
    }
    for (DWORD i = 0; i < size; i++) {
        snprintf(hex, sizeof hex, "%02x", data[i]);
        out += hex;
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
        BYTE data[8192];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS) break;
        if (machine && !IsMachineValue(name)) continue;
        bool literal = path.rfind(kConfig + "\\QueueManager\\", 0) == 0 && !_stricmp(name, "Prefix");
        out->push_back(path + "|" + (name[0] ? name : "@") + "|type " + std::to_string(type) + "|" +
                       Shown(type, data, dataSize, literal ? "" : folder));
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
    UseSystemCodePage();
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

    // The next run's own reading of the script: with the imported
    // configuration gone, discovery and the log default path come from
    // Config.reg alone.
    DeleteRegistryTree(kConfig.c_str(), NULL, TRUE);
    MakeFolders(data + "\\config");
    std::string script = data + "\\config\\Config.reg";
    WriteTextFile(script, ReadTextFile(out + "\\Config.reg"));
    std::string fromScript = Joined(Discovery(data));
    char logDefault[MAX_PATH] = "";
    ReadLogDefaultPath(script.c_str(), logDefault);
    LogClose();
    DeleteFileA(script.c_str());

    int result = Compare("registry", ReadTextFile(out + "\\before.txt"), registry);
    result |= Compare("queue managers", ReadTextFile(out + "\\before-qm.txt"), qms);
    result |= Compare("queue managers from Config.reg", ReadTextFile(out + "\\before-qm.txt"), fromScript);
    result |= Compare("log default path from Config.reg", "c:\\vlroundtrip\\data\\log\n", std::string(logDefault) + "\n");
    if (qms.find("VL.THREE|C:\\vlroundtrip\\Program\\qmgrs\\QM3|C:\\vlroundtrip\\Data\\log|tcp") == std::string::npos) {
        printf("queue manager VL.THREE lacks its program-folder directory, default log path or listener\n");
        result = 1;
    }
    if (GetACP() == 932 &&
        qms.find("VL.\x83\x41\x83\x5C|C:\\vlroundtrip\\Program\\qmgrs\\\x83\x41\x83\x5C|C:\\vlroundtrip\\Data\\log|tcp") ==
            std::string::npos) {
        printf("queue manager VL.\x83\x41\x83\x5C lacks its program-folder directory, default log path or listener\n");
        result = 1;
    }
    std::string fourLog = GetACP() == 932 ? "C:\\vlroundtrip\\Data\\log\\\x83\x5C\x95\x5C" : "C:\\vlroundtrip\\Data\\log\\Bob's QM4";
    if (qms.find("VL.FOUR|C:\\vlroundtrip\\Data\\qm4 home\\qmgrs\\QM4|" + fourLog + "|-") == std::string::npos) {
        printf("queue manager VL.FOUR lacks its prefix or log path\n");
        result = 1;
    }
    return result;
}
