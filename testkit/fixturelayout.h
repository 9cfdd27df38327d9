// The parts of a sample installation that lie outside the program and data
// folders' component lists, or that need the build's stand-ins: list lines
// whose files live in the data or Windows folder, queue managers of a
// Config.reg script, plain files, object-class servers and Startup shortcuts.
#pragma once
#include "fixture.h"
#include <string>

// Reads one of the layout keys of a description line into d; 0 when key is
// none of them:
//   datalistline LIST LINE      list line of Program\uninst\LIST.u00 whose file lies below Data
//   windowslistline LIST LINE   the same below the Windows folder
//   scriptmanager KEY NAME [tcp]  a queue manager of Data\config\Config.reg
//   file program|data|log \PATH   a plain file below that folder ("log": the
//                                 description's logdefaultpath, else Data\log)
//   objectclass LIST \PATH      a list line of an object-class list; PATH ending
//                               in .exe is a copy of the local-server stand-in,
//                               anything else a library unregistered through
//                               Program\uninst\avliregn.exe (copied too)
//   startup NAME                a shortcut NAME.lnk in the common Startup folder
//   envappend NAME ENTRY        ENTRY appended to the system variable NAME
//                               (kept as it is otherwise; the entry is taken
//                               out again when the fixture is removed)
//   creationmask N              the product key's "CreationMask" (C notation)
//   uninstallentry              the product's entry in the Windows uninstall list
//                               ("Norvik Varolink Client V5.1", with DisplayName
//                               and the installer's own UninstallString)
int FixtureReadLayoutLine(const std::string &key, const std::string &text, FixtureDescription *d);
// Lays these parts down (called by FixtureInstall after the component lists). 1 / 0.
int FixtureInstallLayout(const FixtureDescription &d);
// Removes what FixtureInstallLayout put outside the fixture's root.
void FixtureRemoveLayout(const FixtureDescription &d);
