// vlfixture: lays down or removes a sample installation from a description file.
//   vlfixture install DESCRIPTION-FILE
//   vlfixture remove DESCRIPTION-FILE
#include "fixture.h"
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc != 3 || (strcmp(argv[1], "install") && strcmp(argv[1], "remove"))) {
        fprintf(stderr, "usage: vlfixture install|remove DESCRIPTION-FILE\n");
        return 2;
    }
    FixtureDescription d;
    if (!FixtureReadDescription(argv[2], &d)) {
        fprintf(stderr, "vlfixture: cannot read the description '%s'\n", argv[2]);
        return 2;
    }
    if (!strcmp(argv[1], "remove")) {
        FixtureRemove(d);
        printf("Removed the installation in %s\n", d.Root.c_str());
        return 0;
    }
    if (!FixtureInstall(d)) {
        fprintf(stderr, "vlfixture: the installation in %s is incomplete\n", d.Root.c_str());
        return 1;
    }
    printf("Installed release %s in %s (%u components)\n", d.Release.c_str(), d.Root.c_str(),
           (unsigned)d.Components.size());
    return 0;
}
