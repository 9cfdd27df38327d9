// Test helper: opens the shared log block as another module of the product
// would (no paths of its own) and writes the lines given on its command line.
#include "core/log.h"

int main(int argc, char **argv)
{
    LogOpen(0, 1, NULL);
    for (int i = 1; i < argc; i++) LogLine(argv[i]);
    LogClose();
    return 0;
}
