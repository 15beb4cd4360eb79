// Qt Quick Test host of the pages: the tst_*.qml files beside this one run
// against the compiled-in pages, with the window type registered as the
// program does and a stand-in of the controller's enumerations.
#include "appstartup.h"
#include "standinenums.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        AppStartup::applyApplicationFont(*qGuiApp);
    }
    void qmlEngineAvailable(QQmlEngine *)
    {
        // In the program's order: the window type first, the
        // controller's type (here its stand-in) later.
        static const bool registered = [] {
            AppStartup::registerWindowType();
            AppStartup::registerPageTypes();
            return true;
        }();
        Q_UNUSED(registered)
        registerStandInNerevManager();
    }
};

QUICK_TEST_MAIN_WITH_SETUP(pages, Setup)

#include "tst_quick_pages.moc"
