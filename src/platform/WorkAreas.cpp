#include "platform/WorkAreas.h"

#include <algorithm>
#include <limits>

namespace dexaro {

QList<WorkAreas::Monitor> WorkAreas::monitors() {
    const auto monitor = primary();
    return monitor ? QList<Monitor>{*monitor} : QList<Monitor>{};
}

std::optional<WorkAreas::Monitor> WorkAreas::monitorNamed(const QString& name) {
    if (name.isEmpty())
        return std::nullopt;
    for (const Monitor& monitor : monitors())
        if (monitor.name == name)
            return monitor;
    return std::nullopt;
}

QRect WorkAreas::monitorMinusStruts(const QRect& monitor, const QRect& root,
                                    const QList<Strut>& struts) {
    int left = monitor.left(), right = monitor.right();
    int top = monitor.top(), bottom = monitor.bottom();
    for (const Strut& strut : struts) {
        if (strut.thickness <= 0 || strut.end < strut.start)
            continue;
        QRect reserved;
        switch (strut.edge) {
        case Strut::left:
            reserved =
                QRect(root.left(), strut.start, strut.thickness, strut.end - strut.start + 1);
            break;
        case Strut::right:
            reserved = QRect(root.right() - strut.thickness + 1, strut.start, strut.thickness,
                             strut.end - strut.start + 1);
            break;
        case Strut::top:
            reserved = QRect(strut.start, root.top(), strut.end - strut.start + 1, strut.thickness);
            break;
        case Strut::bottom:
            reserved = QRect(strut.start, root.bottom() - strut.thickness + 1,
                             strut.end - strut.start + 1, strut.thickness);
            break;
        }
        if (!reserved.intersects(monitor))
            continue;
        switch (strut.edge) {
        case Strut::left:
            left = std::max(left, reserved.right() + 1);
            break;
        case Strut::right:
            right = std::min(right, reserved.left() - 1);
            break;
        case Strut::top:
            top = std::max(top, reserved.bottom() + 1);
            break;
        case Strut::bottom:
            bottom = std::min(bottom, reserved.top() - 1);
            break;
        }
    }
    const QRect area(QPoint(left, top), QPoint(right, bottom));
    return area.isValid() ? area : monitor;
}

QRect WorkAreas::desktopAreaOnMonitor(const QRect& monitor, const QRect& desktopArea) {
    const QRect onMonitor = desktopArea.intersected(monitor);
    return onMonitor.isEmpty() ? monitor : onMonitor;
}

int WorkAreas::monitorIndexAt(const QList<QRect>& monitors, const QPoint& point) {
    int nearest = -1;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect& m = monitors[i];
        if (m.contains(point))
            return i;
        const qint64 dx = point.x() < m.left()    ? m.left() - point.x()
                          : point.x() > m.right() ? point.x() - m.right()
                                                  : 0;
        const qint64 dy = point.y() < m.top()      ? m.top() - point.y()
                          : point.y() > m.bottom() ? point.y() - m.bottom()
                                                   : 0;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = i;
        }
    }
    return nearest;
}

} // namespace dexaro
