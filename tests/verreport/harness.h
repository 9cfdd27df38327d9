// Helpers for the VLVer tests: the product key, a run of VLVer.exe, sample trees.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Sets the product key's "FilePath" for one test and puts back on destruction
// what was there before: the old value, or no value, and no key levels it created.
class ProductKey {
public:
    ProductKey();
    ~ProductKey();
    bool SetFilePath(const std::string& folder);
    void RemoveFilePath();
    bool ExistedBefore() const { return created_ == 0; }

private:
    HKEY key_ = NULL;
    int created_ = 0;  // how many trailing levels of the key path this test created
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldValue_;
};

struct RunResult {
    bool finished = false;  // ended by itself, without a crash or the time limit
    bool crashed = false;
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // standard output, as bytes
};

// Runs bin\VLVer.exe with the given arguments (each quoted), at most one minute.
RunResult RunVLVer(const std::vector<std::string>& args = {});

// A new, empty folder under the temporary folder; removed by RemoveTree.
std::string MakeTempTree(const char* tag);
void RemoveTree(const std::string& dir);
// These accept paths of any length.
bool MakeDir(const std::string& dir);
bool CopySample(const char* sample, const std::string& dest);  // sample: file name in bin
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// The report block VLVer writes for one file: header, translation, key lines
// ("Key", "value" pairs, in report order) and the empty line, with CR LF ends.
std::string Block(const std::string& path, const char* translation,
                  const std::vector<std::pair<std::string, std::string>>& keys);
// The console line VLVer shows while it looks in a folder.
std::string LookingIn(const std::string& dir);
