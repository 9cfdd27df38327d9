// The registry-script rules on untrusted text: the first line of the input is
// avlirgdn.u01 text up to a NUL, the rest a value text. Every output must be
// terminated, fit its buffer, and never be a shortened form of the value.
#include "qmconfig/regscript.h"
#include "removal/datafolders.h"
#include "core/pathrules.h"
#include <stdlib.h>
#include <strings.h>
#include <string.h>
#include <string>

static void NoLog(void *, const char *) {}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    std::string input((const char *)data, size);
    size_t split = input.find('\0');
    std::string listText = input.substr(0, split);
    std::string value = split == std::string::npos ? "" : input.substr(split + 1);
    value = value.substr(0, strnlen(value.c_str(), value.size()));

    VerbatimPair *list = NULL;
    FILE *file = fmemopen(listText.empty() ? (void *)"" : &listText[0], listText.size(), "r");
    if (file) {
        ReadVerbatimList(file, &list, NoLog, NULL);
        fclose(file);
    }

    char line[REG_LINE_SIZE], out[REG_LINE_SIZE];
    if (FormatRegStringLine("Name", value.c_str(), line, sizeof line)) {
        if (strnlen(line, sizeof line) >= sizeof line) abort();
        // The escaped text, unescaped again, is the value.
        std::string back;
        const char *text = line + strlen("\"Name\"=\"");
        size_t n = strlen(text);
        if (n == 0 || text[n - 1] != '"') abort();
        for (size_t i = 0; i + 1 < n; i++) back += text[i] == '\\' ? text[++i] : text[i];
        if (back != value) abort();
    } else if (line[0]) {
        abort();
    }

    RegScriptState state = {};
    ProgramFolderForms forms;
    int known = MakeProgramFolderForms(value.substr(0, 40).c_str(), &forms);
    PrepareRegScriptLine(&state, list, NULL, listText.substr(0, 300).c_str(), out, sizeof out);
    int kind = PrepareRegScriptLine(&state, list, known ? &forms : NULL, value.c_str(), out, sizeof out);
    if (strnlen(out, sizeof out) >= sizeof out) abort();
    if (kind == 0 && out[0]) abort();
    LineIsVerbatim(list, state.Header, value.c_str());

    char folder[260];
    int csd = ServiceLevelFolder(value.c_str(), "C:\\P", folder, sizeof folder);
    if (csd == CSD_FOLDER_INSIDE &&
        (strncasecmp(folder, "C:\\P\\", 5) != 0 || CheckFolderPath(folder, NULL, 0) != PATH_SAFE))
        abort();
    FreeVerbatimList(&list);
    return 0;
}
