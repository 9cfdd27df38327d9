// One client connection: read a request, answer it through the plug-in (or,
// under /direct/, from the host itself), send the answer, and go on while
// the client keeps the connection alive.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "webhost.h"
#include "http_request.h"
#include "request_variables.h"
#include "webhost_request.h"

static int SendResponse(SOCKET s, const HttpRequest* request, int status, const char* headers, long headersLength,
                        const char* content, long contentLength, int keepAlive)
{
    char head[512];
    const char* version = request && request->minorVersion == 0 ? "HTTP/1.0" : "HTTP/1.1";
    int n = snprintf(head, sizeof head, "%s %d %s\r\n", version, status, HttpReason(status));
    int ok = HttpSendAll(s, head, n);
    if (headersLength > 0)
        ok = ok && HttpSendAll(s, headers, headersLength);
    n = snprintf(head, sizeof head, "Content-Length: %ld\r\nConnection: %s\r\n\r\n", contentLength,
                 keepAlive ? "keep-alive" : "close");
    ok = ok && HttpSendAll(s, head, n);
    int headOnly = request && strcmp(request->method, "HEAD") == 0;
    if (!headOnly && contentLength > 0)
        ok = ok && HttpSendAll(s, content, contentLength);
    return ok;
}

// The web server's error log: each text of the plug-in with the request it
// belongs to.
static void WriteErrorLog(const HttpRequest* request, const WebHostText* log)
{
    if (!Host.errorLog || log->length == 0)
        return;
    EnterCriticalSection(&Host.errorLogLock);
    const char* line = log->data;
    while (*line) {
        const char* end = strchr(line, '\n');
        int n = end ? (int)(end - line) : (int)strlen(line);
        fprintf(Host.errorLog, "[%s %s%s%s] %.*s\n", request->method, request->path, request->query ? "?" : "",
                request->query ? request->query : "", n, line);
        line += end ? n + 1 : n;
    }
    fflush(Host.errorLog);
    LeaveCriticalSection(&Host.errorLogLock);
}

static int AnswerThroughPlugin(HttpConnection* c, HttpRequest* request)
{
    WebHostRequest* record = (WebHostRequest*)calloc(1, sizeof *record);
    VariableStore* store = (VariableStore*)calloc(1, sizeof *store);
    if (!record || !store) {
        free(record);
        free(store);
        SendResponse(c->socket, request, 500, NULL, 0, NULL, 0, 0);
        return 0;
    }
    BuildRequestVariables(c, request, store, record);
    record->body = request->body;
    record->bodyLength = request->bodyLength;

    long status = 0;
    Host.plugin(record, &status);
    InterlockedIncrement(&Host.pluginRequests);
    if (status < 100 || status > 599)
        status = 500;

    WriteErrorLog(request, &record->errorLog);
    int ok = SendResponse(c->socket, request, (int)status, record->headers.data, record->headers.length,
                          record->content.data, record->content.length, request->keepAlive);
    WebHostRequestRelease(record);
    free(record);
    free(store);
    return ok;
}

// The host's own answers, the baseline the plug-in is measured against.
static int AnswerDirectly(HttpConnection* c, HttpRequest* request)
{
    char text[1024];
    int n;
    if (strcmp(request->path, "/direct/status") == 0) {
        DescribeHostStatus(text, sizeof text);
        n = (int)strlen(text);
    } else {
        n = snprintf(text, sizeof text, "direct\nmethod=%s\npath=%s\nquery=%.400s\nbody-length=%ld\n",
                     request->method, request->path, request->query ? request->query : "", request->bodyLength);
        if (n < 0 || n >= (int)sizeof text)
            n = (int)strlen(text);
    }
    static const char type[] = "Content-Type: text/plain\r\n";
    return SendResponse(c->socket, request, 200, type, sizeof type - 1, text, n, request->keepAlive);
}

DWORD WINAPI ServeConnection(LPVOID parameter)
{
    HttpConnection* c = (HttpConnection*)parameter;
    InterlockedIncrement(&Host.connections);
    HttpRequest* request = (HttpRequest*)malloc(sizeof *request);
    int more = request != NULL;
    while (more) {
        int status = HttpReadRequest(c, request);
        if (status == 0) {
            more = 0;
        } else if (status != 200) {
            SendResponse(c->socket, NULL, status, NULL, 0, NULL, 0, 0);
            more = 0;
        } else {
            int ok = strncmp(request->path, "/direct/", 8) == 0 ? AnswerDirectly(c, request)
                                                                : AnswerThroughPlugin(c, request);
            InterlockedIncrement(&Host.requests);
            more = ok && request->keepAlive;
        }
        HttpRequestRelease(request);
    }
    free(request);
    shutdown(c->socket, SD_SEND);
    closesocket(c->socket);
    free(c);
    InterlockedDecrement(&Host.connections);
    ReleaseSemaphore(Host.connectionSlots, 1, NULL);
    return 0;
}
