#include "systemexit.h"

#include "platform/termination.h"

#include <QDebug>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

namespace SystemExit {

bool quitOnRequest(QGuiApplication &app)
{
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager &) {
        qInfo() << "the session ends, closing";
        QCoreApplication::quit();
    }, Qt::DirectConnection);

    // Until the end of the process (see the header).
    static platform::TerminationRequests requests;
    if (!requests.started() && !requests.start()) {
        qWarning().noquote() << "termination requests cannot be watched: "
                                    + QString::fromStdString(requests.lastError());
        return false;
    }
    auto *notifier = new QSocketNotifier(static_cast<qintptr>(requests.readHandle()), QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        const QString request = QString::fromStdString(requests.takeRequest());
        if (request.isEmpty())
            return;
        qInfo().noquote() << "the system asks the program to end: " + request;
        QCoreApplication::quit();
    });
    return true;
}

} // namespace SystemExit
