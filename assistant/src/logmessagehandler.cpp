#include "logmessagehandler.h"
#include "userfolder.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstring>
#include <mutex>
#include <type_traits>

namespace {

// A standard mutex rather than a QMutex: the race detector sees its
// locking, which it cannot in the uninstrumented Qt library.
std::mutex &logMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<QDateTime()> &logClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// The message type as a plain number. A caller may pass a value outside the
// enumeration; reading it through the enumeration type would be undefined, so
// its bytes are copied into the underlying integer instead.
int messageTypeValue(const QtMsgType &type)
{
    std::underlying_type_t<QtMsgType> value;
    static_assert(sizeof value == sizeof type, "QtMsgType has the size of its underlying type");
    std::memcpy(&value, &type, sizeof value);
    return static_cast<int>(value);
}

// Any value but the five known types gives an empty prefix.
QString levelPrefix(int type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("Debug:");
    case QtWarningMsg:
        return QStringLiteral("Warning:");
    case QtCriticalMsg:
        return QStringLiteral("Critical:");
    case QtFatalMsg:
        return QStringLiteral("Fatal:");
    case QtInfoMsg:
        return QStringLiteral("Info:");
    default:
        return QString();
    }
}

QString lineFor(int type, const QMessageLogContext &context, const QString &message, const QTime &time)
{
    const QString location = QStringLiteral("\"%1(%2)\"")
                                 .arg(QString::fromUtf8(context.file ? context.file : ""),
                                      QString::number(context.line));
    // One multi-argument arg(): a '%1' inside the message stays as it is.
    return QStringLiteral("[%1%2  %3]:%4")
        .arg(levelPrefix(type), time.toString(QStringLiteral("hh:mm:ss.zzz")), location, message);
}

} // namespace

QString formatLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message, const QTime &time)
{
    return lineFor(messageTypeValue(type), context, message, time);
}

QString logFilePath(const QDate &date)
{
    return UserFolder::path() + QStringLiteral("/%1.txt").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

void setLogClock(std::function<QDateTime()> clock)
{
    std::lock_guard<std::mutex> locker(logMutex());
    logClock() = std::move(clock);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const int typeValue = messageTypeValue(type);
    std::lock_guard<std::mutex> locker(logMutex());
    // Date and time from one reading, so a line written at 23:59:59.999 goes
    // into the file of the day it carries.
    const QDateTime now = logClock() ? logClock()() : QDateTime::currentDateTime();
    const QString line = lineFor(typeValue, context, message, now.time());

    QFile file(logFilePath(now.date()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // A first start has no folder yet: make it and try once more.
        if (!UserFolder::ensure() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }
    QTextStream stream(&file);
    stream << line << "\r\n";
    stream.flush();
    file.close();
}
