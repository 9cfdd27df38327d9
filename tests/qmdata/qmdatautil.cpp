#include "qmdatautil.h"
#include "core/log.h"
#include "removal/registry.h"

FixtureDescription TempDescription(const char *tag)
{
    FixtureDescription d;
    d.Root = MakeUniqueTempFolder(tag);
    d.CopyNlsLibrary = false;
    return d;
}

std::vector<std::string> LogBody(const std::string &logPath)
{
    std::vector<std::string> lines = LogEntries(logPath);
    if (lines.size() >= 3 && lines[1].rfind("*****", 0) == 0) lines.erase(lines.begin(), lines.begin() + 3);
    return lines;
}

std::string RegText(const std::string &keyPath, const char *name, DWORD *type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<none>";
    char data[2048];
    DWORD size = sizeof data - 1, kind = 0;
    LONG rc = RegQueryValueExA(key, name, NULL, &kind, (BYTE *)data, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<none>";
    if (type) *type = kind;
    if (kind == REG_DWORD) return std::to_string(*(DWORD *)data);
    data[size] = 0;
    return data;
}

void ClearProductKey() { DeleteRegistryTree("Software\\Norvik", NULL, TRUE); }

std::vector<std::string> FileLines(const std::string &path)
{
    std::string text = ReadTextFile(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
