// Alerts as real message boxes, answered by closing or clicking them.
#include "platform/linux/MessageBoxAlerts.h"
#include "support/FakeWorkAreas.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// Acts on the next message box once it is up.
void whenABoxIsUp(std::function<void(QMessageBox*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(box);
        }
    });
    timer->start();
}

// A monitor with a panel along its top: the work area is what the boxes fit.
test::FakeWorkAreas oneMonitor() {
    return test::FakeWorkAreas(WorkAreas::Monitor{QRect(0, 0, 800, 600), QRect(0, 40, 800, 560)});
}

} // namespace

// Under openbox a title wider than its box is cut in the middle
// ("Workspa… unching"); a list of 20,000 names joined by commas is one word of
// 180,000 characters. Each box leaves room for its whole title, wraps, and
// stays inside the work area, centred; a cut text is whole in the details.
TEST(MessageBoxAlerts, BoxesShowTheirWholeTitleAndStayInsideTheWorkArea) {
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names.append(QStringLiteral("application-%1").arg(i, 5, 10, QLatin1Char('0')));
    const QString many = QStringLiteral("Apps with names ") + names.join(u',') +
                         QStringLiteral(" could not be opened!");
    const struct {
        const char* name;
        QString title, message, informative;
        bool cut;
    } rows[] = {
        {"a short box", "Workspace launching", "App could not be opened!", "App with name xterm",
         false},
        {"20,000 names", "Workspace launching", "App could not be opened!", many, true},
        {"a title longer than the screen", QString(300, u'W'), "m", "i", false},
        {"an unbroken message", "Dexaro", QString(100000, u'x'), QString(), true},
    };
    test::FakeWorkAreas workAreas = oneMonitor();
    const QRect area = workAreas.monitor->workArea;
    MessageBoxAlerts alerts(workAreas);
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QRect shown;
        QString details;
        int labelsWrap = 0;
        whenABoxIsUp([&](QMessageBox* box) {
            shown = box->frameGeometry();
            details = box->detailedText();
            for (QLabel* label : box->findChildren<QLabel*>())
                labelsWrap += label->wordWrap();
            box->accept();
        });
        alerts.warn(row.title, row.message, row.informative);
        EXPECT_TRUE(area.contains(shown)) << testing::PrintToString(shown);
        EXPECT_LE(std::abs(shown.center().x() - area.center().x()), 1);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(row.title);
        EXPECT_GE(shown.width(), std::min(titleWidth + 100, area.width() - 40));
        EXPECT_EQ(details.size() > row.informative.size(), row.cut) << details.size();
        if (row.cut) {
            EXPECT_TRUE(details.contains(row.informative.isEmpty() ? row.message : many));
            EXPECT_GE(labelsWrap, 1);
        }
    }
}

TEST(MessageBoxAlerts, AQuestionAnswersTheButtonPressedAndClosingCountsAsTheLast) {
    test::FakeWorkAreas workAreas = oneMonitor();
    MessageBoxAlerts alerts(workAreas);
    const QStringList buttons{QStringLiteral("Quit anyway"), QStringLiteral("Cancel")};
    const std::pair<QString, int> rows[] = {{"Quit anyway", 0}, {"Cancel", 1}, {QString(), 1}};
    for (const auto& [pressedText, expected] : rows) {
        whenABoxIsUp([pressed = pressedText](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons())
                if (button->text() == pressed)
                    return button->click();
            box->reject(); // closed by the window manager
        });
        EXPECT_EQ(alerts.ask("Dexaro", "Quit?", "details", buttons), expected)
            << pressedText.toStdString();
    }
}

// A box is only ever up on the main thread: seeing it there is the proof.
TEST(MessageBoxAlerts, AWarningFromAnotherThreadIsShownOnTheMainThreadWithoutWaiting) {
    test::FakeWorkAreas workAreas;
    MessageBoxAlerts alerts(workAreas);
    QString shownText;
    whenABoxIsUp([&](QMessageBox* box) {
        shownText = box->text() + QLatin1Char('|') + box->informativeText();
        box->accept();
    });
    QThread* worker = QThread::create([&] {
        alerts.warn(QStringLiteral("Workspace launching"), QStringLiteral("Could not open"),
                    QStringLiteral("xterm"));
    });
    worker->start();
    ASSERT_TRUE(worker->wait(5000)) << "the worker waited for the alert";
    EXPECT_TRUE(test::waitUntil([&] { return !shownText.isEmpty(); }));
    EXPECT_EQ(shownText, QStringLiteral("Could not open|xterm"));
    delete worker;
}
