// The text side of snapshots: lines, identities, difference, files.
#include "snapshot.h"
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <map>

std::string SnapshotIdentity(const std::string &line)
{
    size_t tab = line.find('\t');
    return tab == std::string::npos ? line : line.substr(0, tab);
}

std::string SnapshotPropertyObject(const std::string &identity)
{
    for (const char *kind : {"state ", "owner ", "acl "}) {
        size_t length = strlen(kind);
        if (identity.compare(0, length, kind) == 0) return identity.substr(length);
    }
    return "";
}

static std::string StateOf(const std::string &line)
{
    size_t tab = line.find('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

SnapshotDifference DiffSnapshots(const std::vector<std::string> &before, const std::vector<std::string> &after)
{
    std::map<std::string, std::string> old, now;
    for (const std::string &line : before) old[SnapshotIdentity(line)] = line;
    for (const std::string &line : after) now[SnapshotIdentity(line)] = line;
    SnapshotDifference difference;
    for (const auto &entry : old) {
        auto found = now.find(entry.first);
        if (found == now.end()) difference.Gone.push_back(entry.second);
        else if (found->second != entry.second)
            difference.Changed.push_back(entry.first + "\t" + StateOf(entry.second) + " -> " + StateOf(found->second));
    }
    for (const auto &entry : now)
        if (!old.count(entry.first)) difference.Came.push_back(entry.second);
    return difference;
}

std::string FormatDifference(const SnapshotDifference &difference)
{
    std::string text;
    for (const std::string &line : difference.Gone) text += "- " + line + "\n";
    for (const std::string &line : difference.Came) text += "+ " + line + "\n";
    for (const std::string &line : difference.Changed) text += "~ " + line + "\n";
    return text;
}

int WriteSnapshotFile(const std::string &path, const std::vector<std::string> &lines)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    int ok = 1;
    for (const std::string &line : lines)
        if (fwrite(line.data(), 1, line.size(), file) != line.size() || fputc('\n', file) == EOF) ok = 0;
    if (fclose(file) != 0) ok = 0;
    return ok;
}

int ReadSnapshotFile(const std::string &path, std::vector<std::string> *lines)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return 0;
    lines->clear();
    std::string line;
    int c;
    while ((c = fgetc(file)) != EOF) {
        if (c != '\n') {
            line += (char)c;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(line);
        line.clear();
    }
    if (!line.empty()) lines->push_back(line);
    fclose(file);
    return 1;
}

unsigned long SnapshotCrc32(unsigned long crc, const void *data, size_t size)
{
    static unsigned long table[256];
    if (!table[1])
        for (unsigned long n = 0; n < 256; n++) {
            unsigned long c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    const unsigned char *bytes = (const unsigned char *)data;
    crc = ~crc & 0xFFFFFFFFUL;
    for (size_t i = 0; i < size; i++) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc & 0xFFFFFFFFUL;
}
