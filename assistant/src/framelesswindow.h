#pragma once

#include "platform/window_hittest.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickView>

#include <set>

// Top-level window of every page: a QQuickView without the system frame that
// still drags by its title-bar item, resizes at its edges when allowed, keeps
// the system shadow and minimise box, and turns the system's close command
// into one closeAll() signal. QML: "FramelessWindow" in "QtShark.Window" 1.0.
//
// Windows asks the window where a point lies (WM_NCHITTEST) and moves or
// resizes it itself; elsewhere the same decision starts a system move or
// resize on a left press.
class FramelessQuickWindow : public QQuickView {
    Q_OBJECT
    Q_PROPERTY(bool activity READ isActive NOTIFY activeChanged)
    Q_PROPERTY(bool needShadow READ needShadow WRITE setNeedShadow NOTIFY needShadowChanged)
    Q_PROPERTY(QQuickItem *titleBar READ titleBar WRITE setTitleBar NOTIFY titleBarChanged)
    Q_PROPERTY(bool resizeable READ resizeable WRITE setResizeable NOTIFY resizeableChanged)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth NOTIFY borderWidthChanged)
    Q_PROPERTY(QWindow *parentWin READ transientParent WRITE setTransientParent NOTIFY transientParentChanged)

public:
    explicit FramelessQuickWindow(QWindow *parent = nullptr);
    ~FramelessQuickWindow() override;

    bool needShadow() const { return m_needShadow; }
    void setNeedShadow(bool needShadow);
    QQuickItem *titleBar() const { return m_titleBar; }
    void setTitleBar(QQuickItem *item);
    bool resizeable() const { return m_resizeable; }
    void setResizeable(bool resizeable);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int borderWidth);

    // Children of the title bar that still drag the window.
    Q_INVOKABLE void addIgnore(QQuickItem *item);
    Q_INVOKABLE void reqActive();

    // What the title bar says about a point of the scene (window coordinates).
    platform::TitleBarAnswer titleBarAnswer(const QPointF &scenePos) const;
    // The hit test for a point on the screen within the window rectangle.
    platform::HitTestResult hitTest(const platform::WindowRect &rect, const QPoint &point, const QPointF &scenePos) const;

signals:
    void parentWinChanged();
    void titleBarChanged();
    void resizeableChanged();
    void needShadowChanged();
    void borderWidthChanged();
    void transientParentChanged();
    void closeAll();

protected:
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
    void mousePressEvent(QMouseEvent *event) override;

private slots:
    void updateStyle();

private:
    int m_borderWidth = 0;
    bool m_needShadow = true;
    bool m_resizeable = false;
    QQuickItem *m_titleBar = nullptr;
    std::set<QQuickItem *> m_ignore;
};
