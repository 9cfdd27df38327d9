// Feeds arbitrary bytes to the response file grammar, line by line as the
// reader does (pieces of at most 515 characters), and looks up a few keys.
#include "core/responseparse.h"
#include <stddef.h>
#include <stdint.h>
#include <string.h>

static void Quiet(const char *) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ResponseTable table;
    ResponseInit(&table);
    size_t at = 0;
    while (at < size) {
        char line[RESPONSE_LINE_SIZE];
        size_t n = 0;
        while (at < size && n < RESPONSE_LINE_SIZE - 1) {
            char c = (char)data[at++];
            line[n++] = c;
            if (c == '\n') break;
        }
        line[n] = 0;
        ResponseParseLine(&table, line, Quiet);
    }
    const char *value;
    ResponseFind(&table, "Varolink", "Varolink", &value);
    ResponseFind(&table, "Components", "Local Clients\\Windows NT Client", &value);
    ResponseFree(&table);
    return 0;
}
