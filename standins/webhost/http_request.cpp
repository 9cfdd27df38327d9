// HTTP request reading: the head up to the empty line, then a body given by
// Content-Length or sent in chunks. Every size is bounded.
#include <winsock2.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "http_request.h"

// Receives more bytes into the pending buffer; 0 on close, error or timeout.
static int Receive(HttpConnection* c)
{
    int room = HTTP_MAX_HEAD - c->pendingLength;
    if (room <= 0)
        return 0;
    int n = recv(c->socket, c->pending + c->pendingLength, room, 0);
    if (n <= 0)
        return 0;
    c->pendingLength += n;
    c->pending[c->pendingLength] = 0;
    return 1;
}

static void Consume(HttpConnection* c, int count)
{
    memmove(c->pending, c->pending + count, c->pendingLength - count);
    c->pendingLength -= count;
    c->pending[c->pendingLength] = 0;
}

static char* FindHeadEnd(char* data, int length, int* endLength)
{
    for (int i = 0; i + 1 < length; i++) {
        if (data[i] == '\n' && data[i + 1] == '\n') {
            *endLength = 2;
            return data + i;
        }
        if (i + 3 < length && memcmp(data + i, "\r\n\r\n", 4) == 0) {
            *endLength = 4;
            return data + i;
        }
    }
    return NULL;
}

// Copies exactly count bytes of the stream into dest.
static int ReadExact(HttpConnection* c, char* dest, long count)
{
    while (count > 0) {
        if (c->pendingLength == 0 && !Receive(c))
            return 0;
        long n = c->pendingLength < count ? c->pendingLength : count;
        memcpy(dest, c->pending, n);
        Consume(c, (int)n);
        dest += n;
        count -= n;
    }
    return 1;
}

// Reads one line (without its line break) into line.
static int ReadLine(HttpConnection* c, char* line, int size)
{
    for (;;) {
        char* nl = (char*)memchr(c->pending, '\n', c->pendingLength);
        if (nl) {
            int n = (int)(nl - c->pending);
            int keep = n > 0 && c->pending[n - 1] == '\r' ? n - 1 : n;
            if (keep >= size)
                return 0;
            memcpy(line, c->pending, keep);
            line[keep] = 0;
            Consume(c, n + 1);
            return 1;
        }
        if (c->pendingLength >= size || !Receive(c))
            return 0;
    }
}

static int ParseDecimal(const char* text, long limit, long* value)
{
    long v = 0;
    if (!*text)
        return 0;
    for (; *text; text++) {
        if (*text < '0' || *text > '9')
            return 0;
        if (v > (limit - (*text - '0')) / 10)
            return 0;
        v = v * 10 + (*text - '0');
    }
    *value = v;
    return 1;
}

// Chunked body: hex size lines, data, and trailers up to an empty line.
static int ReadChunkedBody(HttpConnection* c, HttpRequest* r)
{
    char line[256];
    for (;;) {
        if (!ReadLine(c, line, sizeof line))
            return 400;
        char* end = NULL;
        unsigned long size = strtoul(line, &end, 16);
        if (end == line || (*end && *end != ';' && *end != ' '))
            return 400;
        if (size == 0)
            break;
        if (size > (unsigned long)(HTTP_MAX_BODY - r->bodyLength))
            return 413;
        char* grown = (char*)realloc(r->body, r->bodyLength + size + 1);
        if (!grown)
            return 500;
        r->body = grown;
        if (!ReadExact(c, r->body + r->bodyLength, (long)size))
            return 400;
        r->bodyLength += (long)size;
        r->body[r->bodyLength] = 0;
        if (!ReadLine(c, line, sizeof line) || line[0])
            return 400;
    }
    do {
        if (!ReadLine(c, line, sizeof line))
            return 400;
    } while (line[0]);
    return 200;
}

static void Trim(char** text)
{
    char* s = *text;
    while (*s == ' ' || *s == '\t')
        s++;
    char* e = s + strlen(s);
    while (e > s && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\r'))
        *--e = 0;
    *text = s;
}

static int ParseHead(HttpRequest* r)
{
    char* line = r->head;
    char* next = strchr(line, '\n');
    if (next)
        *next++ = 0;
    Trim(&line);

    r->method = line;
    char* sp = strchr(line, ' ');
    if (!sp)
        return 400;
    *sp = 0;
    char* target = sp + 1;
    sp = strchr(target, ' ');
    if (!sp)
        return 400;
    *sp = 0;
    r->version = sp + 1;
    if (strcmp(r->version, "HTTP/1.1") == 0)
        r->minorVersion = 1;
    else if (strcmp(r->version, "HTTP/1.0") == 0)
        r->minorVersion = 0;
    else
        return 505;
    if (!r->method[0] || target[0] != '/')
        return 400;
    r->path = target;
    r->query = strchr(target, '?');
    if (r->query)
        *r->query++ = 0;

    while (next && *next) {
        line = next;
        next = strchr(line, '\n');
        if (next)
            *next++ = 0;
        char* colon = strchr(line, ':');
        if (!colon || colon == line)
            return 400;
        if (r->headerCount == HTTP_MAX_HEADERS)
            return 431;
        *colon = 0;
        HttpHeader* h = &r->headers[r->headerCount++];
        h->name = line;
        h->value = colon + 1;
        Trim(&h->name);
        Trim(&h->value);
        if (!h->name[0] || strchr(h->name, ' '))
            return 400;
    }
    return 200;
}

const char* HttpHeaderValue(const HttpRequest* r, const char* name)
{
    for (int i = 0; i < r->headerCount; i++)
        if (_stricmp(r->headers[i].name, name) == 0)
            return r->headers[i].value;
    return NULL;
}

int HttpReadRequest(HttpConnection* c, HttpRequest* r)
{
    memset(r, 0, sizeof *r);
    int endLength = 0;
    char* end;
    while (!(end = FindHeadEnd(c->pending, c->pendingLength, &endLength))) {
        if (c->pendingLength >= HTTP_MAX_HEAD)
            return 431;
        if (!Receive(c))
            return c->pendingLength ? 400 : 0;
    }
    int headLength = (int)(end - c->pending);
    memcpy(r->head, c->pending, headLength);
    r->head[headLength] = 0;
    Consume(c, headLength + endLength);

    int status = ParseHead(r);
    if (status != 200)
        return status;

    const char* connection = HttpHeaderValue(r, "Connection");
    if (r->minorVersion == 1)
        r->keepAlive = !(connection && _stricmp(connection, "close") == 0);
    else
        r->keepAlive = connection && _stricmp(connection, "keep-alive") == 0;

    const char* encoding = HttpHeaderValue(r, "Transfer-Encoding");
    const char* length = HttpHeaderValue(r, "Content-Length");
    if (encoding) {
        if (_stricmp(encoding, "chunked") != 0)
            return 501;
        return ReadChunkedBody(c, r);
    }
    if (length) {
        if (!ParseDecimal(length, 0x7FFFFFFF, &r->bodyLength))
            return 400;
        if (r->bodyLength > HTTP_MAX_BODY)
            return 413;
        r->body = (char*)malloc(r->bodyLength + 1);
        if (!r->body)
            return 500;
        if (!ReadExact(c, r->body, r->bodyLength))
            return 400;
        r->body[r->bodyLength] = 0;
    }
    return 200;
}

void HttpRequestRelease(HttpRequest* r)
{
    free(r->body);
    r->body = NULL;
    r->bodyLength = 0;
}

int HttpSendAll(SOCKET s, const char* data, long length)
{
    while (length > 0) {
        int n = send(s, data, length > 65536 ? 65536 : (int)length, 0);
        if (n <= 0)
            return 0;
        data += n;
        length -= n;
    }
    return 1;
}

const char* HttpReason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 505: return "HTTP Version Not Supported";
    default: return "Status";
    }
}
