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
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenABoxIsUp([&, act = row.act](QMessageBox* box) {
            title = box->windowTitle();
            icon = box->icon();
            act(box);
        });
        EXPECT_EQ(alerts.ask(QStringLiteral("Dexaro"), QStringLiteral("Quit?"),
                             QStringLiteral("details"), buttons),
                  row.expected)
            << row.name;
        EXPECT_EQ(title, QStringLiteral("Dexaro")) << row.name;
        EXPECT_EQ(icon, QMessageBox::Warning) << row.name;
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

TEST(MessageBoxAlerts, NoticesShowTheIconOfTheirKind) {
    MessageBoxAlerts alerts;
    using Show = void (MessageBoxAlerts::*)(const QString&, const QString&, const QString&);
    const struct {
        const char* name;
        Show show;
        QMessageBox::Icon icon;
        bool successImage; // Dexaro's green check mark in place of a standard icon
    } rows[] = {
        {"warning", &MessageBoxAlerts::warn, QMessageBox::Warning, false},
        {"critical", &MessageBoxAlerts::critical, QMessageBox::Critical, false},
        {"success", &MessageBoxAlerts::inform, QMessageBox::NoIcon, true},
    };
    for (const auto& row : rows) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        QImage image;
        whenABoxIsUp([&](QMessageBox* box) {
            icon = box->icon();
            text = box->text();
            image = box->iconPixmap().toImage();
            box->accept();
        });
        (alerts.*row.show)(QStringLiteral("Keyboard shortcut"), QStringLiteral("Cannot be used"),
                           QStringLiteral("taken"));
        EXPECT_EQ(icon, row.icon) << row.name;
        EXPECT_EQ(text, QStringLiteral("Cannot be used")) << row.name;
        ASSERT_FALSE(image.isNull()) << row.name;
        // The lower part of the image: the green disc below the check mark, or not.
        const QColor lower = image.pixelColor(image.width() / 2, image.height() * 85 / 100);
        EXPECT_EQ(lower.green() > lower.red() + 60 && lower.green() > lower.blue() + 60,
                  row.successImage)
            << row.name;
    }
}
