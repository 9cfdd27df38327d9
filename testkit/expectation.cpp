#include "expectation.h"
#include <ctype.h>
#include <windows.h>

// The characters of text in the system code page, single-byte A-Z folded
// (the second byte of a double-byte character never is).
static std::vector<std::string> Characters(const std::string &text)
{
    std::vector<std::string> characters;
    for (const char *c = text.c_str(); *c;) {
        const char *next = CharNextA(c);
        if (next == c) next = c + 1;
        std::string one(c, next);
        if (one.size() == 1) one[0] = (char)tolower((unsigned char)one[0]);
        characters.push_back(one);
        c = next;
    }
    return characters;
}

// Iterative wildcard match with one back-tracking point per "*", over
// characters (single-byte text: bytes, folded; else Characters above).
template <typename Seq, typename Same>
static bool Match(const Seq &pattern, const Seq &text, Same same, typename Seq::value_type star)
{
    size_t p = 0, t = 0, starAt = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == star) {
            starAt = p++;
            resume = t;
        } else if (p < pattern.size() && same(pattern[p], text[t])) {
            p++;
            t++;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == star) p++;
    return p == pattern.size();
}

bool PatternMatches(const std::string &pattern, const std::string &text)
{
    bool singleByte = true;
    for (unsigned char c : pattern) singleByte = singleByte && c < 0x80;
    for (unsigned char c : text) singleByte = singleByte && c < 0x80;
    if (singleByte)
        return Match(pattern, text, [](char a, char b) { return tolower((unsigned char)a) == tolower((unsigned char)b); },
                     '*');
    return Match(Characters(pattern), Characters(text),
                 [](const std::string &a, const std::string &b) { return a == b; }, std::string("*"));
}

static bool AnyMatches(const std::vector<std::string> &patterns, const std::string &identity)
{
    for (const std::string &pattern : patterns)
        if (PatternMatches(pattern, identity)) return true;
    return false;
}

static std::vector<std::string> Identities(const std::vector<std::string> &lines)
{
    std::vector<std::string> identities;
    for (const std::string &line : lines) identities.push_back(SnapshotIdentity(line));
    return identities;
}

std::vector<std::string> CheckDifference(const std::vector<std::string> &before, const std::vector<std::string> &after,
                                         const ExpectedDifference &expected)
{
    SnapshotDifference difference = DiffSnapshots(before, after);
    std::vector<std::string> gone = Identities(difference.Gone), came = Identities(difference.Came);
    std::vector<std::string> changed = Identities(difference.Changed), old = Identities(before);
    std::vector<std::string> failures;
    auto contains = [](const std::vector<std::string> &list, const std::string &item) {
        for (const std::string &one : list)
            if (one == item) return true;
        return false;
    };
    for (const std::string &pattern : expected.MustGo) {
        bool seen = false;
        for (const std::string &identity : old) {
            if (!PatternMatches(pattern, identity)) continue;
            seen = true;
            if (!contains(gone, identity)) failures.push_back("should have gone: " + identity);
        }
        if (!seen) failures.push_back("nothing before matches what must go: " + pattern);
    }
    for (const std::string &pattern : expected.MustStay) {
        bool seen = false;
        for (const std::string &identity : old) {
            if (!PatternMatches(pattern, identity)) continue;
            seen = true;
            if (contains(gone, identity)) failures.push_back("should have stayed: " + identity);
            else if (contains(changed, identity)) failures.push_back("should have stayed unchanged: " + identity);
        }
        if (!seen) failures.push_back("nothing before matches what must stay: " + pattern);
    }
    for (const std::string &pattern : expected.MustCome) {
        bool seen = false;
        for (const std::string &identity : came) seen |= PatternMatches(pattern, identity);
        if (!seen) failures.push_back("should have come: " + pattern);
    }
    for (const std::string &pattern : expected.MustChange) {
        bool seen = false;
        for (const std::string &identity : changed) seen |= PatternMatches(pattern, identity);
        if (!seen) failures.push_back("should have changed: " + pattern);
    }
    // A property (run state, owner, access list) goes and comes with its object.
    auto withObject = [&](const std::string &identity, const std::vector<std::string> &objects) {
        std::string object = SnapshotPropertyObject(identity);
        return !object.empty() && contains(objects, object);
    };
    for (const std::string &line : difference.Gone)
        if (!AnyMatches(expected.MustGo, SnapshotIdentity(line)) && !AnyMatches(expected.MayGo, SnapshotIdentity(line)) &&
            !withObject(SnapshotIdentity(line), gone))
            failures.push_back("went unexpectedly: " + line);
    for (const std::string &line : difference.Came)
        if (!AnyMatches(expected.MustCome, SnapshotIdentity(line)) && !AnyMatches(expected.MayCome, SnapshotIdentity(line)) &&
            !withObject(SnapshotIdentity(line), came))
            failures.push_back("came unexpectedly: " + line);
    for (const std::string &line : difference.Changed) {
        std::string identity = SnapshotIdentity(line);
        if (!AnyMatches(expected.MustChange, identity) && !AnyMatches(expected.MayChange, identity) &&
            !AnyMatches(expected.MustStay, identity))  // a changed must-stay entry is reported above
            failures.push_back("changed unexpectedly: " + line);
    }
    return failures;
}
