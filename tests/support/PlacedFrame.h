#pragma once
// Where a placement puts a window's visible frame in a work area: the frame
// table, with the title bar kept below the top panel; and whether a frame got
// there, within a terminal's character cell.
#include "positioning/PositionName.h"

#include <QRect>

namespace dexaro::test {

inline QRect placedFrame(PositionName position, const QRect& area) {
    const ScreenMetrics metrics{double(area.width()), double(area.height()), double(area.top()),
                                QPointF(area.left(), 0)};
    QRectF frame = FrameCalculator::frameFor(position, metrics, area.width(), area.height())
                       .translated(metrics.origin);
    if (frame.y() < area.top())
        frame.moveTop(area.top());
    return frame.toRect();
}

// Corners within a pixel, size within the cell (xterm sizes in whole characters).
inline bool framedAt(const QRect& frame, const QRect& target, QSize cell = {1, 1}) {
    return std::abs(frame.x() - target.x()) <= 1 && std::abs(frame.y() - target.y()) <= 1 &&
           std::abs(frame.width() - target.width()) <= cell.width() &&
           std::abs(frame.height() - target.height()) <= cell.height();
}

} // namespace dexaro::test
