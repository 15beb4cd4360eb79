/* A host program in plain C. Each run is one scenario given on the command
 * line; the exit code is 0 when every check held. Scenarios:
 *   replay                     a replay instance with C callbacks receives packets
 *   level LEVEL DEBUG INFO     start-up with logLevel LEVEL; the log file must hold
 *                              debug lines when DEBUG is 1 and info lines when INFO is 1
 *   logfail                    an unwritable log folder fails with 105, a good one
 *                              works afterwards
 *   utf8                       Chinese log folder and recording given as UTF-8: the
 *                              log, the debug dumps and the replay use exactly those
 *                              names; a log folder that is not UTF-8 fails with 105
 */
#if !defined(_WIN32) && !defined(_POSIX_C_SOURCE)
#define _POSIX_C_SOURCE 200809L
#endif
#include "nerevnet.h"

#include <errno.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static int g_failures = 0;

#define CHECK(cond)                                                            \
    do {                                                                       \
        if (!(cond)) {                                                         \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++g_failures;                                                      \
        }                                                                      \
    } while (0)

/* Counted on the library's threads while the main thread waits on them. */
typedef struct Received {
    atomic_int starts;
    atomic_int packets;
    atomic_int connected;
    atomic_int requireIdr;
    atomic_int stops;
    atomic_int badPacket;
} Received;

static void clearReceived(Received* r)
{
    atomic_init(&r->starts, 0);
    atomic_init(&r->packets, 0);
    atomic_init(&r->connected, 0);
    atomic_init(&r->requireIdr, 0);
    atomic_init(&r->stops, 0);
    atomic_init(&r->badPacket, 0);
}

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
static FILE* openUtf8(const char* path, const char* mode);
static int makeDirUtf8(const char* path); /* true when the folder exists afterwards */
static int codePageAsAsked(void);

static int writeRecording(const char* path)
{
    static const unsigned char bytes[] = {0, 0, 0, 1, 0x67, 1, 2, 3, 0, 0, 1, 0x68, 4, 5, 6, 0, 0, 1, 0x65, 7, 8, 9, 10};
    FILE* f = openUtf8(path, "wb");
    if (!f)
        return 0;
    fwrite(bytes, 1, sizeof bytes, f);
    fclose(f);
    return 1;
}

/* Registers the C callbacks, sends "abc", replays until `wanted` packets have
 * arrived (5 s at most), then stops and shuts the instance down. */
static void replayAndShutdown(NerevnetHandle handle, Received* received, int wanted)
{
    clearReceived(received);
    NerevnetCallbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.onStart = onStart;
    callbacks.onConnectStatus = onConnectStatus;
    callbacks.onEvent = onEvent;
    callbacks.onReceivePacket = onReceivePacket;
    callbacks.onStop = onStop;
    nerevnet_setCallback(handle, &callbacks, received);

    CHECK(nerevnet_isConnected(handle));
    CHECK(nerevnet_sendMessage(handle, "abc", 3, true) == 3);
    CHECK(nerevnet_start(handle, "127.0.0.1", 9000, NULL) == 0);
    for (int i = 0; i < 500 && received->packets < wanted; ++i)
        sleepMs(10);
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
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
    replayAndShutdown(handle, &received, 6);
    CHECK(received.starts == 1);
    CHECK(received.connected == 1);
    CHECK(received.requireIdr == 1);
    CHECK(received.packets >= 6);
    CHECK(received.badPacket == 0);
    CHECK(received.stops == 1);
    return 0;
}

/* Reads the whole daily log file of folder dir into a buffer (caller frees). */
static char* readLog(const char* dir)
{
    time_t now = time(NULL);
    struct tm* local = localtime(&now);
    char path[512];
    snprintf(path, sizeof path, "%s/nerevnet_%04d-%02d-%02d.log", dir, local->tm_year + 1900, local->tm_mon + 1,
             local->tm_mday);
    FILE* f = openUtf8(path, "rb");
    if (!f) {
        fprintf(stderr, "cannot open %s\n", path);
        return NULL;
    }
    size_t cap = 4096, len = 0;
    char* text = (char*)malloc(cap);
    size_t n;
    while (text && (n = fread(text + len, 1, cap - len - 1, f)) > 0) {
        len += n;
        if (cap - len < 2) {
            cap *= 2;
            text = (char*)realloc(text, cap);
        }
    }
    fclose(f);
    if (text)
        text[len] = '\0';
    return text;
}

static NerevnetStartupConfig mockConfig(const char* dir, const char* recording)
{
    NerevnetStartupConfig config;
    memset(&config, 0, sizeof config);
    config.version = NEREVNET_VERSION;
    config.networkType = NetworkType_Mock;
    config.logDir = dir;
    config.config.mock.filePath = recording;
    return config;
}

static int level(int logLevel, int wantDebug, int wantInfo)
{
    char dir[64];
    snprintf(dir, sizeof dir, "level_%d_%ld", logLevel, (long)time(NULL));
    const char* recording = "c_host_level.h264";
    CHECK(writeRecording(recording));
    NerevnetStartupConfig config = mockConfig(dir, recording);
    config.logLevel = logLevel;
    int32_t error = -1;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    CHECK(handle != NULL);
    if (!handle)
        return 1;
    CHECK(nerevnet_isConnected(handle)); /* writes a debug line */
    nerevnet_shutdown(handle);
    /* An error line, written at every level below off. */
    NerevnetStartupConfig bad = mockConfig(dir, recording);
    bad.version = "9.0.0";
    CHECK(nerevnet_startup(&bad, &error) == NULL);
    CHECK(error == NerevnetErrorCode_VersionIncompatible);

    char* text = readLog(dir);
    CHECK(text != NULL);
    if (!text)
        return 1;
    CHECK((strstr(text, "[D]") != NULL && strstr(text, "[Mock] Call isConnected()") != NULL) == (wantDebug != 0));
    CHECK((strstr(text, "Startup success, type: Mock") != NULL) == (wantInfo != 0));
    CHECK((strstr(text, "Startup fail, version not compatible: 9.0.0 vs 2.3.3") != NULL) == (logLevel < 6 || logLevel > 6));
    free(text);
    return 0;
}

static int logfail(void)
{
    const char* blocker = "c_host_blocker";
    FILE* f = fopen(blocker, "wb");
    CHECK(f != NULL);
    if (f) {
        fputs("a file where a folder should be", f);
        fclose(f);
    }
    const char* recording = "c_host_logfail.h264";
    CHECK(writeRecording(recording));
    NerevnetStartupConfig config = mockConfig("c_host_blocker/logs", recording);
    int32_t error = -1;
    CHECK(nerevnet_startup(&config, &error) == NULL);
    CHECK(error == NerevnetErrorCode_InitLoggerFail);

    char dir[64];
    snprintf(dir, sizeof dir, "logfail_%ld", (long)time(NULL));
    config.logDir = dir;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    CHECK(handle != NULL);
    CHECK(error == 0);
    nerevnet_shutdown(handle);
    char* text = readLog(dir);
    CHECK(text != NULL && strstr(text, "Startup success, type: Mock") != NULL);
    free(text);
    remove(blocker);
    return 0;
}

/* The log callback keeps the folder that "Create debug dir: " names. */
typedef struct Lines {
    char debugDir[1024];
    int notUtf8;
} Lines;

static void keepLines(int32_t level, const char* message, void* user)
{
    Lines* lines = (Lines*)user;
    const char* prefix = "Create debug dir: ";
    if (strncmp(message, prefix, strlen(prefix)) == 0)
        snprintf(lines->debugDir, sizeof lines->debugDir, "%s", message + strlen(prefix));
    if (level == NerevnetLogLevel_Error && strstr(message, "logDir is not UTF-8: \\xE6\\x97") != NULL)
        lines->notUtf8++;
}

/* Reads a whole file named in UTF-8; the number of bytes, or -1. */
static long fileSize(const char* path, char* head, size_t headSize)
{
    FILE* f = openUtf8(path, "rb");
    if (!f)
        return -1;
    long n = (long)fread(head, 1, headSize - 1, f);
    head[n > 0 ? n : 0] = '\0';
    while (fgetc(f) != EOF)
        ++n;
    fclose(f);
    return n;
}

static int utf8(void)
{
    CHECK(codePageAsAsked());
    /* 张伟 的日志 and 录像 回放.h264, with 𠮷 (outside the BMP) in the folder. */
    const char* logDir = "\xE5\xBC\xA0\xE4\xBC\x9F \xE7\x9A\x84\xE6\x97\xA5\xE5\xBF\x97\xF0\xA0\xAE\xB7";
    const char* recordingDir = "\xE5\xBD\x95\xE5\x83\x8F";
    const char* recording = "\xE5\xBD\x95\xE5\x83\x8F/\xE5\x9B\x9E\xE6\x94\xBE.h264";
    CHECK(makeDirUtf8(recordingDir));
    CHECK(writeRecording(recording));

    Lines lines;
    memset(&lines, 0, sizeof lines);
    nerevnet_setLogCallback(keepLines, &lines);

    /* Before the logger exists: a cut UTF-8 sequence in logDir is refused. */
    NerevnetStartupConfig bad = mockConfig("\xE6\x97", recording);
    int32_t error = -1;
    CHECK(nerevnet_startup(&bad, &error) == NULL);
    CHECK(error == NerevnetErrorCode_InitLoggerFail);
    CHECK(lines.notUtf8 == 1);

    NerevnetStartupConfig config = mockConfig(logDir, recording);
    config.logLevel = NerevnetLogLevel_Info;
    config.debug = true;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    CHECK(handle != NULL);
    CHECK(error == NerevnetErrorCode_Success);
    if (!handle)
        return 1;
    Received received;
    replayAndShutdown(handle, &received, 3);
    CHECK(received.packets >= 3);
    CHECK(received.badPacket == 0);

    char* text = readLog(logDir);
    CHECK(text != NULL && strstr(text, "Startup success, type: Mock") != NULL);
    free(text);

    /* The debug folder is below the Chinese log folder, under its name. */
    CHECK(strncmp(lines.debugDir, logDir, strlen(logDir)) == 0);
    char path[1200], head[16];
    snprintf(path, sizeof path, "%s/input_message", lines.debugDir);
    CHECK(fileSize(path, head, sizeof head) == 3 && strcmp(head, "abc") == 0);
    snprintf(path, sizeof path, "%s/receive_video", lines.debugDir);
    CHECK(fileSize(path, head, sizeof head) > 0);
    return 0;
}

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
static void sleepMs(int ms) { Sleep((DWORD)ms); }

/* A host on Windows turns its UTF-8 paths into UTF-16 for the C runtime. */
static wchar_t* widen(const char* text)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
    wchar_t* wide = n > 0 ? (wchar_t*)malloc((size_t)n * sizeof(wchar_t)) : NULL;
    if (wide)
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, n);
    return wide;
}

static FILE* openUtf8(const char* path, const char* mode)
{
    wchar_t* wpath = widen(path);
    wchar_t* wmode = widen(mode);
    FILE* f = wpath && wmode ? _wfopen(wpath, wmode) : NULL;
    free(wpath);
    free(wmode);
    return f;
}

static int makeDirUtf8(const char* path)
{
    wchar_t* wpath = widen(path);
    int ok = wpath && (_wmkdir(wpath) == 0 || errno == EEXIST);
    free(wpath);
    return ok;
}

static int codePageAsAsked(void)
{
    const char* expected = getenv("OSTREL_EXPECT_ACP");
    if (expected && GetACP() != (UINT)atoi(expected)) {
        fprintf(stderr, "code page %u, asked for %s\n", GetACP(), expected);
        return 0;
    }
    return 1;
}
#else
#include <sys/stat.h>
#include <time.h>
static void sleepMs(int ms)
{
    struct timespec t = {ms / 1000, (long)(ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}
static FILE* openUtf8(const char* path, const char* mode) { return fopen(path, mode); }
static int makeDirUtf8(const char* path) { return mkdir(path, 0755) == 0 || errno == EEXIST; }
static int codePageAsAsked(void) { return 1; }
#endif

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s scenario [args]\n", argv[0]);
        return 2;
    }
    if (strcmp(argv[1], "replay") == 0)
        replay();
    else if (strcmp(argv[1], "level") == 0 && argc == 5)
        level(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    else if (strcmp(argv[1], "logfail") == 0)
        logfail();
    else if (strcmp(argv[1], "utf8") == 0)
        utf8();
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
