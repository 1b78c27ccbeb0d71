// GoogleTest entry point that runs the tests inside a QApplication, so that
// widgets, timers and queued calls work. Unit tests run with the offscreen
// platform; X11 tests with the session's DISPLAY.
#include "support/DesktopPlatform.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {
dexaro::Platform* g_desktop = nullptr;
} // namespace

dexaro::Platform& dexaro::test::desktop() {
    return *g_desktop;
}

int main(int argc, char** argv) {
    // Listing the tests (ctest's discovery step) needs no display.
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--gtest_list_tests") == 0)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const std::unique_ptr<dexaro::Platform> desktop =
        dexaro::Platform::forDesktop(QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro"));
    g_desktop = desktop.get();
    const int status = RUN_ALL_TESTS();
    g_desktop = nullptr;
    return status;
}
