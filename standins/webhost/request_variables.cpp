// Request variables in the usual gateway form: the server's own values, the
// content headers, and every other header as HTTP_<NAME>.
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include "request_variables.h"

static const char* Keep(VariableStore* store, const char* text)
{
    int n = (int)strlen(text);
    if (store->used + n + 1 > (int)sizeof store->text)
        return NULL;
    char* kept = store->text + store->used;
    memcpy(kept, text, n + 1);
    store->used += n + 1;
    return kept;
}

static void Add(WebHostRequest* record, VariableStore* store, const char* name, const char* value)
{
    if (!value || record->variableCount == WEBHOST_MAX_VARIABLES)
        return;
    const char* keptName = Keep(store, name);
    const char* keptValue = keptName ? Keep(store, value) : NULL;
    if (!keptValue)
        return;
    record->variableNames[record->variableCount] = keptName;
    record->variableValues[record->variableCount] = keptValue;
    record->variableCount++;
}

void BuildRequestVariables(const HttpConnection* connection, const HttpRequest* request,
                           VariableStore* store, WebHostRequest* record)
{
    char port[16];
    snprintf(port, sizeof port, "%d", connection->port);
    Add(record, store, "REQUEST_METHOD", request->method);
    Add(record, store, "SCRIPT_NAME", request->path);
    Add(record, store, "QUERY_STRING", request->query ? request->query : "");
    Add(record, store, "SERVER_PROTOCOL", request->version);
    Add(record, store, "SERVER_NAME", "127.0.0.1");
    Add(record, store, "SERVER_PORT", port);
    Add(record, store, "SERVER_SOFTWARE", "webhost/1.0");
    Add(record, store, "GATEWAY_INTERFACE", "CGI/1.1");
    Add(record, store, "REMOTE_ADDR", connection->peer);
    Add(record, store, "REMOTE_HOST", connection->peer);
    Add(record, store, "CONTENT_LENGTH", HttpHeaderValue(request, "Content-Length"));
    Add(record, store, "CONTENT_TYPE", HttpHeaderValue(request, "Content-Type"));

    const char* authorization = HttpHeaderValue(request, "Authorization");
    if (authorization) {
        char scheme[32];
        int n = 0;
        while (authorization[n] && authorization[n] != ' ' && n < (int)sizeof scheme - 1) {
            scheme[n] = authorization[n];
            n++;
        }
        scheme[n] = 0;
        Add(record, store, "AUTH_TYPE", scheme);
    }

    for (int i = 0; i < request->headerCount; i++) {
        const char* name = request->headers[i].name;
        if (_stricmp(name, "Content-Length") == 0 || _stricmp(name, "Content-Type") == 0 ||
            _stricmp(name, "Authorization") == 0)
            continue;
        char variable[128];
        int n = snprintf(variable, sizeof variable, "HTTP_%s", name);
        if (n < 0 || n >= (int)sizeof variable)
            continue;
        for (char* p = variable; *p; p++)
            *p = *p == '-' ? '_' : (char)toupper((unsigned char)*p);
        Add(record, store, variable, request->headers[i].value);
    }
}
