// The rules that keep deletion inside the product's own folders. No Windows
// dependency: the host build tests and fuzzes them; pathguard.* applies them
// (with the machine's Windows, system and shell folders) to every deleting
// primitive.
#pragma once
#include <stddef.h>

enum { PATH_RULE_SIZE = 260 };   // the path buffers' size: 259 characters and the zero

enum PathVerdict {
    PATH_SAFE = 0,
    PATH_EMPTY,         // "" (would mean the current drive's root or folder)
    PATH_TOO_LONG,      // does not fit a path buffer
    PATH_NOT_FULL,      // not "X:\..." ("\x", "x", "C:x")
    PATH_DEVICE,        // "\\?\", "\\.\", "\??\" forms
    PATH_DRIVE_ROOT,    // "C:", "C:\"
    PATH_SHARE_ROOT,    // (no longer given: every "\\server" form is PATH_NETWORK)
    PATH_CLIMBS,        // a component of dots and blanks only ("..", ".", ". .")
    PATH_BAD_NAME,      // a colon (stream), wildcard or other character no folder name holds
    PATH_PROTECTED,     // a protected folder (Windows, system, Program Files, profiles, shell
                        // folders), or one holding one
    PATH_NETWORK,       // "\\server\share\...", "\\?\UNC\...", or a drive the system reports remote
    PATH_LINK,          // a reparse point (junction, symbolic link, mount point) on the way
};

// The product's folders are local: every UNC form ("\\server\share\x",
// "\\localhost\c$\windows", "//server/share") and "\\?\UNC\..." is
// PATH_NETWORK, whatever it names.
// Checks a folder that would be walked, emptied or removed (or the folder of
// a file to delete) against everything but the machine's protected folders.
// canonical (size bytes, may be NULL) receives the folder as Windows resolves
// it: "/" read as "\", doubled separators and a trailing one dropped, the
// trailing dots and blanks Windows ignores cut from every component.
PathVerdict CheckFolderPath(const char *folder, char *canonical, size_t size);

// Checks a file to delete: its folder part as above, and a last component
// that is a name (a pattern with "*" or "?" is allowed; dots only, a colon or
// nothing is not). folder (size bytes, may be NULL) receives the canonical
// folder part.
PathVerdict CheckFilePath(const char *path, char *folder, size_t size);

// True when the canonical folder inner equals outer or lies below it (without
// regard to case).
int FolderHolds(const char *outer, const char *inner);

// The same question answered from the spelling alone, for a canonical folder
// outer that may use 8.3 short names: true when outer has no more components
// than inner and each of its components equals (without regard to ASCII
// case) the component of inner at the same place or, when innerShort is
// given, that of innerShort, inner spelt with its short names (the same
// components). Since a component names an entry of its folder by its long or
// its short name, this is exactly when outer resolves to inner or a folder
// holding it, with no look-up; other letters than ASCII ones may be folded
// by the file system in ways this does not know, so callers ask it only for
// an ASCII outer.
int FolderSpellsHolder(const char *outer, const char *inner, const char *innerShort);

// Of count canonical folders (NULL or "" entries skipped), the index of the
// longest one that FolderHolds the canonical path, or -1: the product folder a
// path belongs to, from which its links are looked for.
int NearestHolder(const char *path, const char *const *folders, size_t count);

// A path relative to a folder (from a list, the registry, a string table)
// stays inside it: no component of dots and blanks only, no drive or stream
// colon, no forward slash, no "\\?\" or "\\server" form.
int RelativePathIsContained(const char *relative);

// The reason written in the refusal line.
const char *PathVerdictText(PathVerdict verdict);
