// The gateway's request processing: it collects the request through the web
// interface and answers with a plain-text echo of what it received, so a
// client can see exactly what reached the kernel.
#include <string.h>
#include "dvlkern.h"

VL_Gateway::VL_Gateway(WebInterface& webInterface) : web(webInterface)
{
    dvlxtr_entry("VL_Gateway::VL_Gateway");
    dvlxtr_exit("VL_Gateway::VL_Gateway", 0);
}

VL_Gateway::~VL_Gateway()
{
    dvlxtr_entry("VL_Gateway::~VL_Gateway");
    dvlxtr_exit("VL_Gateway::~VL_Gateway", 0);
}

static int WriteLine(WebInterface& web, const char* label, const char* text, long length)
{
    int ok = 1;
    ok &= web.write_text(label, 0) == 0;
    if (text && length > 0)
        ok &= web.write_text(text, length) == 0;
    ok &= web.write_text("\n", 0) == 0;
    return ok;
}

int VL_Gateway::Post()
{
    dvlxtr_entry("VL_Gateway::Post");
    int ok = 1;

    VL_TextBuffer context;
    web.CacheContext(context, NULL);

    char* body = web.getInputBuffer();
    long inputLength = web.getInputLength();

    ConfigurationSet* settings = web.getConfiguration();
    const char* type = settings ? settings->responseType() : "text/plain";
    ok &= web.write_header("Content-Type", type) == 0;

    const char* kind = web.interface_type();
    ok &= WriteLine(web, "interface=", kind, kind ? (long)strlen(kind) : 0);
    const char* owned = settings && settings->owner() == &web ? "yes" : "no";
    ok &= WriteLine(web, "configuration=", owned, (long)strlen(owned));
    ok &= WriteLine(web, "context=", context.text(), context.length());
    ok &= web.write_text("input-length=", 0) == 0;
    ok &= web.write_text((int)inputLength) == 0;
    ok &= web.write_text("\n", 0) == 0;
    // The body is written byte for byte, without its terminator.
    ok &= WriteLine(web, "body=", body, body && inputLength > 1 ? inputLength - 1 : 0);

    dvlxtr_exit("VL_Gateway::Post", ok ? 0 : 1);
    return ok;
}
