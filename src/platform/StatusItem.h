#pragma once
// The program's icon in the desktop's status area (system tray). A left click
// on it sends clicked(); trays that never deliver a left click show the menu
// given to setMenu() on a right click instead.
#include <QObject>
#include <QRect>

class QIcon;
class QMenu;
class QWindow;

namespace dexaro {

class StatusItem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StatusItem() override = default;

    virtual void setImage(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setMenu(QMenu* menu) = 0;
    virtual void setVisible(bool visible) = 0;
    // A status area exists that can show the item.
    virtual bool isAvailable() const = 0;
    // Where the icon is on screen (global coordinates), or an empty rectangle
    // when the status area does not say or has not placed the icon yet.
    virtual QRect iconGeometry() const = 0;
    // The status area is about to place the icon (an XEmbed tray takes it in a
    // moment after it is shown): iconGeometryChanged follows.
    virtual bool isIconPlacementPending() const = 0;
    // The window of ours that shows the icon, when there is one (an XEmbed tray
    // icon is a window of this process; a StatusNotifierItem is drawn by the host).
    virtual bool ownsWindow(const QWindow* window) const = 0;
    // The status area's host draws the icon in its own window, so a click on the
    // icon first takes the keyboard focus away from Dexaro's windows.
    virtual bool isDrawnByHost() const = 0;

signals:
    void clicked();
    // The status area placed or moved the icon: iconGeometry() changed.
    void iconGeometryChanged();
};

} // namespace dexaro
