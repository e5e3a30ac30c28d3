#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>
#include <Qt>

namespace platform {

// The edges a press at pos (window coordinates) resizes in a frameless window of the given size, with a
// band of borderWidth pixels along every edge. A direction that cannot resize (its minimum equals its
// maximum) never appears; corners need both. No edge means the point is client area.
Qt::Edges resizeEdgesAt(const QPoint &pos, const QSize &size, int borderWidth, bool resizesHorizontally,
                        bool resizesVertically);

// The part of a maximised frameless window the window manager places off screen and that must be added to
// its contents margins. Window managers here fit a maximised frameless window to the work area exactly.
QMargins maximizedFrameMargins();

} // namespace platform
