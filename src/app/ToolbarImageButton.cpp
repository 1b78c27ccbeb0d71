#include "app/ToolbarImageButton.h"

#include "style/Colors.h"

#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace dexaro {

ToolbarImageButton::ToolbarImageButton(const QString& assetName, QWidget* parent,
                                       const QString& folder)
    : QWidget(parent) {
    const auto find = [&](const QString& name) {
        const QString path = folder + name + QStringLiteral(".svg");
        return QFileInfo::exists(path) ? path : QString();
    };
    const QString image = find(assetName);
    QString base = assetName;
    base.remove(QStringLiteral("_light")).remove(QStringLiteral("_dark"));
    const auto derived = [&](const QString& suffix) {
        const QString path = find(base + suffix);
        return path.isEmpty() ? image : path;
    };
    m_darkModeNormalImage = derived(QStringLiteral("_dark"));
    m_lightModeNormalImage = derived(QStringLiteral("_light"));
    m_lightModeTintImage = m_darkModeTintImage = derived(QStringLiteral("_red"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ToolbarImageButton::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void ToolbarImageButton::setOpacity(qreal opacity) {
    if (qFuzzyCompare(m_opacity, opacity))
        return;
    m_opacity = opacity;
    update();
}

QString ToolbarImageButton::shownImage() const {
    if (isDarkAppearance(this))
        return m_selected ? m_darkModeTintImage : m_darkModeNormalImage;
    return m_selected ? m_lightModeTintImage : m_lightModeNormalImage;
}

QSvgRenderer* ToolbarImageButton::renderer(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    auto it = m_renderers.find(path);
    if (it == m_renderers.end())
        it = m_renderers.insert(path, new QSvgRenderer(path, this));
    return it.value()->isValid() ? it.value() : nullptr;
}

void ToolbarImageButton::paintEvent(QPaintEvent*) {
    QSvgRenderer* svg = renderer(shownImage());
    if (!svg)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const int side = qMin(width(), height());
    svg->render(&painter, QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}

void ToolbarImageButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace dexaro
