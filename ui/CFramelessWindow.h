#pragma once

#include <QList>
#include <QMainWindow>
#include <QMargins>

class QPropertyAnimation;

// Base of every launcher window that draws its own frame inside a web page: no system caption or border,
// resizing along 5-pixel bands at the edges (only in the directions the window's size limits allow),
// moving through the window manager, fading in and centring.
class CFramelessWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(CFramelessWindow)

public:
    explicit CFramelessWindow(QWidget *parent = nullptr);
    ~CFramelessWindow() override;

    // Shows the window and raises its opacity from 0 to 1 over durationMs.
    void fadeIn(int durationMs);
    void fadeIn();
    // Centres the window in the primary screen's available area.
    void centerOnScreen();
    // Hands the window to the window manager's move loop (a drag with the pressed mouse button).
    void startSystemMove();

    // Widgets whose empty areas act as a caption (optional; no launcher window uses them).
    void setTitleBar(QWidget *titleBar);
    void addIgnoreWidget(QWidget *widget);
    void setResizeable(bool resizeable);
    bool isResizeable() const { return resizeable; }
    void setContentMargins(const QMargins &margins);

    // The resize edges under pos (window coordinates); none for client area or a fixed-size window.
    Qt::Edges resizeEdgesAt(const QPoint &pos) const;

public slots:
    void showFullScreen();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

    QPropertyAnimation *opacityAnimation;
    QWidget *titleBar = nullptr;
    QList<QWidget *> ignoreWidgets;
    int borderWidth = 5;
    QMargins contentMargins;
    QMargins frameMargins;
    bool justMaximized = false;
    bool resizeable = true;

private slots:
    void onTitleBarDestroyed();

private:
    friend class FramelessEdgeFilter;
    bool isCaptionPoint(const QPoint &globalPos) const;
};
