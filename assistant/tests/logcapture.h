#pragma once
// Test helper: collects the log lines of the code under test while it lives,
// and still prints them on the error stream.

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>

// Collects log lines so tests can check what the code logged.
class LogCapture
{
public:
    LogCapture()
    {
        std::lock_guard<std::mutex> lock(s_lock);
        m_outer = s_current;
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        // After this no thread that logs touches the lines any more.
        std::lock_guard<std::mutex> lock(s_lock);
        qInstallMessageHandler(m_previous);
        // A capture made inside another hands the lines back to the outer one.
        s_current = m_outer;
    }

    QStringList lines() const
    {
        std::lock_guard<std::mutex> lock(s_lock);
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
        Q_UNUSED(context);
        // The message is read only while the lock is held: the capture may
        // be gone the moment it is released.
        QByteArray text;
        {
            std::lock_guard<std::mutex> lock(s_lock);
            text = message.toLocal8Bit();
            if (s_current)
                s_current->m_lines << message;
        }
        std::fprintf(stderr, "%s\n", text.constData());
        if (type == QtFatalMsg)
            std::abort();
    }

    // A standard mutex, so the race detector sees the locking (it cannot see
    // a QMutex of the uninstrumented Qt). It guards the current capture and
    // its lines, for every thread that logs.
    static inline std::mutex s_lock;
    static inline LogCapture* s_current = nullptr;
    QStringList m_lines;
    LogCapture* m_outer = nullptr;
    QtMessageHandler m_previous = nullptr;
};
