// Feeds arbitrary command lines to the switch rules with the program's buffer sizes.
#include "app/cmdline.h"
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text((const char *)data, size);
    text = text.c_str();  // the command line ends at its first zero
    char name[260], params[2048], value[260];
    int fits;
    SplitCommandLine(text.c_str(), name, sizeof name, params, sizeof params);
    FlagSwitch(params, "S");
    FlagSwitch(params, "B");
    SwitchValue(params, "F1", value, sizeof value, &fits);
    SwitchValue(params, "I", value, sizeof value, &fits);
    SwitchValue(params, "U", value, sizeof value, &fits);
    LogSwitchValue(params, value, sizeof value, &fits);
    MifPathSyntaxValid(value);
    return 0;
}
