/* A host program in plain C. Each run is one scenario given on the command
 * line; the exit code is 0 when every check held. Scenarios:
 *   replay   start a replay instance with C callbacks and receive packets
 */
#if !defined(_WIN32) && !defined(_POSIX_C_SOURCE)
#define _POSIX_C_SOURCE 200809L
#endif
#include "nerevnet.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_failures = 0;

#define CHECK(cond)                                                            \
    do {                                                                       \
        if (!(cond)) {                                                         \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++g_failures;                                                      \
        }                                                                      \
    } while (0)

typedef struct Received {
    int starts;
    int packets;
    int connected;
    int requireIdr;
    int stops;
    int badPacket;
} Received;

static void onStart(int32_t role, bool success, void* user)
{
    Received* r = (Received*)user;
    if (role == Role_Client && success)
        r->starts++;
}

static void onConnectStatus(int32_t status, void* user)
{
    Received* r = (Received*)user;
    if (status == ConnectStatus_Connected)
        r->connected++;
}

static void onEvent(const NerevnetEvent* event, void* user)
{
    Received* r = (Received*)user;
    if (event->event == NerevnetEventCode_RequireIDR && event->timestamp > 0)
        r->requireIdr++;
}

static void onReceivePacket(const NerevnetPacket* packet, uint32_t reserved, void* user)
{
    Received* r = (Received*)user;
    const unsigned char* d = packet->data;
    int startCode = packet->size >= 4 && d && d[0] == 0 && d[1] == 0 && (d[2] == 1 || (d[2] == 0 && d[3] == 1));
    if (packet->mediaType != 2 || packet->subType != 1 || reserved != 0 || !startCode || packet->extraData != NULL ||
        packet->extraSize != 0)
        r->badPacket++;
    r->packets++;
}

static void onStop(int32_t role, void* user)
{
    (void)role;
    ((Received*)user)->stops++;
}

static void sleepMs(int ms);

static int writeRecording(const char* path)
{
    static const unsigned char bytes[] = {0, 0, 0, 1, 0x67, 1, 2, 3, 0, 0, 1, 0x68, 4, 5, 6, 0, 0, 1, 0x65, 7, 8, 9, 10};
    FILE* f = fopen(path, "wb");
    if (!f)
        return 0;
    fwrite(bytes, 1, sizeof bytes, f);
    fclose(f);
    return 1;
}

static int replay(void)
{
    const char* path = "c_host_replay.h264";
    CHECK(writeRecording(path));

    NerevnetStartupConfig config;
    memset(&config, 0, sizeof config);
    config.version = NEREVNET_VERSION;
    config.networkType = NetworkType_Mock;
    config.role = Role_Client;
    config.logLevel = NerevnetLogLevel_Info;
    config.logDir = "c_host_replay_logs";
    config.config.mock.filePath = path;

    int32_t error = -1;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    CHECK(handle != NULL);
    CHECK(error == NerevnetErrorCode_Success);
    if (!handle)
        return 1;

    Received received;
    memset(&received, 0, sizeof received);
    NerevnetCallbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.onStart = onStart;
    callbacks.onConnectStatus = onConnectStatus;
    callbacks.onEvent = onEvent;
    callbacks.onReceivePacket = onReceivePacket;
    callbacks.onStop = onStop;
    nerevnet_setCallback(handle, &callbacks, &received);

    CHECK(nerevnet_isConnected(handle));
    CHECK(nerevnet_sendMessage(handle, "abc", 3, true) == 3);
    CHECK(nerevnet_start(handle, "127.0.0.1", 9000, NULL) == 0);
    for (int i = 0; i < 500 && received.packets < 6; ++i)
        sleepMs(10);
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);

    CHECK(received.starts == 1);
    CHECK(received.connected == 1);
    CHECK(received.requireIdr == 1);
    CHECK(received.packets >= 6);
    CHECK(received.badPacket == 0);
    CHECK(received.stops == 1);
    return 0;
}

#ifdef _WIN32
#include <windows.h>
static void sleepMs(int ms) { Sleep((DWORD)ms); }
#else
#include <time.h>
static void sleepMs(int ms)
{
    struct timespec t = {ms / 1000, (long)(ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}
#endif

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s scenario [args]\n", argv[0]);
        return 2;
    }
    if (strcmp(argv[1], "replay") == 0)
        replay();
    else {
        fprintf(stderr, "unknown scenario %s\n", argv[1]);
        return 2;
    }
    if (g_failures)
        fprintf(stderr, "%d check(s) failed\n", g_failures);
    else
        printf("all checks passed\n");
    return g_failures ? 1 : 0;
}
