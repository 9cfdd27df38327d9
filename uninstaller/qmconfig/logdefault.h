#pragma once

// The first "logdefaultpath" setting of a VLS.INI or Config.reg file, in
// lower case with single backslashes, into out (VL_PATH_SIZE). FALSE when the
// file is missing or cannot be opened.
int ReadLogDefaultPath(const char *filePath, char *out);
