// Builds the request variables the plug-in can extract from a parsed request.
#ifndef WEBHOST_REQUEST_VARIABLES_H
#define WEBHOST_REQUEST_VARIABLES_H

#include "http_request.h"
#include "webhost_request.h"

// Room for the texts of all variables of one request.
typedef struct VariableStore {
    char text[HTTP_MAX_HEAD * 2 + 1024];
    int used;
} VariableStore;

// Fills the request side of record from request; the texts live in store.
void BuildRequestVariables(const HttpConnection* connection, const HttpRequest* request,
                           VariableStore* store, WebHostRequest* record);

#endif
