// dexaro-test-WaylandWindow: a native Wayland client (Qt on its wayland
// platform) with top-level windows, for the compositor tests. It ends when its
// last window is closed, or on a signal.
//
//   --app-id ID      the xdg-toplevel app_id (default dexaro-test-WaylandWindow)
//   --size W,H       each window's size (default 320,240)
//   --count N        that many normal windows (default 1, at most 8)
//   --dialog         a dialog transient for the first window
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption appId(QStringLiteral("app-id"), QString(), QStringLiteral("id"),
                                   QStringLiteral("dexaro-test-WaylandWindow"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("w,h"),
                                  QStringLiteral("320,240"));
    const QCommandLineOption count(QStringLiteral("count"), QString(), QStringLiteral("n"),
                                   QStringLiteral("1"));
    const QCommandLineOption dialog(QStringLiteral("dialog"));
    parser.addOptions({appId, size, count, dialog});
    parser.process(app);
    // On Wayland the desktop file name is the toplevel's app_id.
    QGuiApplication::setDesktopFileName(parser.value(appId));
    const QStringList wh = parser.value(size).split(QLatin1Char(','));
    const QSize windowSize(wh.value(0).toInt(), wh.value(1).toInt());

    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < qBound(1, parser.value(count).toInt(), 8); ++i) {
        windows.push_back(std::make_unique<QWidget>());
        windows.back()->setWindowTitle(parser.value(appId));
        windows.back()->resize(windowSize.isValid() ? windowSize : QSize(320, 240));
        windows.back()->show();
    }
    QDialog transient(windows.front().get());
    if (parser.isSet(dialog)) {
        transient.setWindowTitle(QStringLiteral("dialog"));
        transient.resize(200, 100);
        transient.show();
    }
    return app.exec();
}
