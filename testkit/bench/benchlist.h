// Shared by the two baseline programs of the removal benchmark: the files a
// component list names below a target folder, and the folders that held them.
#pragma once
#include <string>
#include <vector>

// Reads LIST (the component list format: the path runs from the first
// backslash of a line; ";" and "#" lines are comments) into full paths below
// target, and the distinct folders between target and each file, deepest
// first. 1 / 0 (list not readable).
int ReadBenchList(const char *listPath, const std::string &target, std::vector<std::string> *files,
                  std::vector<std::string> *folders);
// Removes the folders in the given order; the number removed.
int RemoveBenchFolders(const std::vector<std::string> &folders);
