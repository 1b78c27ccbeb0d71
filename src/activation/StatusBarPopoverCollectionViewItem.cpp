#include "activation/StatusBarPopoverCollectionViewItem.h"

#include "activation/ActivationPulse.h"
#include "activation/AnimatedSwitch.h"
#include "model/Records.h"
#include "model/WorkspaceNames.h"
#include "style/BusySpinner.h"
#include "style/Colors.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace dexaro {

namespace {

// The static dot of a workspace that is off: a ring in the alert red.
class IndicatorDot : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(248, 68, 72), 1.5));
        painter.setBrush(isDarkAppearance(this) ? colorFromHex(0x2B2D2F) : QColor(Qt::white));
        painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

// The name in the lines the label has: words wider than the label and the
// last line that fits end with "…" instead of being cut off.
QString fittedName(const QString& name, const QFont& font, int width, int height) {
    const QFontMetrics metrics(font);
    if (width <= 0 || height <= 0)
        return name;
    QStringList words = name.split(QLatin1Char(' '));
    for (QString& word : words)
        if (metrics.horizontalAdvance(word) > width)
            word = metrics.elidedText(word, Qt::ElideRight, width);
    const QString text = words.join(QLatin1Char(' '));
    const int maxLines = std::max(1, height / metrics.lineSpacing());
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            lines << metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

QColor rowColor(bool dark) {
    return dark ? colorFromHex(0x3A3D42) : QColor(234, 234, 234);
}

QColor nameColor(bool dark) {
    return dark ? colorFromHex(0xDCE4F5) : QColor(26, 50, 99);
}

} // namespace

StatusBarPopoverCollectionViewItem::StatusBarPopoverCollectionViewItem(QWidget* parent)
    : QWidget(parent), m_dot(new IndicatorDot(this)), m_pulse(new ActivationPulse(this)),
      m_label(new QLabel(this)), m_toggle(new AnimatedSwitch(this)),
      m_spinner(new BusySpinner(this)) {
    m_pulse->animation().setSpeed(1.3);
    m_pulse->hide();

    QFont font = m_label->font();
    font.setPixelSize(16);
    font.setWeight(QFont::Light);
    m_label->setFont(font);
    m_label->setWordWrap(true);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_toggle->animation().setSpeed(1.5);
    connect(m_toggle, &QAbstractButton::clicked, this,
            &StatusBarPopoverCollectionViewItem::handleWSToggleSwitchFromStatusBar);

    m_spinner->hide();
    setAttribute(Qt::WA_Hover, false);
}

void StatusBarPopoverCollectionViewItem::configure(int index, const WSListModel& workspace) {
    m_index = index;
    m_wsID = workspace.wsID;
    m_name = displayedWorkspaceName(workspace.wsName);
    m_label->setText(fittedName(m_name, m_label->font(), m_label->width(), m_label->height()));
    setAccessibleName(workspace.wsName);
    m_toggle->setAccessibleName(workspace.wsName);
}

void StatusBarPopoverCollectionViewItem::applyItemState(ItemStateEnum state) {
    switch (state) {
    case ItemStateEnum::runningApp:
        showBusyLook();
        break;
    case ItemStateEnum::active:
        showSwitchedOnLook();
        break;
    case ItemStateEnum::inactive:
    case ItemStateEnum::notSet:
        showSwitchedOffLook();
        break;
    }
}

void StatusBarPopoverCollectionViewItem::showSwitchedOnLook() {
    m_toggle->animation().stop();
    m_toggle->animation().setCurrentProgress(0.5);
    m_toggle->setChecked(true);
    m_toggle->setBusy(false);
    m_toggle->show();
    m_spinner->animation().stop();
    m_spinner->hide();
    startActivationIndicator();
}

void StatusBarPopoverCollectionViewItem::showSwitchedOffLook() {
    m_toggle->animation().stop();
    m_toggle->animation().setCurrentProgress(0);
    m_toggle->setChecked(false);
    m_toggle->setBusy(false);
    m_toggle->show();
    m_spinner->animation().stop();
    m_spinner->hide();
    stopActivationIndicator();
}

void StatusBarPopoverCollectionViewItem::showBusyLook() {
    // The switch stays in the focus chain for assistive tools, described busy,
    // but the spinner takes its place on screen.
    m_toggle->setBusy(true);
    m_toggle->hide();
    m_spinner->show();
    m_spinner->animation().play(0, 1);
}

void StatusBarPopoverCollectionViewItem::endBusyLook() {
    m_spinner->animation().stop();
    m_spinner->hide();
    m_toggle->setBusy(false);
    m_toggle->show();
}

void StatusBarPopoverCollectionViewItem::startActivationIndicator() {
    m_dot->hide();
    m_pulse->show();
    if (!m_pulse->animation().isPlaying())
        m_pulse->animation().play(0, 1);
}

void StatusBarPopoverCollectionViewItem::stopActivationIndicator() {
    m_pulse->animation().stop();
    m_pulse->hide();
    m_dot->show();
}

void StatusBarPopoverCollectionViewItem::handleWSToggleSwitchFromStatusBar() {
    emit toggleRequested(m_wsID);
}

void StatusBarPopoverCollectionViewItem::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = rowColor(isDarkAppearance(this));
    painter.setPen(QPen(fill, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

void StatusBarPopoverCollectionViewItem::applyColors() {
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, nameColor(isDarkAppearance(this)));
    m_label->setPalette(palette);
}

void StatusBarPopoverCollectionViewItem::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        applyColors();
    QWidget::changeEvent(event);
}

void StatusBarPopoverCollectionViewItem::resizeEvent(QResizeEvent*) {
    const int w = width();
    const int h = height();
    m_dot->setGeometry(5, (h - 16) / 2, 16, 16);
    m_pulse->setGeometry(-2, (h - 30) / 2, 30, 30);
    m_label->setGeometry(35, 0, 200, h);
    m_label->setText(fittedName(m_name, m_label->font(), m_label->width(), m_label->height()));
    applyColors();
    const int toggleWidth = w / 5;
    m_toggle->setGeometry(w - toggleWidth - 4, (h - 25) / 2, toggleWidth, 25);
    // The spinner takes the switch's place, centred where the switch is.
    m_spinner->setGeometry(m_toggle->geometry());
}

} // namespace dexaro
