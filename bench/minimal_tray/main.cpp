// The yardstick of the start-up benchmark: the least a Qt tray program with a
// popover does. A status icon, and a 385-pixel borderless window of a few
// widgets shown beside it at start, once the tray has placed the icon, as
// Dexaro shows its popover.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::darkGray);
        painter.drawRoundedRect(3, 3, 16, 16, 3, 3);
    }
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();

    QWidget popover(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    auto* layout = new QVBoxLayout(&popover);
    layout->addWidget(new QLabel(QStringLiteral("Workspaces")));
    for (int i = 0; i < 3; ++i)
        layout->addWidget(new QCheckBox(QStringLiteral("Workspace %1").arg(i + 1)));
    popover.setFixedWidth(385);
    // QSystemTrayIcon tells nobody when the tray has placed its icon: look
    // every few milliseconds, for a second at most.
    QTimer placed;
    int looks = 0;
    QObject::connect(&placed, &QTimer::timeout, [&] {
        if (tray.geometry().isEmpty() && ++looks < 200)
            return;
        placed.stop();
        popover.move(tray.geometry().bottomLeft());
        popover.show();
    });
    placed.start(5);
    return app.exec();
}
