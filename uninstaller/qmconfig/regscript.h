// Text rules of the registry script Config.reg that saves the queue managers'
// configuration: value lines and their escaping, the %PGMDIR% placeholder for
// the program folder, and the list of values the installer wants exported
// literally (avlirgdn.u01). No Windows dependency: the host build tests and
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

// The "program folder" in both forms the script can hold it in.
struct ProgramFolderForms {
    char Plain[REG_LINE_SIZE];     // C:\Program Files\Varolink
    char Escaped[REG_LINE_SIZE];   // C:\\Program Files\\Varolink
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
// The value line is listed for literal export under this header.
int LineIsVerbatim(const VerbatimPair *list, const char *header, const char *line);

// Escapes a string value (a backslash before each '"', '\'' and '\\').
// Returns 0, with out empty, when the escaped text does not fit.
int EscapeRegText(const char *text, char *out, size_t size);
// "name"="escaped text" (name NULL or "" gives @) and "name"=dword:xxxxxxxx.
// Return 0, with out empty, when the line does not fit: a value is never cut.
int FormatRegStringLine(const char *name, const char *text, char *out, size_t size);
int FormatRegDwordLine(const char *name, unsigned long value, char *out, size_t size);

// Fills both forms; 0 when the folder is empty or too long to be replaced.
int MakeProgramFolderForms(const char *programFolder, ProgramFolderForms *forms);
// Replaces each occurrence of the plain, then of the escaped program folder
// that is followed by '\\', '"' or the end of the line with %PGMDIR%
// (case-sensitive). Returns 0, with out empty, when the result does not fit.
int SubstituteProgramFolder(const char *line, const ProgramFolderForms *forms, char *out, size_t size);

// The state kept between the lines of one script.
struct RegScriptState {
    char Header[REG_LINE_SIZE];   // the header line last written
};
// Works out the text of one script line as it is written: a header (text
// starting with '[') becomes the current header and is written unchanged; a
// value line listed for literal export is unchanged; any other value line has
// the program folder replaced (forms may be NULL: no program folder known).
// Returns 1 for a header, 2 for a value line, 0 (out empty) when it does not fit.
int PrepareRegScriptLine(RegScriptState *state, const VerbatimPair *list, const ProgramFolderForms *forms,
                         const char *text, char *out, size_t size);
