// GoogleTest entry point that runs the tests inside a QApplication, so that
// widgets, timers and queued calls work. Unit tests run with the offscreen
// platform; X11 tests with the session's DISPLAY.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing the tests (ctest's discovery step) needs no display.
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--gtest_list_tests") == 0)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
