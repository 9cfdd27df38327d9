// Stand-in for the web server's plug-in interface library WEBHOSTAPI.dll.
// Exports by ordinal only (see webhostapi.def). Every call takes the request
// handle first and reports its status through a trailing pointer to a 32-bit
// return code; lengths are passed by pointer.
#include <windows.h>
#include <string.h>
#include "webhost_request.h"

static int AppendText(WebHostText* text, const char* data, long length)
{
    if (length < 0 || length > WEBHOST_MAX_RESPONSE - text->length)
        return 0;
    if (text->length + length + 1 > text->capacity) {
        long wanted = text->capacity ? text->capacity : 512;
        while (wanted < text->length + length + 1)
            wanted *= 2;
        char* grown = (char*)realloc(text->data, wanted);
        if (!grown)
            return 0;
        text->data = grown;
        text->capacity = wanted;
    }
    memcpy(text->data + text->length, data, length);
    text->length += length;
    text->data[text->length] = 0;
    return 1;
}

static void SetRc(long* rc, long value)
{
    if (rc)
        *rc = value;
}

// Ordinal 11: copies the value of a request variable, zero-terminated, into
// the caller's buffer. *valueLength holds the buffer size on entry and the
// value's length (without the terminator) on return.
extern "C" void WINAPI WebHostExtractVariable(void* handle, const char* name, long* nameLength,
                                              char* value, long* valueLength, long* rc)
{
    WebHostRequest* request = (WebHostRequest*)handle;
    if (!request || !name || !nameLength || !value || !valueLength || *nameLength < 0) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    InterlockedIncrement(&request->extractCalls);
    long size = *valueLength;
    *valueLength = 0;
    if (request->failExtractRc) {
        SetRc(rc, request->failExtractRc);
        return;
    }
    for (int i = 0; i < request->variableCount; i++) {
        const char* known = request->variableNames[i];
        if ((long)strlen(known) != *nameLength || memcmp(known, name, *nameLength) != 0)
            continue;
        long length = (long)strlen(request->variableValues[i]);
        if (length + 1 > size) {
            *valueLength = length + 1;
            SetRc(rc, WEBHOST_RC_SMALL_BUFFER);
            return;
        }
        memcpy(value, request->variableValues[i], length + 1);
        *valueLength = length;
        SetRc(rc, 0);
        return;
    }
    SetRc(rc, WEBHOST_RC_NO_VARIABLE);
}

static int HasLineBreak(const char* text, long length)
{
    for (long i = 0; i < length; i++)
        if (text[i] == '\r' || text[i] == '\n' || text[i] == 0)
            return 1;
    return 0;
}

// Ordinal 12: adds a response header. Names and values with line breaks are
// refused so that request data echoed into a header cannot split the response.
extern "C" void WINAPI WebHostSetHeader(void* handle, const char* name, long* nameLength,
                                        const char* value, long* valueLength, long* rc)
{
    WebHostRequest* request = (WebHostRequest*)handle;
    if (!request || !name || !nameLength || !value || !valueLength) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    InterlockedIncrement(&request->headerCalls);
    if (request->failHeaderRc) {
        SetRc(rc, request->failHeaderRc);
        return;
    }
    long nlen = *nameLength, vlen = *valueLength;
    if (nlen <= 0 || vlen < 0 || HasLineBreak(name, nlen) || HasLineBreak(value, vlen) ||
        memchr(name, ':', nlen) || memchr(name, ' ', nlen)) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    int ok = AppendText(&request->headers, name, nlen) && AppendText(&request->headers, ": ", 2) &&
             AppendText(&request->headers, value, vlen) && AppendText(&request->headers, "\r\n", 2);
    SetRc(rc, ok ? 0 : WEBHOST_RC_NO_MEMORY);
}

// Ordinal 15: reads the next part of the request body. *length holds the
// number of bytes wanted on entry and the number read on return; the return
// code is 8 when the body was read normally (also at its end).
extern "C" void WINAPI WebHostReadBody(void* handle, char* buffer, long* length, long* rc)
{
    WebHostRequest* request = (WebHostRequest*)handle;
    if (!request || !buffer || !length || *length < 0) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    InterlockedIncrement(&request->readCalls);
    long wanted = *length;
    *length = 0;
    if (request->failReadRc) {
        if (request->failReadClaims > 0)
            *length = request->failReadClaims < wanted ? request->failReadClaims : wanted;
        SetRc(rc, request->failReadRc);
        return;
    }
    long left = request->bodyLength - request->bodyOffset;
    long n = wanted < left ? wanted : left;
    if (n > 0) {
        memcpy(buffer, request->body + request->bodyOffset, n);
        request->bodyOffset += n;
        *length = n;
    }
    SetRc(rc, WEBHOST_RC_READ_DONE);
}

// Ordinal 16: writes response data to the client.
extern "C" void WINAPI WebHostWriteClient(void* handle, const char* data, long* length, long* rc)
{
    WebHostRequest* request = (WebHostRequest*)handle;
    if (!request || !data || !length || *length < 0) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    InterlockedIncrement(&request->writeCalls);
    if (request->failWriteRc) {
        SetRc(rc, request->failWriteRc);
        return;
    }
    SetRc(rc, AppendText(&request->content, data, *length) ? 0 : WEBHOST_RC_NO_MEMORY);
}

// Ordinal 18: writes a text to the server's error log.
extern "C" void WINAPI WebHostWriteErrorLog(void* handle, const char* text, long* length, long* rc)
{
    WebHostRequest* request = (WebHostRequest*)handle;
    if (!request || !text || !length || *length < 0) {
        SetRc(rc, WEBHOST_RC_BAD_ARGUMENT);
        return;
    }
    InterlockedIncrement(&request->errorLogCalls);
    int ok = AppendText(&request->errorLog, text, *length) && AppendText(&request->errorLog, "\n", 1);
    SetRc(rc, ok ? 0 : WEBHOST_RC_NO_MEMORY);
}
