// Text of the system's ANSI code page (single- or double-byte) as UTF-8, for
// what leaves the program in a format that is UTF-8 by definition (the
// receipt). The log and every path inside the program stay in the code page.
#pragma once
#include <string>

// Converts through UTF-16 (the code page's own rules, so a lead byte is never
// read apart from its trail byte). A byte the code page does not define
// becomes the system's replacement character. 1 when converted, 0 when the
// system refused (out is then empty). May throw std::bad_alloc: callers
// that must not throw catch it.
int AnsiToUtf8(const char *text, std::string *out);
