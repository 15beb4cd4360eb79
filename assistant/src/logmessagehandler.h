#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

// The process-wide Qt message handler: every message becomes one line of the
// day's log file "<per-user folder>/yyyy-MM-dd.txt". Installed by main() with
// qInstallMessageHandler; nothing goes to a console.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

// The line for one message, without its line end, e.g.
// [Info:09:15:02.004  "(0)"]:init end
QString formatLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message, const QTime &time);

// The day's log file for `date`.
QString logFilePath(const QDate &date);

// Replaces the clock the handler reads (tests cross midnight with it); an
// empty function restores the system clock.
void setLogClock(std::function<QDateTime()> clock);
