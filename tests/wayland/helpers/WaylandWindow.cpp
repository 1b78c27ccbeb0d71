// dexaro-test-WaylandWindow: a native Wayland client (Qt on the wayland
// platform) that shows plain 240x160 windows until they are closed.
//
//   dexaro-test-WaylandWindow [APP_ID] [COUNT]
//
// APP_ID becomes the windows' app_id (default dexaro-test-waylandwindow);
// COUNT windows are shown (default 1). It ends when its last window is closed.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <memory>
#include <vector>

namespace {

class Plain final : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan);
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QGuiApplication::setDesktopFileName(
        arguments.value(1, QStringLiteral("dexaro-test-waylandwindow")));
    const int count = qBound(1, arguments.value(2, QStringLiteral("1")).toInt(), 8);
    std::vector<std::unique_ptr<Plain>> windows;
    for (int i = 0; i < count; ++i) {
        windows.push_back(std::make_unique<Plain>());
        windows.back()->resize(240, 160);
        windows.back()->show();
    }
    return app.exec();
}
