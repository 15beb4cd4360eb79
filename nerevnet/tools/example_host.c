/* Example host of nerevnet: starts a replay instance on a recording, prints
 * every received packet and every status change, and stops after a while.
 *   nerevnet_example_host RECORDING [SECONDS] [LOG_DIR]
 */
#include "nerevnet.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
static void sleepMs(unsigned ms) { Sleep(ms); }
#else
#include <time.h>
static void sleepMs(unsigned ms)
{
    struct timespec t;
    t.tv_sec = ms / 1000;
    t.tv_nsec = (long)(ms % 1000) * 1000000L;
    nanosleep(&t, NULL);
}
#endif

typedef struct Host {
    unsigned long packets;
    unsigned long long bytes;
} Host;

static const char* statusName(int32_t status)
{
    switch (status) {
    case ConnectStatus_Connecting: return "Connecting";
    case ConnectStatus_Connected: return "Connected";
    case ConnectStatus_Disconnected: return "Disconnected";
    default: return "Unknown";
    }
}

static const char* nalName(int type)
{
    switch (type) {
    case 1: return "P slice";
    case 5: return "IDR slice";
    case 7: return "SPS";
    case 8: return "PPS";
    default: return "other";
    }
}

static void onStart(int32_t role, bool success, void* user)
{
    (void)user;
    printf("start: %s, %s\n", role == Role_Server ? "server" : "client", success ? "ok" : "failed");
}

static void onStop(int32_t role, void* user)
{
    (void)user;
    printf("stop: %s\n", role == Role_Server ? "server" : "client");
}

static void onConnectStatus(int32_t status, void* user)
{
    (void)user;
    printf("status: %s\n", statusName(status));
}

static void onEvent(const NerevnetEvent* event, void* user)
{
    (void)user;
    printf("event: %s\n", nerevnet_eventToString(event->event));
}

static void onError(int32_t error, const char* message, void* user)
{
    (void)user;
    printf("error %d: %s\n", error, message ? message : "");
}

static void onReceivePacket(const NerevnetPacket* packet, uint32_t reserved, void* user)
{
    Host* host = (Host*)user;
    (void)reserved;
    /* The unit keeps its start code: 00 00 01 or 00 00 00 01, then the NAL header. */
    size_t header = packet->size > 3 && packet->data[2] == 1 ? 3 : 4;
    int nalType = packet->size > header ? packet->data[header] & 0x1f : -1;
    host->packets++;
    host->bytes += packet->size;
    printf("packet %4lu: mediaType %d, subType %d, %5llu bytes, %s\n", host->packets, packet->mediaType,
           packet->subType, (unsigned long long)packet->size, nalName(nalType));
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s RECORDING [SECONDS] [LOG_DIR]\n", argv[0]);
        return 2;
    }
    const int seconds = argc > 2 ? atoi(argv[2]) : 3;
    setvbuf(stdout, NULL, _IOLBF, 0);

    NerevnetStartupConfig config;
    memset(&config, 0, sizeof config);
    config.version = NEREVNET_VERSION;
    config.networkType = NetworkType_Mock;
    config.role = Role_Client;
    config.logLevel = NerevnetLogLevel_Info;
    config.logDir = argc > 3 ? argv[3] : NULL;
    config.config.mock.filePath = argv[1];

    printf("nerevnet %s, replaying %s for %d s\n", nerevnet_getVersion(), argv[1], seconds);
    int32_t error = 0;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    if (!handle) {
        fprintf(stderr, "startup failed: %s\n", nerevnet_errorToString(error));
        return 1;
    }

    Host host = {0, 0};
    NerevnetCallbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.onError = onError;
    callbacks.onEvent = onEvent;
    callbacks.onStart = onStart;
    callbacks.onStop = onStop;
    callbacks.onConnectStatus = onConnectStatus;
    callbacks.onReceivePacket = onReceivePacket;
    nerevnet_setCallback(handle, &callbacks, &host);

    /* The replay driver ignores address and port, but a client needs both. */
    int32_t result = nerevnet_start(handle, "127.0.0.1", 9000, NULL);
    if (result != 0) {
        fprintf(stderr, "start failed: %s\n", nerevnet_errorToString(result));
        nerevnet_shutdown(handle);
        return 1;
    }
    sleepMs((unsigned)seconds * 1000u);
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
    printf("received %lu packets, %llu bytes\n", host.packets, host.bytes);
    return host.packets > 0 ? 0 : 1;
}
