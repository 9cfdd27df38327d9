// The registry-script rules on untrusted text: the input is avlirgdn.u01 text
// up to a NUL, the rest a value's data. Every line written must fit a line,
// and the script's own readers must read back the data that was written.
#include "qmconfig/regscript.h"
#include "qmconfig/configtext.h"
#include "removal/datafolders.h"
#include "core/pathrules.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <strings.h>
#include <string.h>
#include <string>
#include <vector>

static void NoLog(void *, const char *) {}

static void Judge(const unsigned char *data, size_t size)
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

    // The value as every type: each line fits, and the script's readers
    // get back what regedit would store (up to what they keep).
    static const unsigned long kTypes[] = {SCRIPT_REG_SZ, SCRIPT_REG_EXPAND_SZ, SCRIPT_REG_BINARY, SCRIPT_REG_DWORD,
                                           SCRIPT_REG_MULTI_SZ, 11};
    std::string raw = input.substr(split == std::string::npos ? input.size() : split + 1);
    std::string name = listText.substr(0, 60);
    for (unsigned long type : kTypes) {
        std::vector<std::string> lines;
        int result = WriteRegValue(name.c_str(), type, (const unsigned char *)raw.data(), raw.size(), NULL,
                                   [](void *context, const char *line) {
                                       ((std::vector<std::string> *)context)->push_back(line);
                                       return 1;
                                   },
                                   &lines);
        if (result != REG_VALUE_WRITTEN) {
            if (result != REG_VALUE_BAD_NAME || !lines.empty()) abort();
            continue;
        }
        for (const std::string &line : lines)
            if (line.size() >= REG_LINE_SIZE || line.find_first_of("\r\n") != std::string::npos) abort();
        // The data starts after the '=' that follows the (quoted) name.
        std::string first = lines[0];
        size_t equals = first[0] == '@' ? 1 : std::string::npos;
        for (size_t i = 1; first[0] == '"' && i < first.size(); i = (size_t)(MbNext(first.c_str() + i) - first.c_str())) {
            if (first[i] == '\\') i = (size_t)(MbNext(first.c_str() + i) - first.c_str());
            else if (first[i] == '"') { equals = i + 1; break; }
        }
        if (equals == std::string::npos || first[equals] != '=') abort();
        const char *written = first.c_str() + equals + 1;
        RegHexData hex;
        std::string back;
        if (RegHexBegin(written, &hex)) {
            for (size_t i = 1; i < lines.size(); i++)
                if (!hex.More || !RegHexContinue(lines[i].c_str(), &hex)) abort();
            if (hex.More || hex.Bad || hex.Total != raw.size()) abort();
            back.assign((const char *)hex.Bytes, hex.Kept);
            if (back != raw.substr(0, REG_HEX_KEEP)) abort();
        } else if (type == SCRIPT_REG_SZ) {
            char text[REG_LINE_SIZE];
            if (lines.size() != 1 || !DecodeRegString(written, text, sizeof text)) abort();
            if (std::string(text) != raw.substr(0, strnlen(raw.c_str(), raw.size()))) abort();
        } else if (type != SCRIPT_REG_DWORD || raw.size() != 4) {
            abort();
        }
    }

    RegScriptState state = {};
    size_t substitutedSize = 0;
    unsigned char *substituted = SubstituteProgramFolder((const unsigned char *)raw.data(), raw.size(),
                                                         value.substr(0, 40).c_str(), &substitutedSize);
    free(substituted);
    ValueIsVerbatim(list, state.Header, value.c_str());

    char folder[260];
    int csd = ServiceLevelFolder(value.c_str(), "C:\\P", folder, sizeof folder);
    if (csd == CSD_FOLDER_INSIDE &&
        (strncasecmp(folder, "C:\\P\\", 5) != 0 || CheckFolderPath(folder, NULL, 0) != PATH_SAFE))
        abort();
    FreeVerbatimList(&list);
}

// Every input twice: in a single-byte code page and in 932, where a second
// byte may be '\\' or a quote's neighbour and is never escaped.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
