// A run over a large tree nobody here wrote: the prefix's own system folder.
#include "harness.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <stdio.h>
#include <string.h>

static const char* const kKeys[] = {
    "FileDescription", "BuildDate", "CompanyName", "FileVersion", "InternalName", "LegalCopyright",
    "Level", "OriginalFilename", "ProductName", "ProductVersion", "Package", "Release"};

static bool HasVersionData(const std::string& path)
{
    DWORD handle;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> data(size);
    return GetFileVersionInfoA(path.c_str(), 0, size, data.data()) != 0;
}

// The files a walk must report, in walk order, found independently of VLVer.
static void ExpectedFiles(const std::string& dir, std::vector<std::string>& files)
{
    WIN32_FIND_DATAA found;
    for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
        HANDLE h = FindFirstFileA((dir + pattern).c_str(), &found);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do
            if (HasVersionData(dir + "\\" + found.cFileName))
                files.push_back(dir + "\\" + found.cFileName);
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    HANDLE h = FindFirstFileA((dir + "\\*.").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !strchr(found.cFileName, '.'))
            ExpectedFiles(dir + "\\" + found.cFileName, files);
    while (FindNextFileA(h, &found));
    FindClose(h);
}

// The first translation's "FileVersion" as the version API gives it, if any.
static bool FileVersionOf(const std::string& path, std::string& version)
{
    DWORD handle;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::vector<BYTE> data(size);
    if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return false;
    WORD* translation;
    UINT length;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length) ||
        length < 4)
        return false;
    char name[64];
    snprintf(name, sizeof name, "\\StringFileInfo\\%04X%04X\\FileVersion", translation[0], translation[1]);
    char* text;
    if (!VerQueryValueA(data.data(), name, (void**)&text, &length))
        return false;
    version = text;
    return true;
}

TEST(VLVerSystemTree, EveryVersionedProgramAndLibraryIsReportedInWalkOrder)
{
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    std::string root = system;
    std::string report = root + "\\VLVER.TXT";
    DeleteFileA(report.c_str());  // left by an interrupted run in this private prefix

    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(root));
    RunResult r = RunVLVer();
    std::string text = ReadBytes(report);
    DeleteFileA(report.c_str());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_NE(std::string::npos, r.out.find("\r\nCreated file " + report + "\r\n"));

    std::vector<std::string> expected;
    ExpectedFiles(root, expected);
    ASSERT_GT(expected.size(), 100u);

    // Read the report block by block, checking each block's shape on the way.
    std::vector<std::string> lines;
    for (size_t at = 0, next; at < text.size(); at = next + 2) {
        next = text.find("\r\n", at);
        ASSERT_NE(std::string::npos, next) << "report does not end with a line end";
        lines.push_back(text.substr(at, next - at));
    }
    const std::string head = "Version information for file: ";
    std::vector<std::string> reported;
    size_t i = 0, versionsChecked = 0;
    while (i < lines.size()) {
        const std::string& h = lines[i++];
        ASSERT_EQ(0u, h.find(head)) << h;
        ASSERT_EQ("     ", h.substr(h.size() - 5));
        std::string path = h.substr(head.size(), h.size() - head.size() - 5);
        reported.push_back(path);
        if (i < lines.size() && lines[i].compare(0, 12, "Translation ") == 0) {
            ASSERT_EQ(20u, lines[i].size()) << lines[i];
            ASSERT_EQ(std::string::npos, lines[i].find_first_not_of("0123456789ABCDEF", 12)) << lines[i];
            i++;
        }
        size_t lastKey = 0;
        std::string version;
        bool hasVersion = FileVersionOf(path, version);
        bool sawVersion = false;
        for (; i < lines.size() && !lines[i].empty(); i++) {
            ASSERT_GE(lines[i].size(), 21u) << lines[i];
            std::string name = lines[i].substr(0, 20);
            name.erase(name.find_last_not_of(' ') + 1);
            const char* const* k = std::find(kKeys + lastKey, kKeys + 12, name);
            ASSERT_NE(kKeys + 12, k) << "key out of order in the block of " << path << ": " << lines[i];
            lastKey = k - kKeys + 1;
            if (name == "FileVersion") {
                sawVersion = true;
                EXPECT_TRUE(hasVersion && lines[i].substr(21) == version) << path;
                versionsChecked++;
            }
        }
        EXPECT_EQ(hasVersion, sawVersion) << path;
        ASSERT_LT(i, lines.size()) << "block of " << path << " does not end with an empty line";
        i++;
    }
    EXPECT_EQ(expected, reported);
    EXPECT_GT(versionsChecked, 100u);
}
