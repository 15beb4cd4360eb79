#pragma once

#include "platform/shared_block.h"

#include <QString>
#include <QtGlobal>

// The 8-byte named block by which the streamer's driver tells that SteamVR's
// server has loaded it: bytes 0-3 the value (little-endian), byte 4 a flag
// (non-zero: the value is valid), bytes 5-7 reserved. Every access holds the
// named cross-process mutex.
class SharedMemoryChannel {
public:
    static constexpr int kBlockSize = 8;

    // Defaults: "OSTREL_VOZEMemory" and "OSTREL_VOZEData_Mutex", or the
    // environment variables OSTREL_SHARED_BLOCK and OSTREL_SHARED_MUTEX.
    explicit SharedMemoryChannel(const QString &blockName = defaultBlockName(),
                                 const QString &mutexName = defaultMutexName());
    ~SharedMemoryChannel();
    SharedMemoryChannel(const SharedMemoryChannel &) = delete;
    SharedMemoryChannel &operator=(const SharedMemoryChannel &) = delete;

    // Opens or creates the block; the process that creates it zeroes it.
    bool open();
    // True with `value` set when a value has been written; the flag stays set.
    // `value` is left untouched otherwise.
    bool readValue(quint32 &value);
    bool writeValue(quint32 value);
    void close();
    bool isReady() const { return m_ready; }

    static QString defaultBlockName();
    static QString defaultMutexName();

private:
    platform::SharedBlock m_block;     // the mapping and the mutex
    unsigned char *m_view = nullptr;
    bool m_ready = false;
    QString m_blockName;
    QString m_mutexName;
};
