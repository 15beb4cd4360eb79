#pragma once
// Test helper: collects the log lines of the code under test while it lives,
// and still prints them on the error stream.

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <cstdio>
#include <cstdlib>

// Collects log lines so tests can check what the code logged.
class LogCapture
{
public:
    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

    bool contains(const QString& text) const
    {
        for (const QString& line : lines()) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    int count(const QString& text) const
    {
        int n = 0;
        for (const QString& line : lines())
            n += line.contains(text) ? 1 : 0;
        return n;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (LogCapture* capture = s_current) {
            QMutexLocker lock(&capture->m_mutex);
            capture->m_lines << message;
        }
        Q_UNUSED(context);
        std::fprintf(stderr, "%s\n", qPrintable(message));
        if (type == QtFatalMsg)
            std::abort();
    }

    // Read by every thread that logs.
    static inline std::atomic<LogCapture*> s_current{nullptr};
    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};
