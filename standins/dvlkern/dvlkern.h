// Gateway kernel library dvlkern: the classes and calls a web front end
// (such as the web-server plug-in) builds on.
//
// A front end derives a request interface from WebInterface, hands it to a
// VL_Gateway and calls Post; the gateway reads the request and writes the
// response through the interface's virtual operations.
#ifndef DVLKERN_H
#define DVLKERN_H

#ifdef DVLKERN_BUILD
#define DVLKERN_API __declspec(dllexport)
#else
#define DVLKERN_API __declspec(dllimport)
#endif

extern "C" {
// Per-request initialisation of the kernel's common services (tracing).
// Safe to call from several threads at once; returns 1.
DVLKERN_API int dvl_InitCommonServices(const char* component);

// Trace calls. Lines go to the file named by the environment variable
// DVL_TRACE_FILE (nothing is written when it is not set), one line per call:
//   "<thread id> > <text>"            dvlxtr_entry
//   "<thread id> < <text> rc=<n>"     dvlxtr_exit
//   "<thread id>   <text>"            dvlxtr_text
DVLKERN_API void dvlxtr_entry(const char* text);
DVLKERN_API void dvlxtr_exit(const char* text, long result);
DVLKERN_API void dvlxtr_text(const char* text);

// Percent-encodes every byte except A-Z a-z 0-9 - _ . ~ into a new text
// allocated with malloc (the caller frees it with free); NULL when out of
// memory or when text is NULL.
DVLKERN_API char* url_encode(const char* text);
}

// A growing text the kernel collects request data into.
class DVLKERN_API VL_TextBuffer {
public:
    VL_TextBuffer();
    virtual void clear();
    // Appends length bytes of text; returns 1, or 0 when out of memory.
    virtual int append(const char* text, long length);
    virtual const char* text() const;
    virtual long length() const;
    virtual ~VL_TextBuffer();

private:
    VL_TextBuffer(const VL_TextBuffer&);
    VL_TextBuffer& operator=(const VL_TextBuffer&);
    char* data;
    long used;
    long capacity;
};

class WebInterface;

// The gateway's settings for one request, owned by its interface.
class DVLKERN_API ConfigurationSet {
public:
    explicit ConfigurationSet(WebInterface* owner);
    virtual ~ConfigurationSet();
    virtual WebInterface* owner() const;
    // Name of the response content type the gateway writes.
    virtual const char* responseType() const;

private:
    WebInterface* ownerInterface;
};

// Abstract request interface. The constructor leaves every member empty;
// a derived interface creates the configuration and fills the input buffer.
class DVLKERN_API WebInterface {
public:
    WebInterface();
    virtual ~WebInterface();
    virtual const char* interface_type() = 0;
    virtual long write_header(const char* name, const char* value) = 0;
    virtual long write_text(int value) = 0;
    virtual long write_text(const char* text, long length) = 0;
    // Appends "&NAME=value" for every request variable to the sink.
    virtual long CacheContext(VL_TextBuffer& sink, void* reserved) = 0;
    virtual long log_error(const char* text) = 0;
    // The request body, zero-terminated.
    virtual char* getInputBuffer();
    // Body bytes plus one for the terminator.
    virtual long getInputLength();
    virtual ConfigurationSet* getConfiguration();

protected:
    char* inputBuffer;                 // malloc'ed, owned
    long inputLength;
    ConfigurationSet* configuration;   // owned
    long headerWritten;
    long textWritten;

private:
    WebInterface(const WebInterface&);
    WebInterface& operator=(const WebInterface&);
};

// Processes one request through a web interface.
class DVLKERN_API VL_Gateway {
public:
    explicit VL_Gateway(WebInterface& web);
    ~VL_Gateway();
    // Reads the request and writes the whole response; returns 1 when every
    // write succeeded.
    int Post();

private:
    VL_Gateway(const VL_Gateway&);
    VL_Gateway& operator=(const VL_Gateway&);
    WebInterface& web;
};

#endif
