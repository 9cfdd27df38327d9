// Reading and parsing HTTP/1.0 and HTTP/1.1 requests from a connection.
#ifndef WEBHOST_HTTP_REQUEST_H
#define WEBHOST_HTTP_REQUEST_H

#include <winsock2.h>

#define HTTP_MAX_HEAD 16384
#define HTTP_MAX_HEADERS 64
#define HTTP_MAX_BODY (1024L * 1024)

// One client connection and the bytes received but not yet used.
typedef struct HttpConnection {
    SOCKET socket;
    char peer[64];
    int port;                       // the port the host listens on
    char pending[HTTP_MAX_HEAD + 1];
    int pendingLength;
} HttpConnection;

typedef struct HttpHeader {
    char* name;
    char* value;
} HttpHeader;

typedef struct HttpRequest {
    char head[HTTP_MAX_HEAD + 1];   // request line and headers, split in place
    char* method;
    char* path;
    char* query;                    // after '?', NULL when there is none
    char* version;                  // "HTTP/1.0" or "HTTP/1.1"
    int minorVersion;
    HttpHeader headers[HTTP_MAX_HEADERS];
    int headerCount;
    char* body;                     // malloc'ed, NULL when there is none
    long bodyLength;
    int keepAlive;
} HttpRequest;

// Reads the next request. Returns 200 when one was read, 0 when the client
// closed the connection (or went quiet) before sending one, or the HTTP
// status to refuse it with (the connection is closed afterwards).
int HttpReadRequest(HttpConnection* connection, HttpRequest* request);
void HttpRequestRelease(HttpRequest* request);
// The value of a header (case-insensitive name), or NULL.
const char* HttpHeaderValue(const HttpRequest* request, const char* name);
// Sends all bytes; returns 1 or 0.
int HttpSendAll(SOCKET socket, const char* data, long length);
const char* HttpReason(int status);

#endif
