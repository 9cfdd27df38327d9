// Helpers of the removal-primitive tests: unique temp folders, the test log
// and registry fixtures (with the shared probes and file holder of wintestutil.h).
#pragma once
#include "testlog.h"
#include "wintestutil.h"
#include <windows.h>
#include <string>

// A new empty folder below %TEMP%, unique to this process and call.
std::string MakeTempFolder(const char *tag);
// Removes a folder tree the test made (clearing read-only attributes first).
void RemoveFolderTree(const std::string &path);
void WriteTextFile(const std::string &path, const char *text = "x");

std::string ReadText(const std::string &path);
int CountOf(const std::string &text, const std::string &needle);
// Log lines that report a failure (text beginning with "***", not the header).
int FailureLines(const std::string &text);
// Position of needle in text, or npos (for order checks).
size_t Where(const std::string &text, const std::string &needle);

// A unique key path below HKLM\Software\VlPrimsTest.
std::string TestKeyPath(const char *tag);
// A fresh key path among the product's own keys (the only ones key repair touches).
std::string ProductTestKeyPath(const char *tag);
void CreateKey(const std::string &path);
void DeleteKeyTree(const std::string &path);

std::string BinPath(const char *name);
