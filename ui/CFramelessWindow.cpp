#include "ui/CFramelessWindow.h"

#include "platform/WindowEdges.h"
#include "platform/gui/WindowSystem.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>

// Presses in the edge bands usually land on a child (the web view covers the whole window), so one
// application-wide filter looks at left presses over frameless windows and starts the system resize.
class FramelessEdgeFilter : public QObject
{
public:
    static void ensureInstalled()
    {
        static FramelessEdgeFilter *filter = nullptr;
        if (!filter && qApp) {
            filter = new FramelessEdgeFilter(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType())
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        auto *window = qobject_cast<CFramelessWindow *>(static_cast<QWidget *>(watched)->window());
        if (!window || window->isMaximized() || window->isFullScreen())
            return false;
        const Qt::Edges edges = window->resizeEdgesAt(window->mapFromGlobal(mouse->globalPos()));
        if (!edges)
            return false;
        return platform::startSystemResize(window, edges);
    }

private:
    using QObject::QObject;
};

CFramelessWindow::CFramelessWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setResizeable(true);
    opacityAnimation = new QPropertyAnimation(this, QByteArrayLiteral("windowOpacity"), this);
    FramelessEdgeFilter::ensureInstalled();
}

CFramelessWindow::~CFramelessWindow() = default;

void CFramelessWindow::setResizeable(bool value)
{
    const bool visible = isVisible();
    resizeable = value;
    if (resizeable)
        setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    else
        setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setVisible(visible);
}

void CFramelessWindow::setContentMargins(const QMargins &margins)
{
    contentMargins = margins;
    setContentsMargins(justMaximized ? contentMargins + frameMargins : contentMargins);
}

void CFramelessWindow::setTitleBar(QWidget *widget)
{
    if (titleBar)
        disconnect(titleBar, &QObject::destroyed, this, &CFramelessWindow::onTitleBarDestroyed);
    titleBar = widget;
    if (titleBar)
        connect(titleBar, &QObject::destroyed, this, &CFramelessWindow::onTitleBarDestroyed);
}

void CFramelessWindow::addIgnoreWidget(QWidget *widget)
{
    if (widget && !ignoreWidgets.contains(widget))
        ignoreWidgets << widget;
}

void CFramelessWindow::onTitleBarDestroyed()
{
    if (sender() == titleBar)
        titleBar = nullptr;
}

Qt::Edges CFramelessWindow::resizeEdgesAt(const QPoint &pos) const
{
    if (!resizeable)
        return Qt::Edges();
    const bool horizontal = minimumWidth() != maximumWidth();
    const bool vertical = minimumHeight() != maximumHeight();
    return platform::resizeEdgesAt(pos, size(), borderWidth, horizontal, vertical);
}

bool CFramelessWindow::isCaptionPoint(const QPoint &globalPos) const
{
    if (!titleBar)
        return false;
    const QPoint local = titleBar->mapFromGlobal(globalPos);
    if (!titleBar->rect().contains(local))
        return false;
    QWidget *child = titleBar->childAt(local);
    return !child || ignoreWidgets.contains(child);
}

void CFramelessWindow::fadeIn(int durationMs)
{
    opacityAnimation->stop();
    opacityAnimation->setDuration(durationMs);
    opacityAnimation->setStartValue(0.0);
    opacityAnimation->setEndValue(1.0);
    opacityAnimation->start();
    show();
}

void CFramelessWindow::fadeIn()
{
    fadeIn(200);
}

void CFramelessWindow::centerOnScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    move((available.width() - width()) / 2, (available.height() - height()) / 2);
}

void CFramelessWindow::startSystemMove()
{
    platform::startSystemMove(this);
}

void CFramelessWindow::showFullScreen()
{
    if (isMaximized()) {
        setContentsMargins(contentMargins);
        frameMargins = QMargins();
        justMaximized = false;
    }
    QMainWindow::showFullScreen();
}

void CFramelessWindow::mousePressEvent(QMouseEvent *event)
{
    if (event && event->button() == Qt::LeftButton) {
        const Qt::Edges edges = resizeEdgesAt(event->pos());
        if (edges && !isMaximized() && platform::startSystemResize(this, edges))
            return;
    }
    startSystemMove();
}

void CFramelessWindow::mouseMoveEvent(QMouseEvent *) {}

void CFramelessWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMaximized()) {
            frameMargins = platform::maximizedFrameMargins();
            setContentsMargins(contentMargins + frameMargins);
            justMaximized = true;
        } else if (justMaximized) {
            setContentsMargins(contentMargins);
            justMaximized = false;
            frameMargins = QMargins();
        }
    }
    QMainWindow::changeEvent(event);
}
