#include "authoring/AppListItemDelegate.h"

#include "authoring/AppListItemModel.h"
#include "style/Colors.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace dexaro {

namespace {

constexpr int tileMargin = 4;
constexpr int textHeight = 18;

QSize decodeSize() {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const int side = qRound(AppListItemDelegate::iconSide * ratio);
    return {side, side};
}

QColor nameColor(bool selected, bool dark) {
    if (selected || dark)
        return Qt::white;
    return Qt::black;
}

} // namespace

AppListItemDelegate::AppListItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_loader(new AppIconLoader(decodeSize(), this)) {
    connect(m_loader, &AppIconLoader::loaded, this, &AppListItemDelegate::store);
}

QRect AppListItemDelegate::buttonRect(const QRect& tile) {
    const QRect inner = tile.adjusted(tileMargin, tileMargin, -tileMargin, -tileMargin);
    return {inner.right() - buttonSide - 1, inner.top() + 2, buttonSide, buttonSide};
}

QRect AppListItemDelegate::iconRect(const QRect& tile) {
    return {tile.center().x() - iconSide / 2, tile.top() + tileMargin + 6, iconSide, iconSide};
}

const QImage* AppListItemDelegate::cachedIcon(const QString& location) const {
    return m_icons.object(location);
}

void AppListItemDelegate::store(const QString& location, const QImage& image) {
    const qsizetype kib = image.isNull() ? 1 : qMax<qsizetype>(1, image.sizeInBytes() / 1024);
    m_icons.insert(location, new QImage(image), kib);
    emit iconLoaded(location);
}

void AppListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    const bool dark = isDarkAppearance(option.widget);
    const QRect tile = option.rect.adjusted(tileMargin, tileMargin, -tileMargin, -tileMargin);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selected || hovered) {
        QPainterPath path;
        path.addRoundedRect(QRectF(tile), 8, 8);
        const QColor hover = dark ? QColor(255, 255, 255, 28) : QColor(0, 0, 0, 20);
        painter->fillPath(path, selected ? selectedBackground() : hover);
        // The dark blue is close to a dark desktop's window colour: outline it.
        if (selected && dark)
            painter->strokePath(path, QPen(QColor(0x6A, 0x8C, 0xC8), 1));
    }

    const QString location = index.data(AppListItemModel::IconLocationRole).toString();
    if (!location.isEmpty()) {
        if (const QImage* icon = m_icons.object(location)) {
            if (!icon->isNull()) {
                QSize shown = icon->size().scaled(iconSide, iconSide, Qt::KeepAspectRatio);
                if (icon->width() <= iconSide && icon->height() <= iconSide)
                    shown = icon->size(); // small pictures are not blown up
                const QRect target = iconRect(option.rect);
                QRect place(QPoint(0, 0), shown);
                place.moveCenter(target.center());
                painter->setRenderHint(QPainter::SmoothPixmapTransform);
                painter->drawImage(place, *icon);
            }
        } else {
            m_loader->request(location);
        }
    }

    const QRect textRect(tile.left() + 4, tile.bottom() - textHeight - 2, tile.width() - 8,
                         textHeight);
    const QString name = index.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);
    painter->setPen(nameColor(selected, dark));
    painter->drawText(textRect, Qt::AlignCenter,
                      metrics.elidedText(name, Qt::ElideRight, textRect.width()));
    painter->restore();
}

QSize AppListItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return tileSize;
}

void AppListItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex&) const {
    editor->setGeometry(buttonRect(option.rect));
}

} // namespace dexaro
