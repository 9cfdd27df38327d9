// Writes the version block of one file to the report.
#include "verreport.h"
#include "versioncheck.h"
#include <stdlib.h>

// The string keys, always in this order; a missing key writes no line.
static const char* const kKeys[] = {
    "FileDescription", "BuildDate", "CompanyName", "FileVersion",
    "InternalName", "LegalCopyright", "Level", "OriginalFilename",
    "ProductName", "ProductVersion", "Package", "Release",
};

// Looks up a text value; *text and *length stay inside data[0..size).
static int QueryText(const unsigned char* data, DWORD size, const char* name,
                     const char** text, size_t* length)
{
    void* value = NULL;
    UINT valueLength = 0;
    if (!VerQueryValueA(data, name, &value, &valueLength) || !value)
        return 0;
    const char* p = (const char*)value;
    const char* end = (const char*)data + size;
    if (p < (const char*)data || p >= end)
        return 0;
    *text = p;
    *length = BoundedTextLength(p, end);
    return 1;
}

// The first translation as eight upper-case hex digits, language first.
static int QueryTranslation(const unsigned char* data, DWORD size, char* translation)
{
    void* value = NULL;
    UINT valueLength = 0;
    if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", &value, &valueLength) || !value
        || valueLength < 4)
        return 0;
    const unsigned char* p = (const unsigned char*)value;
    if (p < data || p + 4 > data + size)
        return 0;
    unsigned language = p[0] | (p[1] << 8);
    unsigned codePage = p[2] | (p[3] << 8);
    snprintf(translation, 9, "%04X%04X", language, codePage);
    return 1;
}

static void WriteKeyLines(const unsigned char* data, DWORD size, const char* translation)
{
    for (const char* key : kKeys) {
        char name[64];
        snprintf(name, sizeof name, "\\StringFileInfo\\%s\\%s", translation, key);
        const char* text;
        size_t length;
        if (QueryText(data, size, name, &text, &length))
            fprintf(gReport, "%-20.20s %.*s\n", key, (int)length, text);
    }
}

void ReportFile(const char* path)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return;
    // Zeroed, so that nothing read behind the data is left over from the heap.
    unsigned char* data = (unsigned char*)calloc(size, 1);
    if (!data)
        return;
    if (!GetFileVersionInfoA(path, 0, size, data)) {
        free(data);
        return;
    }
    fprintf(gReport, "Version information for file: %s     \n", path);
    char translation[9];
    // Data whose lengths point outside itself is reported with its file name
    // only: the version API would follow those lengths out of the buffer.
    if (VersionDataIsSound(data, size) && QueryTranslation(data, size, translation)) {
        fprintf(gReport, "Translation %s\n", translation);
        WriteKeyLines(data, size, translation);
    }
    fprintf(gReport, "\n");
    free(data);
}
