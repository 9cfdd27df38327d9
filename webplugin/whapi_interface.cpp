// WHAPIInterface: the gateway kernel's view of one web server request.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <new>
#include "whapi_interface.h"
#include "request_variables.h"
#include "webhostapi.h"

WHAPIInterface::WHAPIInterface(void* requestHandle) : WebInterface()
{
    dvlxtr_entry("WHAPIInterface::WHAPIInterface(handle)");
    handle = requestHandle;
    configuration = new (std::nothrow) ConfigurationSet(this);
    dvlxtr_exit("WHAPIInterface::WHAPIInterface(handle)", 0);
}

WHAPIInterface::~WHAPIInterface()
{
    dvlxtr_entry("WHAPIInterface::~WHAPIInterface");
    delete configuration;
    configuration = NULL;
    free(inputBuffer);
    inputBuffer = NULL;
    inputLength = 0;
    dvlxtr_exit("WHAPIInterface::~WHAPIInterface", 0);
}

const char* WHAPIInterface::interface_type() { return "WHAPI"; }

long WHAPIInterface::write_header(const char* name, const char* value)
{
    dvlxtr_entry("WHAPIInterface::write_header");
    if (!name)
        name = "";
    if (!value)
        value = "";
    long nameLength = (long)strlen(name);
    long valueLength = (long)strlen(value);
    long rc = 0;
    WhSetHeader(handle, name, &nameLength, value, &valueLength, &rc);
    if (rc != 0)
        log_error("DVLWHAPI:Set failed");
    headerWritten = 1;
    dvlxtr_exit("WHAPIInterface::write_header", 0);
    return rc;
}

long WHAPIInterface::write_text(const char* text, long length)
{
    dvlxtr_entry("WHAPIInterface::write_text");
    long rc = 0;
    if (length == 0 && text)
        length = (long)strlen(text);
    if (text && length > 0) {
        WhWriteClient(handle, text, &length, &rc);
        if (rc != 0)
            log_error("DVLWHAPI:Write failed");
    }
    textWritten = 1;
    dvlxtr_exit("WHAPIInterface::write_text", 0);
    return rc;
}

long WHAPIInterface::write_text(int value)
{
    dvlxtr_entry("WHAPIInterface::write_text(int)");
    char digits[16];
    long length = (long)snprintf(digits, sizeof digits, "%d", value);
    long rc = 0;
    WhWriteClient(handle, digits, &length, &rc);
    if (rc != 0)
        log_error("DVLWHAPI:Write failed");
    textWritten = 1;
    dvlxtr_exit("WHAPIInterface::write_text(int)", 0);
    return rc;
}

// Extracts one request variable into value (size bytes plus room for a
// terminator). The value is always terminated within the buffer, whatever
// length the web server reports. Returns the web server's return code and
// stores the value's length.
static long ExtractVariable(void* handle, const char* name, char* value, long size, long* valueLength)
{
    long nameLength = (long)strlen(name);
    long rc = 0;
    memset(value, 0, size + 1);
    *valueLength = size;
    WhExtractVariable(handle, name, &nameLength, value, valueLength, &rc);
    if (*valueLength < 0)
        *valueLength = 0;
    if (*valueLength > size)
        *valueLength = size;
    value[*valueLength] = 0;
    return rc;
}

long WHAPIInterface::CacheContext(VL_TextBuffer& sink, void* reserved)
{
    dvlxtr_entry("WHAPIInterface::CacheContext");
    long rc = 0;
    for (int i = 0; i < REQUEST_VARIABLE_COUNT; i++) {
        const char* name = RequestVariableNames[i];
        char value[VARIABLE_VALUE_SIZE + 1];
        long valueLength = 0;
        rc = ExtractVariable(handle, name, value, VARIABLE_VALUE_SIZE, &valueLength);

        sink.append("&", 1);
        sink.append(name, (long)strlen(name));
        sink.append("=", 1);
        dvlxtr_text(name);

        if (rc == 0 && valueLength > 0) {
            char* encoded = url_encode(value);
            if (encoded) {
                sink.append(encoded, (long)strlen(encoded));
                dvlxtr_text(encoded);
                free(encoded);
            }
        } else {
            char line[128];
            snprintf(line, sizeof line, "DVLWHAPI: Extract of %s failed rc=%ld", name, rc);
            dvlxtr_text(line);
        }
    }
    dvlxtr_exit("WHAPIInterface::CacheContext", 0);
    return rc;
}

// The request's CONTENT_LENGTH as a number of bytes. A failed extraction
// and a text that is not a byte count (negative, not a number, too large
// for the body buffer's size) count as 0.
long WHAPIInterface::ReadContentLength()
{
    char text[CONTENT_LENGTH_SIZE + 1];
    long textLength = 0;
    long rc = ExtractVariable(handle, "CONTENT_LENGTH", text, CONTENT_LENGTH_SIZE, &textLength);
    dvlxtr_text(text);
    if (rc != 0)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        p++;
    long length = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        if (length > (0x7FFFFFFEL - (*p - '0')) / 10)
            return 0;
        length = length * 10 + (*p - '0');
    }
    return length;
}

char* WHAPIInterface::getInputBuffer()
{
    dvlxtr_entry("WHAPIInterface::getInputBuffer");
    if (inputBuffer) {
        dvlxtr_exit("WHAPIInterface::getInputBuffer", 0);
        return inputBuffer;
    }

    long length = ReadContentLength();
    if (length == 0) {
        log_error("DVLWHAPI:CONTENT_LENGTH appears to be 0");
        length = DEFAULT_BODY_SIZE;
    }

    char* buffer = (char*)malloc((size_t)length + 1);
    if (!buffer) {
        char line[80];
        snprintf(line, sizeof line, "DVLWHAPI:No memory for a body of %ld bytes", length);
        log_error(line);
        dvlxtr_exit("WHAPIInterface::getInputBuffer", 0);
        return NULL;
    }

    long wanted = length;
    long rc = 0;
    WhReadBody(handle, buffer, &length, &rc);
    if (rc != WH_READ_OK) {
        char line[64];
        snprintf(line, sizeof line, "DVLWHAPI:Read RC=%ld", rc);
        log_error(line);
        // A failed read may leave a count of bytes it never wrote: what is in
        // the buffer then is old heap, possibly another request's data, and
        // must not reach the gateway.
        length = 0;
    }
    // The web server's count is not trusted beyond the buffer it was given.
    if (length < 0)
        length = 0;
    if (length > wanted)
        length = wanted;
    buffer[length] = 0;
    inputBuffer = buffer;
    inputLength = length + 1;
    dvlxtr_text(inputBuffer);

    dvlxtr_exit("WHAPIInterface::getInputBuffer", 0);
    return inputBuffer;
}

long WHAPIInterface::log_error(const char* text)
{
    if (!text)
        text = "";
    long length = (long)strlen(text);
    long rc = 0;
    WhWriteErrorLog(handle, text, &length, &rc);
    dvlxtr_text(text);
    return rc;
}
