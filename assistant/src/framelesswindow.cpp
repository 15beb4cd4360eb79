#include "framelesswindow.h"

#include "platform/window_frame.h"

#include <QCursor>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QSurfaceFormat>
#include <QTimer>

FramelessQuickWindow::FramelessQuickWindow(QWindow *parent)
    : QQuickView(parent)
{
    setFlags(flags() | Qt::FramelessWindowHint);
    // The pages draw rounded frames on a transparent window.
    QSurfaceFormat surface = format();
    surface.setAlphaBufferSize(8);
    setFormat(surface);
    connect(this, &FramelessQuickWindow::needShadowChanged, this, &FramelessQuickWindow::updateStyle);
    // QWindow announces a new transient parent with an argument; QML binds to
    // the argument-free signals of this class.
    connect(this, QOverload<QWindow *>::of(&QWindow::transientParentChanged), this,
            [this] { emit transientParentChanged(); });
    connect(this, QOverload<>::of(&FramelessQuickWindow::transientParentChanged), this,
            &FramelessQuickWindow::parentWinChanged);
}

FramelessQuickWindow::~FramelessQuickWindow() = default;

void FramelessQuickWindow::setNeedShadow(bool needShadow)
{
    if (m_needShadow == needShadow)
        return;
    m_needShadow = needShadow;
    emit needShadowChanged();
}

void FramelessQuickWindow::setTitleBar(QQuickItem *item)
{
    if (m_titleBar == item)
        return;
    m_titleBar = item;
    emit titleBarChanged();
    if (!item)
        return;
    connect(item, &QObject::destroyed, this, [this, item] {
        if (m_titleBar != item)
            return;
        m_titleBar = nullptr;
        emit titleBarChanged();
    });
}

void FramelessQuickWindow::setResizeable(bool resizeable)
{
    if (m_resizeable == resizeable)
        return;
    m_resizeable = resizeable;
    emit resizeableChanged();
}

void FramelessQuickWindow::setBorderWidth(int borderWidth)
{
    if (m_borderWidth == borderWidth)
        return;
    m_borderWidth = borderWidth;
    emit borderWidthChanged();
}

void FramelessQuickWindow::addIgnore(QQuickItem *item)
{
    m_ignore.insert(item);
}

void FramelessQuickWindow::reqActive()
{
    requestActivate();
}

void FramelessQuickWindow::updateStyle()
{
    // winId() would create a native window that does not exist yet.
    if (!handle())
        return;
    platform::applyFrameStyle(platform::NativeWindowHandle(winId()), m_needShadow);
}

platform::TitleBarAnswer FramelessQuickWindow::titleBarAnswer(const QPointF &scenePos) const
{
    if (!m_titleBar)
        return platform::TitleBarAnswer::NoTitleBar;
    const QPointF local = m_titleBar->mapFromScene(scenePos);
    if (!m_titleBar->contains(local))
        return platform::TitleBarAnswer::Outside;
    QQuickItem *child = m_titleBar->childAt(local.x(), local.y());
    if (!child || m_ignore.count(child))
        return platform::TitleBarAnswer::Drag;
    return platform::TitleBarAnswer::Child;
}

platform::HitTestResult FramelessQuickWindow::hitTest(const platform::WindowRect &rect, const QPoint &point,
                                                      const QPointF &scenePos) const
{
    platform::HitTestInput input;
    input.rect = rect;
    input.x = point.x();
    input.y = point.y();
    input.borderWidth = m_borderWidth;
    input.resizeable = m_resizeable;
    input.minimumWidth = minimumWidth();
    input.maximumWidth = maximumWidth();
    input.minimumHeight = minimumHeight();
    input.maximumHeight = maximumHeight();
    input.titleBar = titleBarAnswer(scenePos);
    return platform::decideHitTest(input);
}

bool FramelessQuickWindow::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    // Windows' messages, and X11's events on other systems (Wayland has none).
    const bool x11 = eventType == QByteArrayLiteral("xcb_generic_event_t");
    if (!x11 && !platform::systemAsksHitTest())
        return false;
    const platform::FrameMessage frame = platform::readFrameMessage(message);
    switch (frame.kind) {
    case platform::FrameMessageKind::RefreshStyle:
        // Showing, minimising or restoring resets the style bits: apply them again.
        QTimer::singleShot(100, this, &FramelessQuickWindow::updateStyle);
        break;
    case platform::FrameMessageKind::Close:
        // The QML side closes its dialog, reports the session and closes the window.
        // On X11 this also reaches a window that a modal dialog blocks (Qt drops
        // the close event there); a window nobody listens to closes as usual.
        if (x11 && !isSignalConnected(QMetaMethod::fromSignal(&FramelessQuickWindow::closeAll)))
            return false;
        emit closeAll();
        *result = 0;
        return true;
    case platform::FrameMessageKind::HitTest: {
        *result = 0;
        platform::WindowRect rect;
        if (!platform::windowRect(platform::NativeWindowHandle(winId()), rect))
            return false;
        const platform::HitTestResult hit = hitTest(rect, QPoint(frame.x, frame.y), mapFromGlobal(QCursor::pos()));
        if (!hit.handled)
            return false;
        *result = long(hit.area);
        return true;
    }
    case platform::FrameMessageKind::Other:
        break;
    }
    return QQuickView::nativeEvent(eventType, message, result);
}

namespace {

Qt::Edges edgesOf(platform::HitArea area)
{
    switch (area) {
    case platform::HitArea::Left: return Qt::LeftEdge;
    case platform::HitArea::Right: return Qt::RightEdge;
    case platform::HitArea::Top: return Qt::TopEdge;
    case platform::HitArea::Bottom: return Qt::BottomEdge;
    case platform::HitArea::TopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case platform::HitArea::TopRight: return Qt::TopEdge | Qt::RightEdge;
    case platform::HitArea::BottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case platform::HitArea::BottomRight: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
    }
}

} // namespace

void FramelessQuickWindow::mousePressEvent(QMouseEvent *event)
{
    if (!platform::systemAsksHitTest() && event->button() == Qt::LeftButton) {
        const QRect frame = frameGeometry();
        const platform::WindowRect rect{ frame.left(), frame.top(), frame.left() + frame.width(),
                                         frame.top() + frame.height() };
        const platform::HitTestResult hit = hitTest(rect, event->globalPos(), event->windowPos());
        bool started = false;
        if (hit.area == platform::HitArea::Caption)
            started = startSystemMove();
        else if (hit.handled)
            started = startSystemResize(edgesOf(hit.area));
        if (started) {
            event->accept();
            return;
        }
    }
    QQuickView::mousePressEvent(event);
}
