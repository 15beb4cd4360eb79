/*
 * nerevnet: reliable UDP (KCP), TCP and file-replay network instances, UDP
 * broadcast and one plain TCP client/server, behind a plain C interface.
 *
 * The header is C (C99 or later) and C++. The records have fixed 64-bit
 * layouts; the static assertions at the end of the file prove them in both
 * languages.
 *
 * Calling order for an instance:
 *   nerevnet_setLogCallback (optional, may come first)
 *   -> nerevnet_startup -> nerevnet_setCallback -> nerevnet_start
 *   -> nerevnet_sendMessage / nerevnet_sendPacket / nerevnet_isConnected
 *   -> nerevnet_stop -> nerevnet_shutdown
 * Callbacks arrive on the instance's network threads.
 *
 * Paths (logDir, config.mock.filePath) are UTF-8 on every platform, as Qt's
 * toUtf8() and most C++ code produce them. On Windows the library converts
 * them to UTF-16 and opens files through the wide file functions, so folders
 * such as C:\Users\张伟 work whatever the ANSI code page. A path that is not
 * UTF-8 is refused with the code of its use (105 for logDir at the first
 * start-up, 202 for the debug folder, 4 for the recording) and a log line.
 */
#ifndef NEREVNET_H
#define NEREVNET_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#  if defined(NEREVNET_BUILDING)
#    define NEREVNET_API __declspec(dllexport)
#  else
#    define NEREVNET_API __declspec(dllimport)
#  endif
#else
#  define NEREVNET_API __attribute__((visibility("default")))
#endif

/* Version of the interface this header describes. */
#define NEREVNET_VERSION "2.3.3"

/* ---- Enumerations (all carried as int32 in the records) ---- */

typedef enum NetworkType {
    NetworkType_Mock = 0,    /* file replay, "Mock" */
    NetworkType_NerevTC = 1, /* no driver in this library */
    NetworkType_Tcp = 2,     /* "TCP" */
    NetworkType_Udp = 3,     /* reliable UDP on KCP, "UDP" */
    NetworkType_Rtc = 4,     /* outside real-time SDK, no driver in this library */
    NetworkType_Steam = 5    /* no driver in this library */
} NetworkType;

typedef enum Role {
    Role_Client = 0, /* every value other than 1 means client */
    Role_Server = 1
} Role;

typedef enum ConnectStatus {
    ConnectStatus_Connecting = 1,
    ConnectStatus_Connected = 2,
    ConnectStatus_Disconnected = 3
} ConnectStatus;

/* Result codes, grouped by hundreds: 0-99 common, 100-199 start-up, 200-299 start. */
typedef enum NerevnetErrorCode {
    NerevnetErrorCode_Success = 0,
    NerevnetErrorCode_NotStartup = 1,
    NerevnetErrorCode_Disconnected = 2,
    NerevnetErrorCode_DriverInternalError = 3,
    NerevnetErrorCode_InvalidParam = 4,
    NerevnetErrorCode_VersionIncompatible = 100,
    NerevnetErrorCode_InvalidNetworkType = 101,
    NerevnetErrorCode_DriverNotImplemented = 102,
    NerevnetErrorCode_NotSupportMultiInstance = 104,
    NerevnetErrorCode_InitLoggerFail = 105,
    NerevnetErrorCode_PortOccupied = 200,
    NerevnetErrorCode_CreateDebugDirectoryFail = 202
} NerevnetErrorCode;

/* Event codes (the `event` member of NerevnetEvent). */
typedef enum NerevnetEventCode {
    NerevnetEventCode_None = 0,
    NerevnetEventCode_RequireIDR = 1,
    NerevnetEventCode_UpdateEncoderRate = 2,
    NerevnetEventCode_StartEncoder = 3,
    NerevnetEventCode_StopEncoder = 4
} NerevnetEventCode;

/* Log levels of logLevel and of the log callback. */
typedef enum NerevnetLogLevel {
    NerevnetLogLevel_Trace = 0,
    NerevnetLogLevel_Debug = 1,
    NerevnetLogLevel_Info = 2,
    NerevnetLogLevel_Warning = 3,
    NerevnetLogLevel_Error = 4,
    NerevnetLogLevel_Critical = 5,
    NerevnetLogLevel_Off = 6
} NerevnetLogLevel;

/* ---- Records ---- */

/* Settings of the file-replay driver. */
typedef struct NerevnetMockConfig {
    const char* filePath; /* the recording (H.264/H.265 Annex B byte stream), UTF-8 */
} NerevnetMockConfig;

/* Driver-specific settings; only mock.filePath is read by this library, the
 * rest is carried in the copy unread. */
typedef union NerevnetDriverConfig {
    NerevnetMockConfig mock;
    uint8_t raw[320];
    void* align;
} NerevnetDriverConfig;

typedef struct NerevnetStartupConfig {
    const char* version;       /* interface version the host was built against, e.g. NEREVNET_VERSION */
    int32_t networkType;       /* NetworkType */
    int32_t reconnectInterval; /* seconds before a failed or lost transport starts again */
    int32_t role;              /* 1 = server, any other value = client */
    const char* logDir;        /* log file and debug directory, UTF-8; null or "" = current directory */
    int32_t logLevel;          /* NerevnetLogLevel; other values count as info */
    bool debug;                /* dump all traffic to files and log at debug level */
    NerevnetDriverConfig config;
} NerevnetStartupConfig;

typedef struct NerevnetPacket {
    int32_t mediaType;        /* host-defined, carried verbatim */
    int32_t subType;          /* host-defined, carried verbatim */
    int64_t timestamp;        /* host's time stamp, carried verbatim */
    const uint8_t* data;      /* payload */
    uint64_t size;            /* payload length */
    const uint8_t* extraData; /* optional second payload */
    int64_t extraSize;        /* its length; 0 or negative = none */
    uint8_t reserved[8];      /* carried verbatim, not interpreted */
} NerevnetPacket;

typedef struct NerevnetEvent {
    int32_t event;          /* NerevnetEventCode */
    int64_t timestamp;      /* milliseconds since 1970-01-01 UTC */
    uint8_t params[256];    /* event parameters; zero for the events the library raises */
} NerevnetEvent;

typedef struct NerevnetStatistics {
    int32_t rtt;
    float loss;
    int32_t reserved;
    int32_t bitrate;
    int32_t e2e;
} NerevnetStatistics;

typedef void (*NerevnetErrorCallback)(int32_t error, const char* message, void* user);
typedef void (*NerevnetEventCallback)(const NerevnetEvent* event, void* user);
typedef void (*NerevnetStartCallback)(int32_t role, bool success, void* user);
typedef void (*NerevnetStopCallback)(int32_t role, void* user);
typedef void (*NerevnetConnectStatusCallback)(int32_t status, void* user);
typedef void (*NerevnetStatisticsCallback)(const NerevnetStatistics* stats, void* user);
typedef void (*NerevnetReceiveMessageCallback)(const char* data, uint32_t length, void* user);
typedef void (*NerevnetReceivePacketCallback)(const NerevnetPacket* packet, uint32_t reserved, void* user);

/* The host's notification table; a null member means "not wanted". */
typedef struct NerevnetCallbacks {
    NerevnetErrorCallback onError;
    NerevnetEventCallback onEvent;
    NerevnetStartCallback onStart;
    NerevnetStopCallback onStop;
    NerevnetConnectStatusCallback onConnectStatus;
    NerevnetStatisticsCallback onStatistics;
    NerevnetReceiveMessageCallback onReceiveMessage;
    NerevnetReceivePacketCallback onReceivePacket;
} NerevnetCallbacks;

/* level uses the NerevnetLogLevel numbering; message is the formatted text only. */
typedef void (*NerevnetLogCallback)(int32_t level, const char* message, void* user);

/* Stand-alone UDP broadcast and plain TCP facilities (no user pointer). */
typedef void (*NerevnetBroadcastCallback)(const char* data, int32_t length, const char* fromAddress);
typedef void (*NerevnetTcpDataCallback)(const char* data, int32_t length);
typedef void (*NerevnetTcpStatusCallback)(int32_t status);

/* An instance handle: the address of the instance's driver object. */
typedef void* NerevnetHandle;

#ifdef __cplusplus
/* C++ hosts may reach the driver interface behind a handle through
 * nerevnet_getInstance and register in-process listeners on it. */
namespace nerevnet {

class INerevnetCallback {
public:
    virtual ~INerevnetCallback() {}
    virtual void onError(int32_t error, const char* message) { (void)error; (void)message; }
    virtual void onEvent(const NerevnetEvent* event) { (void)event; }
    virtual void onStart(int32_t role, bool success) { (void)role; (void)success; }
    virtual void onStop(int32_t role) { (void)role; }
    virtual void onConnectStatus(int32_t status) { (void)status; }
    virtual void onStatistics(const NerevnetStatistics* stats) { (void)stats; }
    virtual void onReceiveMessage(const char* data, uint32_t length) { (void)data; (void)length; }
    virtual void onReceivePacket(const NerevnetPacket* packet, uint32_t reserved) { (void)packet; (void)reserved; }
};

class INerevnet {
public:
    virtual ~INerevnet() {}
    /* Listeners must not add or remove listeners of the same driver from inside a notification. */
    virtual void addCallback(INerevnetCallback* callback) = 0;
    virtual void removeCallback(INerevnetCallback* callback) = 0;
    virtual int32_t start(const char* address, uint32_t port, uint32_t* bindPort) = 0;
    virtual void stop() = 0;
    virtual int32_t sendMessage(const char* data, uint32_t length, bool reliable) = 0;
    virtual bool sendPacket(const NerevnetPacket* packet) = 0;
    virtual bool isConnected() = 0;
};

} /* namespace nerevnet */
typedef nerevnet::INerevnet NerevnetInterface;
#else
typedef struct NerevnetInterface NerevnetInterface;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library ---- */
NEREVNET_API const char* nerevnet_getVersion(void);
NEREVNET_API const char* nerevnet_errorToString(int32_t code);
NEREVNET_API const char* nerevnet_eventToString(int32_t event);
NEREVNET_API void nerevnet_setLogCallback(NerevnetLogCallback callback, void* user);
NEREVNET_API bool nerevnet_isSupportMultiInstance(int32_t networkType);

/* ---- Instances ---- */
NEREVNET_API NerevnetHandle nerevnet_startup(const NerevnetStartupConfig* config, int32_t* error);
NEREVNET_API void nerevnet_shutdown(NerevnetHandle handle);
NEREVNET_API NerevnetInterface* nerevnet_getInstance(NerevnetHandle handle);
NEREVNET_API void nerevnet_setCallback(NerevnetHandle handle, const NerevnetCallbacks* record, void* user);
NEREVNET_API int32_t nerevnet_start(NerevnetHandle handle, const char* address, uint32_t port, uint32_t* bindPort);
NEREVNET_API void nerevnet_stop(NerevnetHandle handle);
NEREVNET_API bool nerevnet_isConnected(NerevnetHandle handle);
NEREVNET_API int32_t nerevnet_sendMessage(NerevnetHandle handle, const char* data, uint32_t length, bool reliable);
NEREVNET_API bool nerevnet_sendPacket(NerevnetHandle handle, const NerevnetPacket* packet);

/* ---- UDP broadcast ---- */
NEREVNET_API bool nerevnet_broadcast(uint32_t port, const void* data, uint32_t length);
NEREVNET_API bool nerevnet_reciverBroadcast(uint32_t port, NerevnetBroadcastCallback callback);
NEREVNET_API void nerevnet_stopReciverBroadcast(void);

/* ---- One plain TCP client and one plain TCP server ---- */
NEREVNET_API bool nerevnet_startTcpClient(uint32_t port, const char* address, NerevnetTcpDataCallback dataCallback,
                                          NerevnetTcpStatusCallback statusCallback);
NEREVNET_API bool nerevnet_startTcpServer(uint32_t port, NerevnetTcpDataCallback dataCallback,
                                          NerevnetTcpStatusCallback statusCallback);
NEREVNET_API bool nerevnet_sendTcpClient(const char* data, uint32_t length);
NEREVNET_API bool nerevnet_sendTcpServer(const char* data, uint32_t length);
NEREVNET_API void nerevnet_stopTcpClient(void);
NEREVNET_API void nerevnet_stopTcpTcpServer(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- Layout proofs (64-bit targets) ---- */
#ifdef __cplusplus
#  define NEREVNET_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#  define NEREVNET_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
NEREVNET_STATIC_ASSERT(sizeof(bool) == 1, "bool must be one byte");
NEREVNET_STATIC_ASSERT(sizeof(NerevnetStartupConfig) == 360, "NerevnetStartupConfig is 360 bytes");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, version) == 0, "version at 0");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, networkType) == 8, "networkType at 8");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, reconnectInterval) == 12, "reconnectInterval at 12");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, role) == 16, "role at 16");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, logDir) == 24, "logDir at 24");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, logLevel) == 32, "logLevel at 32");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, debug) == 36, "debug at 36");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, config) == 40, "config at 40");
NEREVNET_STATIC_ASSERT(sizeof(NerevnetDriverConfig) == 320, "config union is 320 bytes");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStartupConfig, config.mock.filePath) == 40, "mock.filePath at 40");

NEREVNET_STATIC_ASSERT(sizeof(NerevnetPacket) == 56, "NerevnetPacket is 56 bytes");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, mediaType) == 0, "mediaType at 0");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, subType) == 4, "subType at 4");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, timestamp) == 8, "timestamp at 8");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, data) == 16, "data at 16");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, size) == 24, "size at 24");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, extraData) == 32, "extraData at 32");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, extraSize) == 40, "extraSize at 40");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetPacket, reserved) == 48, "reserved at 48");

NEREVNET_STATIC_ASSERT(sizeof(NerevnetEvent) == 272, "NerevnetEvent is 272 bytes");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetEvent, event) == 0, "event at 0");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetEvent, timestamp) == 8, "event timestamp at 8");

NEREVNET_STATIC_ASSERT(offsetof(NerevnetStatistics, rtt) == 0, "rtt at 0");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStatistics, loss) == 4, "loss at 4");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStatistics, bitrate) == 12, "bitrate at 12");
NEREVNET_STATIC_ASSERT(offsetof(NerevnetStatistics, e2e) == 16, "e2e at 16");

NEREVNET_STATIC_ASSERT(sizeof(NerevnetCallbacks) == 8 * sizeof(void*), "eight callback pointers");
#endif

#endif /* NEREVNET_H */
