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
    // when the status area does not say.
    virtual QRect iconGeometry() const = 0;
    // The window of ours that shows the icon, when there is one (an XEmbed tray
    // icon is a window of this process; a StatusNotifierItem is drawn by the host).
    virtual bool ownsWindow(const QWindow* window) const = 0;

signals:
    void clicked();
};

} // namespace dexaro
