// The expected difference of a scenario: what must go, what may go, what
// must stay, what must or may come and what may change, as patterns over the
// identities of snapshot lines ("file C:\Varolink\Program\bin\*"). A pattern
// is compared without regard to case; "*" stands for any run of characters.
// Anything the patterns do not account for is a failure, so a scenario also
// proves that nothing else was touched. A property line (a service's run
// state, an owner, an access list) that went or came with its object is
// accounted for by the object; a change of one is named by its own identity
// ("acl key HKLM\...", "state service ...") like any other change.
#pragma once
#include "snapshot.h"
#include <string>
#include <vector>

struct ExpectedDifference {
    std::vector<std::string> MustGo;      // each matches a line before; every such line is gone
    std::vector<std::string> MayGo;       // gone lines allowed (directories emptied on the way)
    std::vector<std::string> MustStay;    // each matches a line before; none of them gone or changed
    std::vector<std::string> MustCome;    // each matches a line that came
    std::vector<std::string> MayCome;     // lines that may come
    std::vector<std::string> MustChange;  // each matches an entry whose state changed
    std::vector<std::string> MayChange;   // changes allowed
};

bool PatternMatches(const std::string &pattern, const std::string &text);
// The failures, one readable line each; empty when the difference is the expected one.
std::vector<std::string> CheckDifference(const std::vector<std::string> &before, const std::vector<std::string> &after,
                                         const ExpectedDifference &expected);
