#include "platform/linux/MessageBoxAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QThread>

namespace dexaro {

namespace {

bool onMainThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The notice's own image in place of a standard icon.
enum class BoxImage { standard, success };

int runBox(const QString& title, const QString& message, const QString& informative,
           const QStringList& buttons, QMessageBox::Icon icon = QMessageBox::Warning,
           BoxImage image = BoxImage::standard) {
    QMessageBox box(icon, title, message);
    if (image == BoxImage::success) {
        const QIcon success(QStringLiteral(":/images/success.svg"));
        const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        if (!success.isNull())
            box.setIconPixmap(success.pixmap(QSize(side, side), box.devicePixelRatio()));
    }
    box.setInformativeText(informative);
    QList<QAbstractButton*> added;
    const QStringList labels = buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : buttons;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        // The first button is the default one; the last of several also answers Escape.
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        QPushButton* button = box.addButton(labels.at(i), role);
        added.append(button);
        if (i == 0)
            box.setDefaultButton(button);
    }
    box.setEscapeButton(added.last());
    box.exec();
    const qsizetype index = added.indexOf(box.clickedButton());
    return index < 0 ? int(added.size() - 1) : int(index);
}

// Shown at once on the main thread; from another thread queued there, not waited for.
void showNotice(const QString& title, const QString& message, const QString& informative,
                QMessageBox::Icon icon, BoxImage image = BoxImage::standard) {
    if (onMainThread()) {
        runBox(title, message, informative, {}, icon, image);
        return;
    }
    if (!QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [title, message, informative, icon, image] {
            runBox(title, message, informative, {}, icon, image);
        },
        Qt::QueuedConnection);
}

} // namespace

void MessageBoxAlerts::warn(const QString& title, const QString& message,
                            const QString& informative) {
    showNotice(title, message, informative, QMessageBox::Warning);
}

void MessageBoxAlerts::critical(const QString& title, const QString& message,
                                const QString& informative) {
    showNotice(title, message, informative, QMessageBox::Critical);
}

void MessageBoxAlerts::inform(const QString& title, const QString& message,
                              const QString& informative) {
    showNotice(title, message, informative, QMessageBox::Information, BoxImage::success);
}

int MessageBoxAlerts::ask(const QString& title, const QString& message, const QString& informative,
                          const QStringList& buttons) {
    if (onMainThread())
        return runBox(title, message, informative, buttons);
    if (!QCoreApplication::instance())
        return int(std::max<qsizetype>(buttons.size(), 1) - 1);
    int answer = 0;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] { answer = runBox(title, message, informative, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace dexaro
