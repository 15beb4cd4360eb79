#pragma once
// Shared by the fuzz targets of the assistant's file and answer readers: a
// scratch folder that lives for the whole run, whole-file writes and reads,
// and a check that stops the run with a message.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The code under test logs every step; the run only needs its verdicts.
inline void quietLogs()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

} // namespace fuzz

// libFuzzer calls this once before the first input (each target is one
// translation unit that includes this header).
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietLogs();
    return 0;
}

namespace fuzz {

// One folder per fuzzing process; with `enter` it also becomes the current
// folder, for the readers of "./session.json" and "./compare.json".
inline QString scratchFolder(bool enter = false)
{
    static QTemporaryDir dir;
    static const bool entered = enter && QDir::setCurrent(dir.path());
    (void)entered;
    return dir.path();
}

inline void writeWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(bytes);
}

// The file's bytes; `exists` says whether it is there at all.
inline QByteArray readWhole(const QString &path, bool *exists = nullptr)
{
    QFile file(path);
    const bool open = file.open(QIODevice::ReadOnly);
    if (exists)
        *exists = open;
    return open ? file.readAll() : QByteArray();
}

// An object's members by iteration. Qt's lenient parser accepts keys with
// raw control characters, and lookups by such a key are not reliable; the
// iteration sees every member.
inline QMap<QString, QJsonValue> members(const QJsonObject &object)
{
    QMap<QString, QJsonValue> map;
    for (auto it = object.begin(); it != object.end(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

// The value with every object's members in one order, so that two values
// compare equal when they hold the same members.
inline QJsonValue canonical(const QJsonValue &value)
{
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &item : value.toArray())
            array.append(canonical(item));
        return array;
    }
    if (!value.isObject())
        return value;
    QJsonArray pairs;
    const QMap<QString, QJsonValue> map = members(value.toObject());
    for (auto it = map.begin(); it != map.end(); ++it)
        pairs.append(QJsonArray { it.key(), canonical(it.value()) });
    return QJsonObject { { QStringLiteral("members"), pairs } };
}

inline bool sameJson(const QJsonValue &a, const QJsonValue &b)
{
    return canonical(a) == canonical(b);
}

// A broken rule of the code under test: libFuzzer keeps the input.
inline void check(bool holds, const char *rule)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", rule);
        std::abort();
    }
}

} // namespace fuzz
