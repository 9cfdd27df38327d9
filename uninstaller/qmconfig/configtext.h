// Cleaning and parsing rules for values read from configuration texts
// (VLS.INI, QM.INI, Config.reg) and from the command line. No Windows
// dependency, so the host build tests and fuzzes them.
#pragma once
#include <stddef.h>

// In place: trims blanks, drops a leading double quote (and a trailing one
// with it) and collapses every run of backslashes to one.
void CleanConfigValue(char *text);
// In place: removes the last character when it is the last backslash.
void StripTrailingBackslash(char *path);
// The hexadecimal number after the first colon ("dword:00000002"); 0/false without a colon.
int ParseRegDword(const char *text, unsigned long *out);
// Line preparation shared by the configuration readers: cut at the first
// carriage return, then at the first line feed. Returns 0 for a comment line
// (first character ';' or '#'), 1 otherwise.
int PrepareConfigLine(char *line);
// The log default path setting of one lower-cased line ("logdefaultpath"
// followed later by "="); copies the value (DecodeRegString) into out (size
// bytes) and returns 1 when the line holds one.
int MatchLogDefaultPathLine(char *line, char *out, unsigned size);

// A string value of the registry script: a quoted text is read as regedit
// reads it (up to its closing quote; \\, \" and \' give the character, any
// other backslash stays); any other text is cleaned with
// CleanConfigValue. Returns 0, with out empty, when the value does not fit.
int DecodeRegString(const char *text, char *out, size_t size);

// The data of a hex form ("hex:01,02,...", "hex(2):...") as the script's
// readers keep it: the first bytes, as many as fit, and how many there were.
enum { REG_HEX_KEEP = 520 };
struct RegHexData {
    unsigned char Bytes[REG_HEX_KEEP];
    size_t Kept;    // bytes stored
    size_t Total;   // bytes read
    int More;       // the last line read ended with the continuation backslash
    int Bad;        // an item that is no byte was met
};
// When text (a setting's value, after its '=') is a hex form, starts data
// with the bytes of this line and returns 1; 0 for any other text.
int RegHexBegin(const char *text, RegHexData *data);
// One line after a line that ended with a backslash: adds its bytes and
// returns 1. An empty or comment line is passed over (1, More stays set). A
// line that holds no hex data ends the value and returns 0 (More cleared):
// it is the next line of the script.
int RegHexContinue(const char *line, RegHexData *data);
// The text the bytes hold: up to the first zero (the first string of a
// REG_MULTI_SZ). 0, with out empty, when it does not fit or was not valid.
int RegHexText(const RegHexData *data, char *out, size_t size);
// The first 32-bit word (little-endian); 0 when there are fewer than four bytes.
int RegHexWord(const RegHexData *data, unsigned long *out);
