// VLVer: writes the version resources of every program and library below the
// product's program folder into the report VLVER.TXT in that folder.
#pragma once
#include <windows.h>
#include <stdio.h>

// The report, open for the whole run (text mode: line feeds become CR LF).
extern FILE* gReport;

// Reads "FilePath" of the product key into folder (MAX_PATH bytes). 1 on success.
int ReadProgramFolder(char* folder);

// Joins dir and name with a backslash into out (MAX_PATH bytes). Returns 0,
// leaving out empty, when the result would not fit: a cut path names another file.
int JoinPath(char* out, const char* dir, const char* name);

// Walks dir depth first, reporting every *.exe and *.dll, then every subfolder
// whose name has no extension and does not begin with a dot.
void WalkFolder(const char* dir);

// Writes the version block of one file to the report; nothing when the file
// has no readable version resource.
void ReportFile(const char* path);
