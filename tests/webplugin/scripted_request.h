// In-process test host: a scripted web server request behind a handle, and
// the kernel's trace file of the current test.
#ifndef TESTS_WEBPLUGIN_SCRIPTED_REQUEST_H
#define TESTS_WEBPLUGIN_SCRIPTED_REQUEST_H

#include <windows.h>
#include <string>
#include <vector>
#include "dvlkern.h"
#include "webhost_request.h"

class ScriptedRequest {
public:
    ScriptedRequest() { ZeroMemory(&record, sizeof record); }
    ~ScriptedRequest() { WebHostRequestRelease(&record); }

    void Variable(const char* name, const std::string& value)
    {
        names.push_back(name);
        values.push_back(value);
        Refresh();
    }
    void Body(const std::string& text)
    {
        body = text;
        record.body = body.data();
        record.bodyLength = (long)body.size();
    }
    void* Handle() { return &record; }
    std::string Headers() const { return Text(record.headers); }
    std::string Content() const { return Text(record.content); }
    std::string ErrorLog() const { return Text(record.errorLog); }

    WebHostRequest record;

private:
    static std::string Text(const WebHostText& t) { return t.data ? std::string(t.data, t.length) : ""; }
    void Refresh()
    {
        record.variableCount = (int)names.size();
        for (size_t i = 0; i < names.size(); i++) {
            record.variableNames[i] = names[i].c_str();
            record.variableValues[i] = values[i].c_str();
        }
    }
    // The record points into these; Refresh re-points it after every change.
    std::vector<std::string> names, values;
    std::string body;
};

// Points the kernel's trace at a fresh file for the lifetime of the object.
class TraceFile {
public:
    TraceFile()
    {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        GetTempFileNameA(folder, "dvt", 0, path);
        SetEnvironmentVariableA("DVL_TRACE_FILE", path);
    }
    ~TraceFile()
    {
        SetEnvironmentVariableA("DVL_TRACE_FILE", NULL);
        dvlxtr_text("");  // lets the kernel close the file
        DeleteFileA(path);
    }
    // The trace lines without their thread id: "> text", "< text rc=0", "  text".
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        FILE* f = fopen(path, "rb");
        if (!f)
            return lines;
        char line[8192];
        while (fgets(line, sizeof line, f)) {
            std::string s(line);
            while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
                s.pop_back();
            size_t space = s.find(' ');
            lines.push_back(space == std::string::npos ? s : s.substr(space + 1));
        }
        fclose(f);
        return lines;
    }

private:
    char path[MAX_PATH];
};

#endif
