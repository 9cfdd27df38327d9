// Command-line rules of the uninstaller. No Windows dependency, so the host
// build tests and fuzzes them.
#pragma once
#include <stddef.h>

// Splits the command line into the program name and the parameter text.
// Returns 0 when either did not fit its buffer (the text is then cut).
int SplitCommandLine(const char *commandLine, char *programName, size_t nameSize,
                     char *parameters, size_t parametersSize);

// The switches, by their upper-case letters: "S", "G", "B", "F1", "I", "U".
// Each is searched in the forms /x, -x, /X, -X (case-sensitive, anywhere).
// Returns the position just after the switch characters, or NULL.
const char *FindSwitch(const char *parameters, const char *name);

// A flag switch (-S, -B) counts when a blank, the end, '-' or '/' follows it.
int FlagSwitch(const char *parameters, const char *name);

// The value of -F1, -I or -U: quoted to the next quote, else to the next blank.
// Returns 1 when the switch was given; *fits = 0 when the value was cut.
int SwitchValue(const char *parameters, const char *name, char *out, size_t size, int *fits);

// The value of -G: quoted as above; unquoted it runs to the first '-' of the
// rest of the text or to a blank followed by '/', whichever comes first (or to
// its end), then is cleaned like a configuration value.
int LogSwitchValue(const char *parameters, char *out, size_t size, int *fits);

// True when the MIF path passes the syntax checks (no ';', "X:\" start, at
// most 148 characters) and, when drives is not NULL, its first character is
// the first character of one of the drive root strings (zero-separated,
// double-zero terminated). drivesKnown = 0 skips the drive test.
int MifPathSyntaxValid(const char *path);
int MifDriveListed(const char *path, const char *drives);
