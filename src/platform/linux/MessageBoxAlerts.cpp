#include "platform/linux/MessageBoxAlerts.h"

#include "platform/WorkAreas.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>
#include <QThread>
#include <functional>

namespace dexaro {

namespace {

bool onMainThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The notice's own image in place of a standard icon.
enum class BoxImage { standard, success };

// Where a run of text without spaces may break: after a comma or a semicolon,
// else every so many characters. A zero-width space is a break opportunity
// for Qt's line breaking and shows nothing.
QString withBreaks(const QString& text) {
    constexpr int longestRun = 40;
    constexpr QChar zeroWidthSpace(0x200B);
    QString broken;
    broken.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        broken += c;
        run = c.isSpace() ? 0 : run + 1;
        const bool next = i + 1 < text.size() && !text.at(i + 1).isSpace();
        if (next && (run >= longestRun || c == u',' || c == u';')) {
            broken += zeroWidthSpace;
            run = 0;
        }
    }
    return broken;
}

int wrappedHeight(const QFontMetrics& metrics, int width, const QString& text) {
    return metrics.boundingRect(QRect(0, 0, width, 1 << 24), Qt::TextWordWrap, text).height();
}

// text with breaks, cut to what fits height when wrapped at width; an ellipsis
// marks a cut.
QString fitted(const QString& text, const QFontMetrics& metrics, int width, int height, bool* cut) {
    QString broken = withBreaks(text);
    // No more characters than the narrowest could fill: a bound before measuring.
    const qsizetype bound = qsizetype(std::max(1, height / std::max(1, metrics.lineSpacing()))) *
                            (width / std::max(1, metrics.horizontalAdvance(QLatin1Char('i'))) + 1);
    if (broken.size() <= bound && wrappedHeight(metrics, width, broken) <= height)
        return broken;
    *cut = true;
    const QString ellipsis(QChar(0x2026));
    qsizetype low = 0, high = std::min(broken.size(), bound);
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (wrappedHeight(metrics, width, broken.left(middle) + ellipsis) <= height)
            low = middle;
        else
            high = middle - 1;
    }
    return broken.left(low) + ellipsis;
}

// A message box that keeps to a work area: its title bar wide enough for the
// whole title, its texts wrapped and cut to the area's height, the whole texts
// under its details, centred in the area once shown.
class FittedBox : public QMessageBox {
public:
    FittedBox(const QRect& area, Icon icon, const QString& title)
        : QMessageBox(icon, title, {}), m_area(area) {}

    // Sets the texts, then the width; last, as the texts rebuild the layout.
    void setTexts(const QString& message, const QString& informative) {
        // The box's room besides its texts: icon, margins, buttons, title bar.
        const int textWidth = std::min(500, m_area.width() / 2) - 120;
        const int textHeight = std::max(60, m_area.height() - 260);
        const QFontMetrics metrics(font());
        bool cut = false;
        const QString shownMessage =
            fitted(message, metrics, std::max(80, textWidth), textHeight / 3, &cut);
        const int messageHeight = wrappedHeight(metrics, std::max(80, textWidth), shownMessage);
        const QString shownInformative = fitted(informative, metrics, std::max(80, textWidth),
                                                std::max(40, textHeight - messageHeight), &cut);
        setText(shownMessage);
        setInformativeText(shownInformative);
        if (cut)
            setDetailedText(informative.isEmpty() ? message
                                                  : message + QStringLiteral("\n\n") + informative);

        QFont titleFont = QApplication::font();
        titleFont.setBold(true); // title bars mostly are
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(windowTitle()) +
                               MessageBoxAlerts::titleBarExtra;
        const int width = std::min(titleWidth, m_area.width() - 40);
        if (auto* grid = qobject_cast<QGridLayout*>(layout()))
            grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                          grid->rowCount(), 0, 1, grid->columnCount());
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box for its texts
        keepInArea();
    }
    // The box sizes itself again as its layout settles, or shows its details.
    void resizeEvent(QResizeEvent* event) override {
        QMessageBox::resizeEvent(event);
        if (isVisible())
            keepInArea();
    }

private:
    // The frame (title bar and border included) inside the area, centred.
    void keepInArea() {
        const QSize border = frameGeometry().size() - this->size();
        const QSize size = this->size().boundedTo(m_area.size() - border);
        if (size != this->size())
            setFixedSize(size);
        QRect frame(QPoint(), size + border);
        frame.moveCenter(m_area.center());
        if (frame.topLeft() != pos())
            move(frame.topLeft());
    }

    QRect m_area;
};

int runBox(const QRect& area, const QString& title, const QString& message,
           const QString& informative, const QStringList& buttons,
           QMessageBox::Icon icon = QMessageBox::Warning, BoxImage image = BoxImage::standard) {
    FittedBox box(area, icon, title);
    if (image == BoxImage::success) {
        const QIcon success(QStringLiteral(":/images/success.svg"));
        const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        if (!success.isNull())
            box.setIconPixmap(success.pixmap(QSize(side, side), box.devicePixelRatio()));
    }
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
    box.setTexts(message, informative);
    box.exec();
    const qsizetype index = added.indexOf(box.clickedButton());
    return index < 0 ? int(added.size() - 1) : int(index);
}

using AreaOf = std::function<QRect()>;

// Shown at once on the main thread; from another thread queued there, not waited for.
void showNotice(const AreaOf& area, const QString& title, const QString& message,
                const QString& informative, QMessageBox::Icon icon,
                BoxImage image = BoxImage::standard) {
    if (onMainThread()) {
        runBox(area(), title, message, informative, {}, icon, image);
        return;
    }
    if (!QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [area, title, message, informative, icon, image] {
            runBox(area(), title, message, informative, {}, icon, image);
        },
        Qt::QueuedConnection);
}

} // namespace

QRect MessageBoxAlerts::area() const {
    const auto primary = m_workAreas.primary();
    if (!primary || primary->workArea.isEmpty())
        return QRect(0, 0, 800, 600);
    // Work areas are in device pixels, widgets in logical ones.
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QRect& r = primary->workArea;
    return QRect(QPoint(qRound(r.x() / ratio), qRound(r.y() / ratio)),
                 QSize(qRound(r.width() / ratio), qRound(r.height() / ratio)));
}

void MessageBoxAlerts::warn(const QString& title, const QString& message,
                            const QString& informative) {
    showNotice([this] { return area(); }, title, message, informative, QMessageBox::Warning);
}

void MessageBoxAlerts::critical(const QString& title, const QString& message,
                                const QString& informative) {
    showNotice([this] { return area(); }, title, message, informative, QMessageBox::Critical);
}

void MessageBoxAlerts::inform(const QString& title, const QString& message,
                              const QString& informative) {
    showNotice([this] { return area(); }, title, message, informative, QMessageBox::Information,
               BoxImage::success);
}

int MessageBoxAlerts::ask(const QString& title, const QString& message, const QString& informative,
                          const QStringList& buttons) {
    if (onMainThread())
        return runBox(area(), title, message, informative, buttons);
    if (!QCoreApplication::instance())
        return int(std::max<qsizetype>(buttons.size(), 1) - 1);
    int answer = 0;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] { answer = runBox(area(), title, message, informative, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace dexaro
