#include "benchlist.h"
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <set>

int ReadBenchList(const char *listPath, const std::string &target, std::vector<std::string> *files,
                  std::vector<std::string> *folders)
{
    FILE *list = fopen(listPath, "rt");
    if (!list) return 0;
    char line[1024];
    std::set<std::string> seen;
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = 0;
        if (line[0] == ';' || line[0] == '#') continue;
        const char *slash = strchr(line, '\\');
        if (!slash) continue;
        std::string path = target + slash;
        files->push_back(path);
        for (size_t at = path.rfind('\\'); at != std::string::npos && at > target.size(); at = path.rfind('\\', at - 1))
            if (!seen.insert(path.substr(0, at)).second) break;
    }
    fclose(list);
    folders->assign(seen.begin(), seen.end());
    // Deepest first: a folder comes before every folder that holds it.
    std::stable_sort(folders->begin(), folders->end(), [](const std::string &a, const std::string &b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    return 1;
}

int RemoveBenchFolders(const std::vector<std::string> &folders)
{
    int removed = 0;
    for (const std::string &folder : folders) removed += RemoveDirectoryA(folder.c_str()) != 0;
    return removed;
}
