// The plug-in's request interface driven in-process against scripted requests.
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>
#include "scripted_request.h"
#include "whapi_interface.h"

namespace {

// Gives the tests a view of the flags the interface sets.
class Probe : public WHAPIInterface {
public:
    explicit Probe(void* handle) : WHAPIInterface(handle) {}
    long HeaderWritten() const { return headerWritten; }
    long TextWritten() const { return textWritten; }
};

const char* const AllNames[] = {
    "AUTH_TYPE", "AUTH_PASS", "HTTP_ACCEPT", "HTTP_ACCEPT_LANGUAGE", "HTTP_PRAGMA", "HTTP_HOST",
    "HTTP_REFERER", "HTTP_USER_AGENT", "HTTP_UA_CPU", "HTTP_UA_OS", "HTTP_UA_COLOR", "HTTP_UA_PIXELS",
    "HTTP_RESPONSE", "HTTP_REASON", "REQUEST_METHOD", "SCRIPT_NAME", "CONTENT_TYPE", "CONTENT_LENGTH",
    "QUERY_STRING", "PATH_INFO", "PATH_TRANSLATED", "REMOTE_HOST", "REMOTE_ADDR", "REMOTE_USER",
    "REMOTE_IDENT", "SERVER_ROOT", "SERVER_NAME", "SERVER_PORT", "SERVER_SOFTWARE", "SERVER_PROTOCOL",
    "GATEWAY_INTERFACE"};

long Count(const std::vector<std::string>& lines, const std::string& line)
{
    return (long)std::count(lines.begin(), lines.end(), line);
}

}  // namespace

TEST(WHAPIContext, RequestWithoutVariablesGivesEveryNameEmptyAndTracesEachFailure)
{
    TraceFile trace;
    ScriptedRequest request;
    VL_TextBuffer sink;
    long rc;
    {
        WHAPIInterface web(request.Handle());
        rc = web.CacheContext(sink, NULL);
    }
    std::string expected;
    for (const char* name : AllNames)
        expected += std::string("&") + name + "=";
    EXPECT_EQ(expected, sink.text());
    EXPECT_EQ(WEBHOST_RC_NO_VARIABLE, rc);
    EXPECT_EQ(31, request.record.extractCalls);

    // Each name is traced, followed by its failure, in table order.
    std::vector<std::string> lines = trace.Lines();
    std::vector<std::string> pairs;
    for (size_t i = 0; i < lines.size(); i++)
        if (lines[i].find("  DVLWHAPI: Extract of ") == 0)
            pairs.push_back(lines[i - 1] + "|" + lines[i]);
    ASSERT_EQ(31u, pairs.size());
    for (int i = 0; i < 31; i++)
        EXPECT_EQ(std::string("  ") + AllNames[i] + "|  DVLWHAPI: Extract of " + AllNames[i] + " failed rc=1413",
                  pairs[i]);
    EXPECT_EQ(1, Count(lines, "> WHAPIInterface::CacheContext"));
    EXPECT_EQ(1, Count(lines, "< WHAPIInterface::CacheContext rc=0"));
}

TEST(WHAPIContext, ValuesReachTheSinkEncodedAndNamesPlain)
{
    TraceFile trace;
    ScriptedRequest request;
    request.Variable("QUERY_STRING", "a=1&b=two words");
    request.Variable("HTTP_USER_AGENT", "agent 7");
    request.Variable("REQUEST_METHOD", "GET");
    request.Variable("GATEWAY_INTERFACE", "CGI/1.1");
    VL_TextBuffer sink;
    WHAPIInterface web(request.Handle());
    long rc = web.CacheContext(sink, NULL);

    std::string text = sink.text();
    EXPECT_NE(std::string::npos, text.find("&HTTP_USER_AGENT=agent%207&"));
    EXPECT_NE(std::string::npos, text.find("&REQUEST_METHOD=GET&SCRIPT_NAME=&"));
    EXPECT_NE(std::string::npos, text.find("&QUERY_STRING=a%3D1%26b%3Dtwo%20words&PATH_INFO=&"));
    EXPECT_EQ(0u, text.find("&AUTH_TYPE=&"));
    EXPECT_EQ(text.size() - strlen("&GATEWAY_INTERFACE=CGI%2F1.1"), text.rfind("&GATEWAY_INTERFACE=CGI%2F1.1"));
    EXPECT_EQ(0, rc);  // the last variable was there

    std::vector<std::string> lines = trace.Lines();
    EXPECT_EQ(1, Count(lines, "  a%3D1%26b%3Dtwo%20words"));
    EXPECT_EQ(27, std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
                  return l.find("  DVLWHAPI: Extract of ") == 0;
              }));
}

TEST(WHAPIContext, ValueLargerThanTheBufferIsLeftEmptyAndTheLastCodeIsReturned)
{
    ScriptedRequest request;
    request.Variable("HTTP_REFERER", std::string(499, 'r'));   // fits with its terminator
    request.Variable("HTTP_USER_AGENT", std::string(500, 'u')); // does not
    request.Variable("GATEWAY_INTERFACE", std::string(5000, 'g'));
    VL_TextBuffer sink;
    WHAPIInterface web(request.Handle());
    long rc = web.CacheContext(sink, NULL);
    std::string text = sink.text();
    EXPECT_NE(std::string::npos, text.find("&HTTP_REFERER=" + std::string(499, 'r') + "&HTTP_USER_AGENT=&"));
    EXPECT_EQ(text.size() - strlen("&GATEWAY_INTERFACE="), text.rfind("&GATEWAY_INTERFACE="));
    EXPECT_EQ(WEBHOST_RC_SMALL_BUFFER, rc);

    ScriptedRequest failing;
    failing.Variable("AUTH_TYPE", "Basic");
    failing.record.failExtractRc = 6;
    VL_TextBuffer empty;
    WHAPIInterface other(failing.Handle());
    EXPECT_EQ(6, other.CacheContext(empty, NULL));
    EXPECT_EQ(0u, std::string(empty.text()).find("&AUTH_TYPE=&AUTH_PASS=&"));
}

TEST(WHAPIInput, BodyOfTenBytesIsReadOnceWithATerminator)
{
    ScriptedRequest request;
    request.Variable("CONTENT_LENGTH", "10");
    request.Body("0123456789 and what follows is not asked for");
    Probe web(request.Handle());
    char* first = web.getInputBuffer();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(11, web.getInputLength());
    EXPECT_EQ(0, memcmp(first, "0123456789", 10));
    EXPECT_EQ(0, first[10]);
    EXPECT_EQ(first, web.getInputBuffer());
    EXPECT_EQ(1, request.record.readCalls);
    EXPECT_EQ(11, web.getInputLength());
    EXPECT_EQ("", request.ErrorLog());
}

TEST(WHAPIInput, MissingZeroOrInvalidContentLengthReadsUpTo4096Bytes)
{
    const char* lengths[] = {NULL, "0", "-5", "abc", "99999999999"};
    for (const char* length : lengths) {
        SCOPED_TRACE(length ? length : "(missing)");
        ScriptedRequest request;
        if (length)
            request.Variable("CONTENT_LENGTH", length);
        request.Body(std::string(5000, 'b'));
        WHAPIInterface web(request.Handle());
        char* body = web.getInputBuffer();
        ASSERT_NE(nullptr, body);
        EXPECT_EQ(4097, web.getInputLength());
        EXPECT_EQ(4096u, strlen(body));
        EXPECT_EQ("DVLWHAPI:CONTENT_LENGTH appears to be 0\n", request.ErrorLog());
    }

    // A short body without a length: what there is, plus the terminator.
    ScriptedRequest shortBody;
    shortBody.Body("abc");
    WHAPIInterface web(shortBody.Handle());
    EXPECT_STREQ("abc", web.getInputBuffer());
    EXPECT_EQ(4, web.getInputLength());
}

TEST(WHAPIInput, FailedReadIsLoggedAndKeepsAnEmptyBuffer)
{
    TraceFile trace;
    ScriptedRequest request;
    request.Variable("CONTENT_LENGTH", "10");
    request.Body("0123456789");
    request.record.failReadRc = 5;
    WHAPIInterface web(request.Handle());
    char* body = web.getInputBuffer();
    ASSERT_NE(nullptr, body);
    EXPECT_EQ(0, body[0]);
    EXPECT_EQ(1, web.getInputLength());
    EXPECT_EQ("DVLWHAPI:Read RC=5\n", request.ErrorLog());
    EXPECT_EQ(body, web.getInputBuffer());
    EXPECT_EQ(1, request.record.readCalls);
    EXPECT_EQ(1, Count(trace.Lines(), "  DVLWHAPI:Read RC=5"));
}

TEST(WHAPIInput, FailedReadThatClaimsBytesHandsOverNoneOfThem)
{
    // Leave a recognisable pattern in freed heap of the body's size, so that
    // a buffer handed over with the claimed count would show it.
    for (int i = 0; i < 64; i++) {
        char* old = (char*)malloc(11);
        memset(old, 'X', 11);
        free(old);
    }
    ScriptedRequest request;
    request.Variable("CONTENT_LENGTH", "10");
    request.Body("0123456789");
    request.record.failReadRc = 5;
    request.record.failReadClaims = 10;
    Probe web(request.Handle());
    char* body = web.getInputBuffer();
    ASSERT_NE(nullptr, body);
    EXPECT_EQ(1, web.getInputLength());
    EXPECT_EQ(0, body[0]);
    EXPECT_EQ("DVLWHAPI:Read RC=5\n", request.ErrorLog());
    EXPECT_EQ(1, request.record.readCalls);
}

TEST(WHAPIInput, LengthTooLargeToAllocateGivesNoBufferAndNoCrash)
{
    // Two gigabytes do not fit beside the program in a 32-bit address space;
    // a 64-bit process gets them, so the refusal cannot be reached there.
    if (sizeof(void*) == 8) GTEST_SKIP() << "a 64-bit process can allocate a body of 2 GB";
    ScriptedRequest request;
    request.Variable("CONTENT_LENGTH", "2147483646");
    WHAPIInterface web(request.Handle());
    EXPECT_EQ(nullptr, web.getInputBuffer());
    EXPECT_EQ(0, web.getInputLength());
    EXPECT_EQ(0, request.record.readCalls);
    EXPECT_EQ("DVLWHAPI:No memory for a body of 2147483646 bytes\n", request.ErrorLog());
}

TEST(WHAPIWrite, EmptyTextCallsNothingAndIntegerIsWrittenInDecimal)
{
    ScriptedRequest request;
    Probe web(request.Handle());
    EXPECT_EQ(0, web.write_text("", 0));
    EXPECT_EQ(0, request.record.writeCalls);
    EXPECT_EQ(1, web.TextWritten());
    EXPECT_EQ(0, web.HeaderWritten());

    EXPECT_EQ(0, web.write_text(-42));
    EXPECT_EQ("-42", request.Content());
    EXPECT_EQ(0, web.write_text("abcdef", 3));
    EXPECT_EQ(0, web.write_text("xyz", 0));
    EXPECT_EQ("-42abcxyz", request.Content());
    EXPECT_EQ(3, request.record.writeCalls);
}

TEST(WHAPIWrite, HeaderIsSetWithItsLengths)
{
    TraceFile trace;
    ScriptedRequest request;
    Probe web(request.Handle());
    EXPECT_EQ(0, web.write_header("Content-Type", "text/html"));
    EXPECT_EQ("Content-Type: text/html\r\n", request.Headers());
    EXPECT_EQ(1, web.HeaderWritten());
    EXPECT_EQ(0, web.TextWritten());
    std::vector<std::string> lines = trace.Lines();
    EXPECT_EQ(1, Count(lines, "> WHAPIInterface::write_header"));
    EXPECT_EQ(1, Count(lines, "< WHAPIInterface::write_header rc=0"));
}

TEST(WHAPIWrite, FailedHeaderAndWritesAreLoggedAndStillMarkedWritten)
{
    ScriptedRequest request;
    request.record.failHeaderRc = 31;
    request.record.failWriteRc = 33;
    Probe web(request.Handle());
    EXPECT_EQ(31, web.write_header("X-Name", "value"));
    EXPECT_EQ(1, web.HeaderWritten());
    EXPECT_EQ(33, web.write_text("text", 0));
    EXPECT_EQ(33, web.write_text(7));
    EXPECT_EQ(1, web.TextWritten());
    EXPECT_EQ("DVLWHAPI:Set failed\nDVLWHAPI:Write failed\nDVLWHAPI:Write failed\n", request.ErrorLog());
    EXPECT_EQ("", request.Content());
}

TEST(WHAPIInterfaceLife, TypeConfigurationLogAndTracesOfConstructionAndDestruction)
{
    TraceFile trace;
    ScriptedRequest request;
    {
        WHAPIInterface web(request.Handle());
        EXPECT_STREQ("WHAPI", web.interface_type());
        ASSERT_NE(nullptr, web.getConfiguration());
        EXPECT_EQ(&web, web.getConfiguration()->owner());
        EXPECT_EQ(0, web.getInputLength());
        EXPECT_EQ(0, web.log_error("something went wrong"));
    }
    EXPECT_EQ("something went wrong\n", request.ErrorLog());
    std::vector<std::string> expected = {
        "> WHAPIInterface::WHAPIInterface(handle)", "< WHAPIInterface::WHAPIInterface(handle) rc=0",
        "  something went wrong", "> WHAPIInterface::~WHAPIInterface", "< WHAPIInterface::~WHAPIInterface rc=0"};
    EXPECT_EQ(expected, trace.Lines());
}
