#include "positioning/PositionName.h"

#include "model/Identifier.h"

#include <QSet>
#include <limits>

namespace dexaro {
namespace {

struct PositionInfo {
    const char* display;
    const char* image;
};

constexpr PositionInfo positionInfo[positionCount] = {
    {"Default", "default"},
    {"Center", "center full"},
    {"Left half", "left half"},
    {"Right half", "right half"},
    {"Top half", "top half"},
    {"Bottom half", "bottom half"},
    {"Top left", "top left"},
    {"Top right", "top right"},
    {"Bottom left", "bottom left"},
    {"Bottom right", "bottom right"},
    {"Left third", "left third"},
    {"Right third", "right third"},
    {"Center thirds", "center third"},
    {"Left to thirds", "left 2 third"},
    {"Right to thirds", "right 2 third"},
};

// An optional sign and one or more decimal digits, nothing else, within 64 bits.
std::optional<qint64> parseInteger(QStringView text) {
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    if (text[0] == u'+' || text[0] == u'-')
        ++i;
    if (i == text.size())
        return std::nullopt;
    for (qsizetype j = i; j < text.size(); ++j) {
        if (text[j] < u'0' || text[j] > u'9')
            return std::nullopt;
    }
    // QString's conversion accepts a leading '+' and '-' and reports overflow.
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<PositionName> positionFromRaw(qint64 raw) {
    if (raw < 0 || raw >= positionCount)
        return std::nullopt;
    return static_cast<PositionName>(raw);
}

PositionName positionOrDefault(qint64 raw) {
    return positionFromRaw(raw).value_or(PositionName::def);
}

QString displayName(PositionName position) {
    return QString::fromLatin1(positionInfo[rawValue(position)].display);
}

QString imageName(PositionName position) {
    return QString::fromLatin1(positionInfo[rawValue(position)].image);
}

QString imagePath(PositionName position) {
    QString file = imageName(position);
    file.replace(u' ', u'-');
    return QStringLiteral(":/positions/%1.svg").arg(file);
}

QList<QPair<QString, PositionName>> positionList() {
    QList<QPair<QString, PositionName>> list;
    list.reserve(positionCount);
    for (int raw = 0; raw < positionCount; ++raw)
        list.append({displayName(PositionName(raw)), PositionName(raw)});
    return list;
}

qint64 appPositionKey(const QString& appURLString) {
    const qint64 hash = stringHash(appURLString);
    if (hash == std::numeric_limits<qint64>::min())
        return std::numeric_limits<qint64>::max();
    return hash < 0 ? -hash : hash;
}

PositionMap readPlacementString(const QString& text) {
    PositionMap map;
    for (QStringView piece : QStringView(text).split(u";;")) {
        const QList<QStringView> parts = piece.split(u"==");
        if (parts.size() < 2)
            continue;
        const auto key = parseInteger(parts[0]);
        const auto value = parseInteger(parts[1]);
        if (!key || !value)
            continue;
        map.insert(*key, *value);
    }
    return map;
}

QString writePlacementString(const PositionMap& positions) {
    QString text;
    for (auto it = positions.cbegin(); it != positions.cend(); ++it)
        text += QStringLiteral("%1==%2;;").arg(it.key()).arg(it.value());
    return text;
}

PositionMap keepSelected(const PositionMap& positions, const QStringList& selectedAppURLs) {
    QSet<qint64> keys;
    for (const QString& url : selectedAppURLs)
        keys.insert(appPositionKey(url));
    PositionMap kept;
    for (auto it = positions.cbegin(); it != positions.cend(); ++it) {
        if (keys.contains(it.key()))
            kept.insert(it.key(), it.value());
    }
    return kept;
}

FrameCalculator::FrameCalculator(MetricsSource source)
    : m_source([source = std::move(source)](const QString& monitor) {
          return monitor.isEmpty() ? source() : std::nullopt;
      }) {}

FrameCalculator::FrameCalculator(MonitorMetricsSource source) : m_source(std::move(source)) {}

std::optional<QRectF> FrameCalculator::frame(PositionName position, const QString& monitor) {
    if (position == PositionName::def)
        return QRectF();
    QString name = monitor;
    auto metrics = m_source(name);
    if (!metrics && !name.isEmpty()) {
        name.clear(); // unplugged: the primary stands in
        metrics = m_source(name);
    }
    if (!metrics)
        return std::nullopt;
    QSizeF center;
    {
        std::lock_guard lock(m_mutex);
        if (position == PositionName::centerFull && !m_centerSizes.contains(name))
            m_centerSizes.insert(name, QSizeF(metrics->width, metrics->height));
        center = m_centerSizes.value(name);
    }
    return frameFor(position, *metrics, center.width(), center.height())
        .translated(metrics->origin);
}

QRectF FrameCalculator::frameFor(PositionName position, const ScreenMetrics& m, double centerWidth,
                                 double centerHeight) {
    const double w = m.width, h = m.height, t = m.topInset;
    const double halfW = w * 0.5, halfH = h * 0.5;
    const double thirdW = w / 3.0, twoThirdsW = (w + w) / 3.0;
    switch (position) {
    case PositionName::def:
        return QRectF();
    case PositionName::centerFull:
        return QRectF(0, 0, centerWidth, centerHeight);
    case PositionName::leftHalf:
        return QRectF(0, 0, halfW, h);
    case PositionName::rightHalf:
        return QRectF(halfW, 0, halfW, h);
    case PositionName::topHalf:
        return QRectF(0, 0, w, halfH);
    case PositionName::bottomHalf:
        return QRectF(0, halfH + t, w, halfH);
    case PositionName::topLeft:
        return QRectF(0, 0, halfW, halfH);
    case PositionName::topRight:
        return QRectF(halfW, 0, halfW, halfH);
    case PositionName::bottomLeft:
        return QRectF(0, halfH + t, halfW, halfH);
    case PositionName::bottomRight:
        return QRectF(halfW, halfH + t, halfW, halfH);
    case PositionName::leftThird:
        return QRectF(0, 0, thirdW, h);
    case PositionName::rightThird:
        return QRectF(twoThirdsW, 0, thirdW, h);
    case PositionName::centerThird:
        return QRectF(thirdW, 0, thirdW, h);
    case PositionName::leftToThirds:
        return QRectF(0, 0, twoThirdsW, h);
    case PositionName::rightToThirds:
        return QRectF(thirdW, 0, twoThirdsW, h);
    }
    return QRectF();
}

std::optional<ScreenMetrics> screenMetrics(WorkAreas& workAreas, const QString& name) {
    const auto monitor = name.isEmpty() ? workAreas.primary() : workAreas.monitorNamed(name);
    if (!monitor || monitor->workArea.isEmpty())
        return std::nullopt;
    const QRect& area = monitor->workArea;
    return ScreenMetrics{double(area.width()), double(area.height()),
                         double(area.top() - monitor->geometry.top()),
                         QPointF(area.left(), monitor->geometry.top())};
}

} // namespace dexaro
