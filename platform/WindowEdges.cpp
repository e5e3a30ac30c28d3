#include "platform/WindowEdges.h"

namespace platform {

Qt::Edges resizeEdgesAt(const QPoint &pos, const QSize &size, int borderWidth, bool resizesHorizontally,
                        bool resizesVertically)
{
    Qt::Edges edges;
    if (borderWidth <= 0 || pos.x() < 0 || pos.y() < 0 || pos.x() >= size.width() || pos.y() >= size.height())
        return edges;
    if (resizesHorizontally) {
        if (pos.x() < borderWidth)
            edges |= Qt::LeftEdge;
        else if (pos.x() >= size.width() - borderWidth)
            edges |= Qt::RightEdge;
    }
    if (resizesVertically) {
        if (pos.y() >= size.height() - borderWidth)
            edges |= Qt::BottomEdge;
        else if (pos.y() < borderWidth)
            edges |= Qt::TopEdge;
    }
    return edges;
}

QMargins maximizedFrameMargins()
{
    return QMargins();
}

} // namespace platform
