// Alerts as real message boxes, answered by closing or clicking them.
#include "platform/linux/MessageBoxAlerts.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
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

TEST(MessageBoxAlerts, AWarningFromAnotherThreadIsShownOnTheMainThreadWithoutWaiting) {
    MessageBoxAlerts alerts;
    QString shownText;
    QThread* shownOn = nullptr;
    whenABoxIsUp([&](QMessageBox* box) {
        shownText = box->text() + QLatin1Char('|') + box->informativeText();
        shownOn = QThread::currentThread();
        box->accept();
    });
    bool returned = false;
    QThread* worker = QThread::create([&] {
        alerts.warn(QStringLiteral("Workspace launching"), QStringLiteral("Could not open"),
                    QStringLiteral("xterm"));
        returned = true;
    });
    worker->start();
    ASSERT_TRUE(worker->wait(5000)) << "the worker waited for the alert";
    EXPECT_TRUE(returned);
    ASSERT_TRUE(test::waitUntil([&] { return !shownText.isEmpty(); }));
    EXPECT_EQ(shownText, QStringLiteral("Could not open|xterm"));
    EXPECT_EQ(shownOn, QCoreApplication::instance()->thread());
    delete worker;
}

// The success notice carries Dexaro's own image, not a caution icon.
TEST(MessageBoxAlerts, ANoticeOfSuccessShowsTheGreenCheckMark) {
    MessageBoxAlerts alerts;
    QImage image;
    whenABoxIsUp([&](QMessageBox* box) {
        image = box->iconPixmap().toImage();
        box->accept();
    });
    alerts.inform(QStringLiteral("Workspace creating"), QStringLiteral("Added new Workspace!"),
                  QStringLiteral("created"));
    ASSERT_FALSE(image.isNull());
    // The lower part of the green disc, below the check mark.
    const QColor lower = image.pixelColor(image.width() / 2, image.height() * 85 / 100);
    EXPECT_GT(lower.green(), lower.red() + 60);
    EXPECT_GT(lower.green(), lower.blue() + 60);
}
