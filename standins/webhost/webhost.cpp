// A small web host: serves HTTP/1.0 and 1.1 on 127.0.0.1 and answers every
// request (except the host's own /direct/ paths) through the DVLWHAPI plug-in,
// one connection per thread.
//
//   webhost.exe --port N [--plugin PATH] [--ready-file PATH] [--error-log PATH]
//               [--lifetime SECONDS]
//
// Port 0 lets the system choose; the port in use is written to the ready
// file once the host accepts connections. --lifetime ends the host after the
// given time whatever happens (tests bound their runs with it).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "webhost.h"
#include "http_request.h"

#define MAX_CONNECTIONS 64
#define RECEIVE_TIMEOUT_MS 15000

HostState Host;

static DWORD WINAPI EndAfterLifetime(LPVOID seconds)
{
    Sleep((DWORD)(UINT_PTR)seconds * 1000);
    fprintf(stderr, "webhost: lifetime over, stopping\n");
    ExitProcess(3);
    return 0;
}

static int LoadPlugin(const char* path)
{
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        fprintf(stderr, "webhost: cannot load %s (error %lu)\n", path, GetLastError());
        return 0;
    }
    Host.plugin = (PluginEntry)(void*)GetProcAddress(module, "DVLWHAPI");
    if (!Host.plugin) {
        fprintf(stderr, "webhost: %s has no entry DVLWHAPI\n", path);
        return 0;
    }
    return 1;
}

static SOCKET Listen(int port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(s, (sockaddr*)&address, sizeof address) != 0 || listen(s, SOMAXCONN) != 0 ||
        getsockname(s, (sockaddr*)&address, &length) != 0) {
        fprintf(stderr, "webhost: cannot listen on 127.0.0.1:%d (error %d)\n", port, WSAGetLastError());
        closesocket(s);
        return INVALID_SOCKET;
    }
    Host.port = ntohs(address.sin_port);
    return s;
}

static int WriteReadyFile(const char* path)
{
    char temporary[MAX_PATH];
    if (snprintf(temporary, sizeof temporary, "%s.tmp", path) >= (int)sizeof temporary)
        return 0;
    FILE* f = fopen(temporary, "wb");
    if (!f)
        return 0;
    fprintf(f, "%d\n", Host.port);
    fclose(f);
    // Renamed into place so a reader never sees a half-written port.
    return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    int port = -1;
    long lifetime = 0;
    const char* readyFile = NULL;
    const char* errorLogPath = NULL;
    char plugin[MAX_PATH] = "";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--port") == 0)
            port = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--plugin") == 0)
            snprintf(plugin, sizeof plugin, "%s", argv[i + 1]);
        else if (strcmp(argv[i], "--ready-file") == 0)
            readyFile = argv[i + 1];
        else if (strcmp(argv[i], "--error-log") == 0)
            errorLogPath = argv[i + 1];
        else if (strcmp(argv[i], "--lifetime") == 0)
            lifetime = atol(argv[i + 1]);
    }
    if (port < 0 || port > 65535 || (argc - 1) % 2 != 0) {
        fprintf(stderr, "usage: webhost --port N [--plugin PATH] [--ready-file PATH] [--error-log PATH] "
                        "[--lifetime SECONDS]\n");
        return 2;
    }
    if (lifetime > 0) {
        HANDLE t = CreateThread(NULL, 0, EndAfterLifetime, (LPVOID)(UINT_PTR)lifetime, 0, NULL);
        if (t)
            CloseHandle(t);
    }
    if (!plugin[0]) {
        // By default the plug-in next to the host program.
        DWORD n = GetModuleFileNameA(NULL, plugin, sizeof plugin);
        char* slash = n > 0 && n < sizeof plugin ? strrchr(plugin, '\\') : NULL;
        if (!slash || (size_t)(slash + 1 - plugin) + sizeof "DVLWHAPI.dll" > sizeof plugin)
            return 2;
        strcpy(slash + 1, "DVLWHAPI.dll");
    }
    if (!LoadPlugin(plugin))
        return 2;

    InitializeCriticalSection(&Host.errorLogLock);
    if (errorLogPath && !(Host.errorLog = fopen(errorLogPath, "a"))) {
        fprintf(stderr, "webhost: cannot open error log %s\n", errorLogPath);
        return 2;
    }
    Host.connectionSlots = CreateSemaphoreA(NULL, MAX_CONNECTIONS, MAX_CONNECTIONS, NULL);

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 2;
    SOCKET listener = Listen(port);
    if (listener == INVALID_SOCKET)
        return 2;
    if (readyFile && !WriteReadyFile(readyFile)) {
        fprintf(stderr, "webhost: cannot write %s\n", readyFile);
        return 2;
    }
    printf("webhost: listening on 127.0.0.1:%d\n", Host.port);

    for (;;) {
        WaitForSingleObject(Host.connectionSlots, INFINITE);
        sockaddr_in peer;
        int peerLength = sizeof peer;
        SOCKET s = accept(listener, (sockaddr*)&peer, &peerLength);
        if (s == INVALID_SOCKET) {
            ReleaseSemaphore(Host.connectionSlots, 1, NULL);
            Sleep(10);
            continue;
        }
        DWORD timeout = RECEIVE_TIMEOUT_MS;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char*)&timeout, sizeof timeout);
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char*)&noDelay, sizeof noDelay);

        HttpConnection* c = (HttpConnection*)calloc(1, sizeof *c);
        HANDLE thread = NULL;
        if (c) {
            c->socket = s;
            c->port = Host.port;
            snprintf(c->peer, sizeof c->peer, "%s", inet_ntoa(peer.sin_addr));
            thread = CreateThread(NULL, 256 * 1024, ServeConnection, c, STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
        }
        if (thread) {
            CloseHandle(thread);
        } else {
            closesocket(s);
            free(c);
            ReleaseSemaphore(Host.connectionSlots, 1, NULL);
        }
    }
}
