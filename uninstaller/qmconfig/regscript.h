// Text rules of the registry script Config.reg that saves the queue managers'
// configuration: value lines in the forms regedit reads back to the same type
// and data (strings, dwords, hex forms continued over several lines), the
// %PGMDIR% placeholder for the program folder, and the list of values the
// installer wants exported literally (avlirgdn.u01). No Windows dependency: the host build tests and
// fuzzes these rules; qmexport.cpp writes the script with them.
#pragma once
#include <stddef.h>
#include <stdio.h>

enum {
    REG_LINE_SIZE = 516,     // script lines are formatted in buffers of this size
    VERBATIM_LINE_SIZE = 260 // avlirgdn.u01 is read in lines of at most 259 characters
};

// One (key header, value name) pair of avlirgdn.u01; newest first.
struct VerbatimPair {
    VerbatimPair *Next;
    char *Key;    // "[HKEY_LOCAL_MACHINE\...]", brackets kept; may contain %QM%
    char *Name;   // value name without quotes
};

// The kinds of line of avlirgdn.u01.
enum { VERBATIM_SKIP = 0, VERBATIM_KEY = 1, VERBATIM_NAME = 2 };
// Classifies one line as read (cut at CR, then LF; ';' and '#' comments):
// a '[' line copies the cleaned key into key; a '"' line copies the cleaned
// text before the first '=' into name. A key or name that does not fit is
// skipped rather than shortened into another one.
int ParseVerbatimLine(char *line, char *key, size_t keySize, char *name, size_t nameSize);

// Reads the whole list. log receives each failure line; returns 0 when a
// pair could not be stored (the pairs read so far stay in *head).
int ReadVerbatimList(FILE *file, VerbatimPair **head, void (*log)(void *context, const char *text),
                     void *context);
void FreeVerbatimList(VerbatimPair **head);

// A pair key matches a header: equal (case ignored), or for a key holding
// %QM% the header starts with the text before it and ends with the (non-empty)
// text after it, the two not overlapping.
int VerbatimKeyMatches(const char *pairKey, const char *header);
// The value name is listed for literal export under this header (names
// compare without regard to case).
int ValueIsVerbatim(const VerbatimPair *list, const char *header, const char *name);

// Escapes a string value (a backslash before each '"', '\'' and '\\').
// Returns 0, with out empty, when the escaped text does not fit.
int EscapeRegText(const char *text, char *out, size_t size);

// Value types as the registry numbers them (the Windows headers call them REG_*).
enum {
    SCRIPT_REG_NONE = 0,
    SCRIPT_REG_SZ = 1,
    SCRIPT_REG_EXPAND_SZ = 2,
    SCRIPT_REG_BINARY = 3,
    SCRIPT_REG_DWORD = 4,
    SCRIPT_REG_MULTI_SZ = 7
};
// Hex forms are wrapped as regedit wraps them: lines of at most this many
// characters, each but the last ended by a backslash.
enum { REG_HEX_WIDTH = 80 };

// Replaces each occurrence of the program folder in the text data (each of
// its zero-separated strings) that is followed by '\\', '"', '\'' or the end
// of the string with %PGMDIR% (case-sensitive): in the script each of these
// followers stands before a backslash or the closing quote. Returns a new
// buffer (free it) and its size in *outSize; NULL when out of memory.
unsigned char *SubstituteProgramFolder(const unsigned char *data, size_t size, const char *folder,
                                       size_t *outSize);

// Receives one script line (no line end); returns 0 on a write error.
typedef int (*RegLineWriter)(void *context, const char *line);

enum {
    REG_VALUE_WRITTEN = 1,
    REG_VALUE_WRITE_ERROR = 0,
    REG_VALUE_BAD_NAME = -1,   // a name too long for a line, or holding a line break
    REG_VALUE_NO_MEMORY = -2
};
// Writes one value as regedit reads it back to the same type and data:
//   REG_SZ on one line, "name"="escaped text", when the text holds no line
//   break, no zero before its end and fits a line; REG_DWORD of four bytes as
//   "name"=dword:xxxxxxxx; anything else in hex form: hex: for REG_BINARY,
//   hex(N): (N the type in hexadecimal) for the rest, REG_SZ included.
// The name is escaped ('"' and '\\'); NULL or "" is the default value (@).
// folder, when not NULL or empty, is replaced in text data first
// (SubstituteProgramFolder). Every line written is shorter than REG_LINE_SIZE.
int WriteRegValue(const char *name, unsigned long type, const unsigned char *data, size_t size,
                  const char *folder, RegLineWriter write, void *context);

// The state kept between the lines of one script.
struct RegScriptState {
    char Header[REG_LINE_SIZE];   // the header line last written
};
