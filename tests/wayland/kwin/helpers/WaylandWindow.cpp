// dexaro-test-WaylandWindow: a native Wayland client (Qt on its wayland
// platform) with one top-level window, for the compositor tests. It ends when
// its window is closed, or on a signal.
//
//   --app-id ID      the xdg-toplevel app_id (default dexaro-test-WaylandWindow)
//   --size W,H       the window's size (default 320,240)
//   --dialog         a dialog transient for a first, normal window
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QWidget>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption appId(QStringLiteral("app-id"), QString(), QStringLiteral("id"),
                                   QStringLiteral("dexaro-test-WaylandWindow"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("w,h"),
                                  QStringLiteral("320,240"));
    const QCommandLineOption dialog(QStringLiteral("dialog"));
    parser.addOptions({appId, size, dialog});
    parser.process(app);
    // On Wayland the desktop file name is the toplevel's app_id.
    QGuiApplication::setDesktopFileName(parser.value(appId));
    const QStringList wh = parser.value(size).split(QLatin1Char(','));
    const QSize windowSize(wh.value(0).toInt(), wh.value(1).toInt());

    QWidget window;
    window.setWindowTitle(parser.value(appId));
    window.resize(windowSize.isValid() ? windowSize : QSize(320, 240));
    window.show();
    QDialog transient(&window);
    if (parser.isSet(dialog)) {
        transient.setWindowTitle(QStringLiteral("dialog"));
        transient.resize(200, 100);
        transient.show();
    }
    return app.exec();
}
