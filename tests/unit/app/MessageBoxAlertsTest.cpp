// Alerts as real message boxes, answered by closing or clicking them.
#include "platform/linux/MessageBoxAlerts.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
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

} // namespace

TEST(MessageBoxAlerts, AQuestionAnswersTheButtonPressedAndClosingCountsAsTheLast) {
    MessageBoxAlerts alerts;
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
    MessageBoxAlerts alerts;
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
