// Cleaning and parsing rules for values read from configuration texts
// (VLS.INI, QM.INI, Config.reg) and from the command line. No Windows
// dependency, so the host build tests and fuzzes them.
#pragma once

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
// followed later by "="); copies the cleaned value into out (size bytes) and
// returns 1 when the line holds one.
int MatchLogDefaultPathLine(char *line, char *out, unsigned size);
