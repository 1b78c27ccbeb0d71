#include "positioning/NearestPlacement.h"

namespace dexaro {

QRect placementFrameOn(PositionName position, const WorkAreas::Monitor& monitor) {
    const QRect& area = monitor.workArea;
    const ScreenMetrics metrics{double(area.width()), double(area.height()),
                                double(area.top() - monitor.geometry.top()),
                                QPointF(area.left(), monitor.geometry.top())};
    QRectF frame = FrameCalculator::frameFor(position, metrics, metrics.width, metrics.height)
                       .translated(metrics.origin);
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    return frame.toRect();
}

PositionName nearestPlacement(const QRect& frame, const WorkAreas::Monitor& monitor) {
    if (frame.isEmpty() || monitor.workArea.isEmpty())
        return PositionName::def;
    const auto area = [](const QRect& r) {
        return double(r.width()) * double(r.height());
    };
    PositionName best = PositionName::def;
    double bestShare = 0.5; // below half: nothing is close
    for (const auto& [name, position] : positionList()) {
        if (position == PositionName::def)
            continue;
        const QRect target = placementFrameOn(position, monitor);
        const double shared = area(target.intersected(frame));
        const double share = shared / (area(target) + area(frame) - shared);
        if (share > bestShare) {
            bestShare = share;
            best = position;
        }
    }
    return best;
}

} // namespace dexaro
