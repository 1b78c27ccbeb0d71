// Alerts as real message boxes, answered by closing or clicking them.
#include "platform/linux/MessageBoxAlerts.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
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

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

TEST(MessageBoxAlerts, AQuestionAnswersTheButtonPressedAndClosingCountsAsTheLast) {
    MessageBoxAlerts alerts;
    const QStringList buttons{QStringLiteral("Quit anyway"), QStringLiteral("Cancel")};
    struct Row {
        const char* name;
        std::function<void(QMessageBox*)> act;
        int expected;
    };
    const Row rows[] = {
        {"first button", [](QMessageBox* box) { buttonNamed(box, "Quit anyway")->click(); }, 0},
        {"second button", [](QMessageBox* box) { buttonNamed(box, "Cancel")->click(); }, 1},
        {"window closed", [](QMessageBox* box) { box->reject(); }, 1},
    };
    for (const Row& row : rows) {
        whenABoxIsUp(row.act);
        EXPECT_EQ(alerts.ask(QStringLiteral("Dexaro"), QStringLiteral("Quit?"),
                             QStringLiteral("details"), buttons),
                  row.expected)
            << row.name;
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
