// Where the about window opens: the middle of a monitor's work area (the
// monitor without its panels), not of the screen Qt reports.
#include "app/AboutWindow.h"
#include "support/FakeWorkAreas.h"
#include "support/QtPrinters.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

using namespace dexaro;

TEST(AboutWindow, ShowsCentredInTheWorkAreaOfItsMonitor) {
    using Monitor = WorkAreas::Monitor;
    const struct {
        const char* name;
        std::optional<Monitor> monitor;
        QPoint centre;
    } rows[] = {
        {"a panel along the top", Monitor{QRect(0, 0, 800, 600), QRect(0, 60, 800, 540)},
         QPoint(400, 330)},
        {"a dock along the left", Monitor{QRect(0, 0, 800, 600), QRect(100, 0, 700, 600)},
         QPoint(450, 300)},
        {"no monitor known: the screen's middle", std::nullopt,
         QGuiApplication::primaryScreen()->geometry().center()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeWorkAreas workAreas(row.monitor);
        AboutWindow window(QStringLiteral("1.0"));
        window.showCentred(&workAreas);
        EXPECT_LE((window.frameGeometry().center() - row.centre).manhattanLength(), 2)
            << testing::PrintToString(window.frameGeometry());
        window.showCentred(&workAreas); // again, from where it is
        EXPECT_LE((window.frameGeometry().center() - row.centre).manhattanLength(), 2);
    }
}
