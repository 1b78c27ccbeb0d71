#pragma once
// Paints the application picker's tiles (120 x 100): the icon and the elided
// name; a selected tile (the view's selection, kept in step with the picked
// applications) on the dark blue background with white text. Icons are
// decoded lazily, only for tiles painted, by an AppIconLoader, and kept in
// an icon cache keyed by location. A tile's placement button (an index
// widget) sits in its top-right corner.
#include "authoring/AppIconLoader.h"

#include <QCache>
#include <QStyledItemDelegate>

namespace dexaro {

class AppListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr QSize tileSize{120, 100};
    static constexpr int iconSide = 56;
    static constexpr int buttonSide = 22;
    static QColor selectedBackground() { return QColor(33, 44, 67); }

    explicit AppListItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Where a tile's placement button goes inside the tile's rectangle.
    static QRect buttonRect(const QRect& tile);
    static QRect iconRect(const QRect& tile);

    AppIconLoader& iconLoader() { return *m_loader; }
    // The cached icon, nullptr when it is not loaded yet (a null image when it
    // could not be read).
    const QImage* cachedIcon(const QString& location) const;

signals:
    // An icon arrived: the tiles showing it need painting again.
    void iconLoaded(const QString& location);

private:
    void store(const QString& location, const QImage& image);

    AppIconLoader* m_loader;
    // Cost in KiB; about 3,000 icons of 56 x 56.
    mutable QCache<QString, QImage> m_icons{40 * 1024};
};

} // namespace dexaro
