#include "testutil.h"
#include "core/log.h"
#include "fixture.h"
#include <shlwapi.h>
#include <stdio.h>
#include <gtest/gtest.h>

static int sCounter;

std::string MakeTempFolder(const char *tag) { return MakeUniqueTempFolder(tag); }

void RemoveFolderTree(const std::string &path) { DeleteFolderTree(path); }

void WriteTextFile(const std::string &path, const char *text)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file != NULL) << path;
    fputs(text, file);
    fclose(file);
}

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

int CountOf(const std::string &text, const std::string &needle)
{
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) count++;
    return count;
}

int FailureLines(const std::string &text)
{
    int count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        // "HH:MM:SS ***text"
        if (line.size() > 12 && line.compare(9, 3, "***") == 0 && line[12] != '*') count++;
        start = end + 1;
    }
    return count;
}

size_t Where(const std::string &text, const std::string &needle) { return text.find(needle); }

std::string TestKeyPath(const char *tag)
{
    char path[200];
    snprintf(path, sizeof path, "Software\\VlPrimsTest\\%s-%lu-%d", tag, GetCurrentProcessId(), ++sCounter);
    return path;
}

std::string ProductTestKeyPath(const char *tag)
{
    char path[200];
    snprintf(path, sizeof path, "Software\\Norvik\\Varolink\\VlPrimsTest-%s-%lu-%d", tag, GetCurrentProcessId(),
             ++sCounter);
    return path;
}

void CreateKey(const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL))
        << path;
    RegCloseKey(key);
}

void DeleteKeyTree(const std::string &path) { SHDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()); }

std::string BinPath(const char *name) { return std::string(VL_BIN_DIR) + "\\" + name; }
