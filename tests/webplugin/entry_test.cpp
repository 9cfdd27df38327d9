// The plug-in library as the web server uses it: loaded from its file and
// called through its exported entry point.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <string>
#include "scripted_request.h"

namespace {

typedef void(WINAPI* Entry)(void* handle, long* rc);

Entry LoadEntry()
{
    HMODULE plugin = LoadLibraryA(VL_BIN_DIR "\\DVLWHAPI.dll");
    if (!plugin)
        return NULL;
    return (Entry)(void*)GetProcAddress(plugin, "DVLWHAPI");
}

size_t Position(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
}

}  // namespace

TEST(DVLWHAPIEntry, AnswersAScriptedPostThroughTheGateway)
{
    Entry entry = LoadEntry();
    ASSERT_NE(nullptr, entry);
    TraceFile trace;
    ScriptedRequest request;
    request.Variable("REQUEST_METHOD", "POST");
    request.Variable("QUERY_STRING", "id=7 & more");
    request.Variable("CONTENT_LENGTH", "10");
    request.Body("0123456789");
    long rc = 0;
    entry(request.Handle(), &rc);

    EXPECT_EQ(200, rc);
    EXPECT_EQ("Content-Type: text/plain\r\n", request.Headers());
    std::string content = request.Content();
    EXPECT_NE(std::string::npos, content.find("interface=WHAPI\n"));
    EXPECT_NE(std::string::npos, content.find("configuration=yes\n"));
    EXPECT_NE(std::string::npos, content.find("&REQUEST_METHOD=POST&"));
    EXPECT_NE(std::string::npos, content.find("&QUERY_STRING=id%3D7%20%26%20more&"));
    EXPECT_NE(std::string::npos, content.find("input-length=11\nbody=0123456789\n"));
    EXPECT_EQ("", request.ErrorLog());

    // The request is framed by the entry's trace; the gateway goes before the
    // interface.
    std::vector<std::string> lines = trace.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("> DVLWHAPI (main)", lines.front());
    EXPECT_EQ("< WHAPIInterface::~WHAPIInterface rc=0", lines.back());
    size_t exitMain = Position(lines, "< DVLWHAPI (main) rc=0");
    size_t gatewayGone = Position(lines, "> VL_Gateway::~VL_Gateway");
    size_t interfaceGone = Position(lines, "> WHAPIInterface::~WHAPIInterface");
    EXPECT_LT(Position(lines, "> WHAPIInterface::WHAPIInterface(handle)"), Position(lines, "> VL_Gateway::Post"));
    EXPECT_LT(Position(lines, "< VL_Gateway::Post rc=0"), exitMain);
    EXPECT_LT(exitMain, gatewayGone);
    EXPECT_LT(gatewayGone, interfaceGone);
    EXPECT_LT(interfaceGone, lines.size());
}

TEST(DVLWHAPIEntry, Reports200WhenEveryWebServerCallFails)
{
    Entry entry = LoadEntry();
    ASSERT_NE(nullptr, entry);
    ScriptedRequest request;
    request.Variable("CONTENT_LENGTH", "4");
    request.Body("data");
    request.record.failExtractRc = 2;
    request.record.failHeaderRc = 3;
    request.record.failReadRc = 4;
    request.record.failWriteRc = 5;
    long rc = 0;
    entry(request.Handle(), &rc);
    EXPECT_EQ(200, rc);
    EXPECT_EQ("", request.Content());
    std::string log = request.ErrorLog();
    EXPECT_EQ(0u, log.find("DVLWHAPI:CONTENT_LENGTH appears to be 0\nDVLWHAPI:Read RC=4\nDVLWHAPI:Set failed\n"
                           "DVLWHAPI:Write failed\n"));
}

namespace {

struct Worker {
    Entry entry;
    int id;
    int failures;
};

DWORD WINAPI RunRequests(LPVOID parameter)
{
    Worker* w = (Worker*)parameter;
    for (int n = 0; n < 40; n++) {
        char query[64], body[64];
        snprintf(query, sizeof query, "worker=%d&n=%d", w->id, n);
        snprintf(body, sizeof body, "body of %d/%d", w->id, n);
        ScriptedRequest request;
        request.Variable("QUERY_STRING", query);
        request.Variable("CONTENT_LENGTH", std::to_string(strlen(body)));
        request.Body(body);
        long rc = 0;
        w->entry(request.Handle(), &rc);
        char expected[128];
        snprintf(expected, sizeof expected, "&QUERY_STRING=worker%%3D%d%%26n%%3D%d&", w->id, n);
        std::string content = request.Content();
        if (rc != 200 || content.find(expected) == std::string::npos ||
            content.find(std::string("body=") + body + "\n") == std::string::npos)
            w->failures++;
    }
    return 0;
}

}  // namespace

TEST(DVLWHAPIEntry, ConcurrentRequestsEachGetTheirOwnAnswer)
{
    Entry entry = LoadEntry();
    ASSERT_NE(nullptr, entry);
    TraceFile trace;  // the trace is written from every thread at once
    Worker workers[8];
    HANDLE threads[8];
    for (int i = 0; i < 8; i++) {
        workers[i] = {entry, i, 0};
        threads[i] = CreateThread(NULL, 0, RunRequests, &workers[i], 0, NULL);
        ASSERT_NE(nullptr, threads[i]);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(8, threads, TRUE, 120000));
    for (int i = 0; i < 8; i++) {
        CloseHandle(threads[i]);
        EXPECT_EQ(0, workers[i].failures) << "worker " << i;
    }
    std::vector<std::string> lines = trace.Lines();
    EXPECT_EQ(320, std::count(lines.begin(), lines.end(), std::string("< DVLWHAPI (main) rc=0")));
}
