#include "platform/gui/WindowSystem.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

QWindow *nativeWindow(QWidget *widget)
{
    if (!widget)
        return nullptr;
    QWidget *top = widget->window();
    top->winId(); // creates the native window when it does not exist yet
    return top->windowHandle();
}

} // namespace

bool startSystemMove(QWidget *widget)
{
    QWindow *window = nativeWindow(widget);
    return window && window->startSystemMove();
}

bool startSystemResize(QWidget *widget, Qt::Edges edges)
{
    QWindow *window = nativeWindow(widget);
    return window && edges && window->startSystemResize(edges);
}

void flashWindow(QWidget *widget)
{
    if (widget)
        QApplication::alert(widget->window(), 0);
}

bool isForegroundWindow(QWidget *widget)
{
    if (!widget)
        return false;
    QWidget *top = widget->window();
    // Any window of the launcher in front counts, as the launcher is one program to the user.
    return top->isVisible() && !top->isMinimized() && QApplication::activeWindow() != nullptr;
}

bool openUrlInBrowser(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool showInFileManager(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace platform
