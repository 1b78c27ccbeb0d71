#include "activation/StatusbarSettingsImageButton.h"

#include "style/Colors.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace dexaro {

StatusbarSettingsImageButton::StatusbarSettingsImageButton(const QString& assetName,
                                                           QWidget* parent, const QString& folder)
    : QAbstractButton(parent) {
    const auto find = [&](const QString& name) {
        const QString path = folder + name + QStringLiteral(".svg");
        return QFileInfo::exists(path) ? path : QString();
    };
    const QString image = find(assetName);
    const auto variant = [&](const QString& drop, const QString& append) {
        QString name = assetName;
        const QString path = find(name.remove(drop) + append);
        return path.isEmpty() ? image : path;
    };
    // A light icon on the dark appearance, a dark one on the light appearance.
    m_darkModeNormalImage = variant(QStringLiteral("_dark"), QStringLiteral("_light"));
    m_lightModeNormalImage = variant(QStringLiteral("_light"), QStringLiteral("_dark"));
    setAccessibleName(QStringLiteral("Preferences"));
    setToolTip(QStringLiteral("Preferences"));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

QString StatusbarSettingsImageButton::shownImage() const {
    return isDarkAppearance(this) ? m_darkModeNormalImage : m_lightModeNormalImage;
}

void StatusbarSettingsImageButton::setOpacity(qreal opacity) {
    if (qFuzzyCompare(m_opacity, opacity))
        return;
    m_opacity = opacity;
    update();
}

void StatusbarSettingsImageButton::paintEvent(QPaintEvent*) {
    const QString path = shownImage();
    if (path.isEmpty())
        return;
    QSvgRenderer svg(path);
    if (!svg.isValid())
        return;
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    svg.render(&painter, QRectF(rect()));
}

void StatusbarSettingsImageButton::enterEvent(QEnterEvent* event) {
    setOpacity(hoverOpacity);
    QAbstractButton::enterEvent(event);
}

void StatusbarSettingsImageButton::leaveEvent(QEvent* event) {
    setOpacity(restingOpacity);
    QAbstractButton::leaveEvent(event);
}

} // namespace dexaro
