// The request interface the plug-in gives the gateway kernel: it answers
// the kernel's calls with the web server's calls on one request handle.
#ifndef DVLWHAPI_WHAPI_INTERFACE_H
#define DVLWHAPI_WHAPI_INTERFACE_H

#include "dvlkern.h"

// Size of the buffer one request variable is extracted into.
#define VARIABLE_VALUE_SIZE 500
// Size of the buffer the CONTENT_LENGTH text is extracted into.
#define CONTENT_LENGTH_SIZE 32
// Body bytes read when the request gives no content length.
#define DEFAULT_BODY_SIZE 4096

class WHAPIInterface : public WebInterface {
public:
    explicit WHAPIInterface(void* handle);
    virtual ~WHAPIInterface();
    virtual const char* interface_type();
    virtual long write_header(const char* name, const char* value);
    virtual long write_text(int value);
    virtual long write_text(const char* text, long length);
    virtual long CacheContext(VL_TextBuffer& sink, void* reserved);
    virtual long log_error(const char* text);
    virtual char* getInputBuffer();

protected:
    void* handle;

private:
    long ReadContentLength();
};

#endif
