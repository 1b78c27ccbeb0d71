#pragma once
// The fifteen window placements, the screen rectangle each stands for, the key
// under which an application's placement is stored, and the stored text form of
// one workspace's placements.
#include "platform/WorkAreas.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>
#include <optional>

namespace dexaro {

enum class PositionName : qint64 {
    def = 0,
    centerFull = 1,
    leftHalf = 2,
    rightHalf = 3,
    topHalf = 4,
    bottomHalf = 5,
    topLeft = 6,
    topRight = 7,
    bottomLeft = 8,
    bottomRight = 9,
    leftThird = 10,
    rightThird = 11,
    centerThird = 12,
    leftToThirds = 13,
    rightToThirds = 14,
};

inline constexpr int positionCount = 15;

// Nothing for a raw value outside 0..14.
std::optional<PositionName> positionFromRaw(qint64 raw);
// The placement for a stored raw value, def when it is not a valid one.
PositionName positionOrDefault(qint64 raw);
inline qint64 rawValue(PositionName position) {
    return static_cast<qint64>(position);
}
QString displayName(PositionName position); // "Left half"
QString imageName(PositionName position);   // "left half"
QString imagePath(PositionName position);   // the picture's resource path

// (display name, placement) for every placement, in raw-value order.
QList<QPair<QString, PositionName>> positionList();

// The key of an application's placement: the absolute value of the string hash
// of its URL string (the most negative hash maps to the largest value).
qint64 appPositionKey(const QString& appURLString);

// Placement strings: "key==raw;;" per entry. Reading skips malformed pieces;
// a later piece with the same key wins.
using PositionMap = QHash<qint64, qint64>;
PositionMap readPlacementString(const QString& text);
QString writePlacementString(const PositionMap& positions);
// The subset of positions whose keys belong to one of the selected URL strings.
PositionMap keepSelected(const PositionMap& positions, const QStringList& selectedAppURLs);
template <class Value>
QHash<qint64, Value> keepSelectedTargets(const QHash<qint64, Value>& targets,
                                         const QStringList& selectedAppURLs) {
    QHash<qint64, Value> kept;
    for (const QString& url : selectedAppURLs)
        if (const auto it = targets.constFind(appPositionKey(url)); it != targets.constEnd())
            kept.insert(it.key(), *it);
    return kept;
}

// The main screen's metrics for the frames: W and H are the work area's size,
// T its top inset; origin is where the frames are measured from in root
// coordinates: the work area's left edge and the monitor's top edge (T brings
// the lower frames below the top panel, the window layer keeps the upper ones
// there).
struct ScreenMetrics {
    double width = 0;
    double height = 0;
    double topInset = 0;
    QPointF origin;
};

// Computes frames from the current screen metrics. The size of centerFull is
// the one seen at its first use and is kept for the life of the object.
class FrameCalculator {
public:
    using MetricsSource = std::function<std::optional<ScreenMetrics>()>;
    // The metrics of the named monitor (the primary for an empty name);
    // nullopt when there is none of that name.
    using MonitorMetricsSource = std::function<std::optional<ScreenMetrics>(const QString&)>;
    explicit FrameCalculator(MetricsSource source);
    explicit FrameCalculator(MonitorMetricsSource source);

    // nullopt when there is no main screen. def gives the zero rectangle. On
    // a monitor that is not connected, the frame is the primary's.
    std::optional<QRectF> frame(PositionName position, const QString& monitor = {});

    // The table itself, measured from the screen's corner (centerFull uses the
    // given size).
    static QRectF frameFor(PositionName position, const ScreenMetrics& metrics, double centerWidth,
                           double centerHeight);

private:
    MonitorMetricsSource m_source;
    std::mutex m_mutex;
    QHash<QString, QSizeF> m_centerSizes; // by monitor name ("" the primary)
};

// Metrics of the primary monitor, or of the connected monitor of that name,
// from the work areas.
std::optional<ScreenMetrics> screenMetrics(WorkAreas& workAreas, const QString& monitor = {});

} // namespace dexaro
