#pragma once
// StatusItem over QSystemTrayIcon: a StatusNotifierItem when the session has a
// watcher for them, otherwise an XEmbed icon in the freedesktop system tray.
#include "platform/StatusItem.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QSystemTrayIcon>
#include <optional>

class QWidget;

namespace dexaro {

class TrayStatusItem : public StatusItem, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayStatusItem(QObject* parent = nullptr);
    ~TrayStatusItem() override;

    void setImage(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setMenu(QMenu* menu) override;
    void setVisible(bool visible) override;
    bool isAvailable() const override;
    QRect iconGeometry() const override;
    bool isIconPlacementPending() const override;
    bool ownsWindow(const QWindow* window) const override;
    bool isDrawnByHost() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The tray takes the icon's window in and moves it inside its own window:
    // the X server tells (ReparentNotify, ConfigureNotify) even when Qt sees no
    // move because the icon keeps its place relative to its new parent.
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    QWidget* iconWidget();
    void checkGeometry();
    bool isEmbedded(QWidget* widget) const;
    std::optional<QRect> embeddedGeometry(QWidget* widget) const;

    QSystemTrayIcon m_tray;
    QPointer<QWidget> m_iconWidget;
    QRect m_lastGeometry;
};

} // namespace dexaro
