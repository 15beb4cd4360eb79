// FramelessQuickWindow: its QML surface (properties, notifications, signal
// order), the title-bar item and its ignored children, and the hit test the
// window gives the system (Windows) or acts on itself (elsewhere).
#include "appstartup.h"
#include "framelesswindow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using platform::HitArea;
using platform::TitleBarAnswer;

namespace {

// A 400 x 300 window whose 60 px title bar holds a button (x 300..340, takes
// clicks), a logo (x 10..110, added with addIgnore) and empty space; the
// content is drawn at `scale`.
const char *kWindowQml = R"(
import QtQuick 2.15
import QtShark.Window 1.0
FramelessWindow {
    id: win
    property real contentScale: 1
    property int clicks: 0
    width: 400 * contentScale
    height: 300 * contentScale
    titleBar: bar
    Item {
        width: 400; height: 300
        scale: win.contentScale
        transformOrigin: Item.TopLeft
        Item {
            id: bar
            objectName: "bar"
            width: 400; height: 60
            Rectangle { id: logo; objectName: "logo"; x: 10; y: 10; width: 100; height: 40 }
            Rectangle {
                objectName: "button"; x: 300; y: 10; width: 40; height: 40
                MouseArea { anchors.fill: parent; onClicked: win.clicks += 1 }
            }
        }
    }
    Component.onCompleted: addIgnore(logo)
}
)";

} // namespace

class TestFramelessWindow : public QObject {
    Q_OBJECT

private:
    QQmlEngine m_engine;

    std::unique_ptr<FramelessQuickWindow> load(qreal scale = 1)
    {
        QQmlComponent component(&m_engine);
        component.setData(kWindowQml, QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties({ { "contentScale", scale } }));
        if (!object) {
            qWarning() << component.errorString();
            return nullptr;
        }
        return std::unique_ptr<FramelessQuickWindow>(qobject_cast<FramelessQuickWindow *>(object.release()));
    }

private slots:
    void initTestCase()
    {
        AppStartup::registerWindowType();
    }

    void startsFramelessWithTheDefaults()
    {
        FramelessQuickWindow window;
        QVERIFY(window.flags() & Qt::FramelessWindowHint);
        QCOMPARE(window.borderWidth(), 0);
        QCOMPARE(window.needShadow(), true);
        QCOMPARE(window.resizeable(), false);
        QCOMPARE(window.titleBar(), nullptr);
        QCOMPARE(window.property("activity").toBool(), false);
    }

    void surfaceInItsOrder()
    {
        const QMetaObject *mo = &FramelessQuickWindow::staticMetaObject;
        const char *signalOrder[] = { "parentWinChanged()", "titleBarChanged()", "resizeableChanged()",
                                      "needShadowChanged()", "borderWidthChanged()", "transientParentChanged()",
                                      "closeAll()" };
        int previous = -1;
        for (const char *signature : signalOrder) {
            const int index = mo->indexOfSignal(signature);
            QVERIFY2(index > previous, signature);
            previous = index;
        }
        const char *propertyOrder[] = { "activity", "needShadow", "titleBar", "resizeable", "borderWidth", "parentWin" };
        int previousProperty = -1;
        for (const char *name : propertyOrder) {
            const int index = mo->indexOfProperty(name);
            QVERIFY2(index > previousProperty, name);
            previousProperty = index;
            QVERIFY2(mo->property(index).hasNotifySignal(), name);
        }
        QCOMPARE(QByteArray(mo->property(mo->indexOfProperty("activity")).notifySignal().name()), QByteArray("activeChanged"));
        QVERIFY(!mo->property(mo->indexOfProperty("activity")).isWritable());
        QVERIFY(mo->indexOfMethod("addIgnore(QQuickItem*)") >= 0);
        QVERIFY(mo->indexOfMethod("reqActive()") >= 0);
    }

    void settersNotifyOnlyOnChange()
    {
        FramelessQuickWindow window;
        QSignalSpy shadow(&window, &FramelessQuickWindow::needShadowChanged);
        QSignalSpy resize(&window, &FramelessQuickWindow::resizeableChanged);
        QSignalSpy border(&window, &FramelessQuickWindow::borderWidthChanged);
        window.setNeedShadow(true);
        window.setResizeable(false);
        window.setBorderWidth(0);
        QCOMPARE(shadow.count() + resize.count() + border.count(), 0);
        window.setNeedShadow(false);
        window.setNeedShadow(false);
        window.setResizeable(true);
        window.setResizeable(true);
        window.setBorderWidth(8);
        window.setBorderWidth(8);
        QCOMPARE(shadow.count(), 1);
        QCOMPARE(resize.count(), 1);
        QCOMPARE(border.count(), 1);
        QCOMPARE(window.needShadow(), false);
        QCOMPARE(window.resizeable(), true);
        QCOMPARE(window.borderWidth(), 8);
    }

    void parentWinRelaysTheTransientParent()
    {
        FramelessQuickWindow parent;
        FramelessQuickWindow window;
        QSignalSpy parentWin(&window, &FramelessQuickWindow::parentWinChanged);
        QSignalSpy transient(&window, QOverload<>::of(&FramelessQuickWindow::transientParentChanged));
        QVERIFY(window.setProperty("parentWin", QVariant::fromValue<QWindow *>(&parent)));
        QCOMPARE(window.transientParent(), &parent);
        QCOMPARE(window.property("parentWin").value<QWindow *>(), &parent);
        QCOMPARE(parentWin.count(), 1);
        QCOMPARE(transient.count(), 1);
    }

    void destroyedTitleBarIsForgottenOnce()
    {
        FramelessQuickWindow window;
        auto *bar = new QQuickItem;
        auto *other = new QQuickItem;
        QSignalSpy changed(&window, &FramelessQuickWindow::titleBarChanged);
        window.setTitleBar(bar);
        window.setTitleBar(bar);
        QCOMPARE(changed.count(), 1);
        // A replaced title bar going away changes nothing.
        window.setTitleBar(other);
        QCOMPARE(changed.count(), 2);
        delete bar;
        QCOMPARE(window.titleBar(), other);
        QCOMPARE(changed.count(), 2);
        delete other;
        QCOMPARE(window.titleBar(), nullptr);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(window.titleBarAnswer(QPointF(5, 5)), TitleBarAnswer::NoTitleBar);
    }

    void titleBarAnswers_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("design size") << 1.0;
        QTest::newRow("scaled content") << 0.5;
    }
    void titleBarAnswers()
    {
        QFETCH(qreal, scale);
        auto window = load(scale);
        QVERIFY(window);
        QVERIFY(window->titleBar());
        const auto at = [&](qreal x, qreal y) { return window->titleBarAnswer(QPointF(x * scale, y * scale)); };
        QCOMPARE(at(200, 30), TitleBarAnswer::Drag);     // empty part
        QCOMPARE(at(50, 30), TitleBarAnswer::Drag);      // ignored logo
        QCOMPARE(at(320, 30), TitleBarAnswer::Child);    // button
        QCOMPARE(at(200, 100), TitleBarAnswer::Outside);
        // Ignoring twice keeps one entry; the button becomes a drag area too.
        auto *button = window->findChild<QQuickItem *>("button");
        QVERIFY(button);
        window->addIgnore(button);
        window->addIgnore(button);
        QCOMPARE(at(320, 30), TitleBarAnswer::Drag);
    }

    void hitTestUsesTheWindowLimits()
    {
        auto window = load();
        QVERIFY(window);
        window->setBorderWidth(6);
        window->setResizeable(true);
        window->setMinimumSize(QSize(200, 150));
        window->setMaximumSize(QSize(2000, 1500));
        const platform::WindowRect rect{ 100, 100, 500, 400 };
        const auto hit = [&](int x, int y) {
            return window->hitTest(rect, QPoint(x, y), QPointF(x - rect.left, y - rect.top)).area;
        };
        QCOMPARE(hit(101, 101), HitArea::TopLeft);
        QCOMPARE(hit(300, 398), HitArea::Bottom);
        QCOMPARE(hit(300, 130), HitArea::Caption);
        QCOMPARE(hit(420, 130), HitArea::Client);     // the button
        QCOMPARE(hit(300, 250), HitArea::Client);
        // Equal minimum and maximum width: no left or right band.
        window->setMinimumWidth(400);
        window->setMaximumWidth(400);
        QCOMPARE(hit(101, 250), HitArea::Client);
        QCOMPARE(hit(101, 101), HitArea::Top);
        // Not resizable: the corner is plain title bar, the bottom edge client area.
        window->setResizeable(false);
        QCOMPARE(hit(101, 101), HitArea::Caption);
        QCOMPARE(hit(300, 398), HitArea::Client);
    }

    void titleBarButtonsStillTakeClicks()
    {
        auto window = load();
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(320, 30));
        QTRY_COMPARE(window->property("clicks").toInt(), 1);
        // The empty part starts a system move where the system offers one; a
        // press there never reaches the button.
        QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 30));
        QCOMPARE(window->property("clicks").toInt(), 1);
    }
};

QTEST_MAIN(TestFramelessWindow)
#include "tst_ui_framelesswindow.moc"
