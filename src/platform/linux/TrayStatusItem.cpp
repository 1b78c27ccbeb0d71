#include "platform/linux/TrayStatusItem.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace dexaro {

TrayStatusItem::TrayStatusItem(QObject* parent) : StatusItem(parent) {
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    emit clicked();
            });
}

void TrayStatusItem::setImage(const QIcon& icon) {
    m_tray.setIcon(icon);
}

void TrayStatusItem::setToolTip(const QString& text) {
    m_tray.setToolTip(text);
}

void TrayStatusItem::setMenu(QMenu* menu) {
    m_tray.setContextMenu(menu);
}

void TrayStatusItem::setVisible(bool visible) {
    m_tray.setVisible(visible);
}

bool TrayStatusItem::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QRect TrayStatusItem::iconGeometry() const {
    const QRect geometry = m_tray.geometry();
    return geometry.isValid() ? geometry : QRect();
}

bool TrayStatusItem::ownsWindow(const QWindow* window) const {
    if (!window || !m_tray.isVisible())
        return false;
    // Qt draws an XEmbed tray icon in a small top-level widget of its own.
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0;
    }
    return false;
}

} // namespace dexaro
