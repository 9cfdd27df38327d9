// The request record behind the web host's opaque request handle. The web
// host (and the in-process test host) fills the request side, passes a
// pointer to it as the handle, and reads the response side afterwards;
// WEBHOSTAPI.dll's ordinals work on it.
#ifndef WEBHOST_REQUEST_H
#define WEBHOST_REQUEST_H

#include <stdlib.h>

#define WEBHOST_MAX_VARIABLES 64
// Largest response (headers or content) one request may produce.
#define WEBHOST_MAX_RESPONSE (16L * 1024 * 1024)

// Return codes of the ordinals (besides 0 = success).
#define WEBHOST_RC_NO_VARIABLE   1413L  // no such request variable
#define WEBHOST_RC_SMALL_BUFFER  122L   // value does not fit the buffer
#define WEBHOST_RC_BAD_ARGUMENT  87L    // missing pointer, bad length, CR/LF in a header
#define WEBHOST_RC_NO_MEMORY     8L     // response too large or out of memory
#define WEBHOST_RC_READ_DONE     8L     // body read normally

typedef struct WebHostText {
    char* data;      // malloc'ed, zero-terminated when not NULL
    long length;
    long capacity;
} WebHostText;

typedef struct WebHostRequest {
    // Request side, owned by whoever fills the record.
    const char* variableNames[WEBHOST_MAX_VARIABLES];
    const char* variableValues[WEBHOST_MAX_VARIABLES];
    int variableCount;
    const char* body;
    long bodyLength;
    long bodyOffset;         // bytes of the body already handed out

    // Scripted faults for tests: a non-zero value is returned by every call
    // of that ordinal instead of doing the work.
    long failExtractRc;
    long failHeaderRc;
    long failReadRc;
    long failWriteRc;
    // With failReadRc: the failing read still reports this many bytes read
    // (at most the bytes wanted) without writing any, as a careless server might.
    long failReadClaims;

    // Response side, filled by the ordinals.
    WebHostText headers;     // "Name: value\r\n" lines
    WebHostText content;
    WebHostText errorLog;    // one line per error log text

    // How often each ordinal was called.
    long extractCalls, headerCalls, readCalls, writeCalls, errorLogCalls;
} WebHostRequest;

static inline void WebHostRequestRelease(WebHostRequest* request)
{
    free(request->headers.data);
    free(request->content.data);
    free(request->errorLog.data);
    request->headers.data = request->content.data = request->errorLog.data = NULL;
    request->headers.length = request->content.length = request->errorLog.length = 0;
    request->headers.capacity = request->content.capacity = request->errorLog.capacity = 0;
}

#endif
