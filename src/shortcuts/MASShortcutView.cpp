#include "shortcuts/MASShortcutView.h"

#include "platform/Alerts.h"
#include "platform/UserDefaults.h"
#include "shortcuts/KeyTables.h"
#include "shortcuts/MASShortcutValidator.h"
#include "shortcuts/ShortcutStrings.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolTip>
#include <utility>

namespace dexaro {
namespace {

constexpr int cellFontSize = 11;
constexpr int intrinsicWidth = 120;

QPointer<MASShortcutView> currentRecordingView;

QString text(const char* key, const char* comment) {
    return shortcutLocalizedString(QString::fromUtf8(key), comment);
}

// Accessibility: a button named after its shortcut, pressed to record.
class MASShortcutViewAccessible : public QAccessibleWidget {
public:
    explicit MASShortcutViewAccessible(MASShortcutView* view)
        : QAccessibleWidget(view, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return view()->accessibilityLabel();
        if (t == QAccessible::Help || t == QAccessible::Description)
            return MASShortcutView::accessibilityHelp();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            view()->accessibilityPerformPress();
    }

private:
    MASShortcutView* view() const { return static_cast<MASShortcutView*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(MASShortcutView::staticMetaObject.className()) &&
        object->isWidgetType())
        return new MASShortcutViewAccessible(static_cast<MASShortcutView*>(object));
    return nullptr;
}

} // namespace

MASShortcutView::MASShortcutView(MASShortcutValidator& validator, Alerts& alerts, QWidget* parent)
    : QWidget(parent), m_validator(validator), m_alerts(alerts) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleDescription(accessibilityHelp());
    setAccessibleName(accessibilityLabel());
}

MASShortcutView::~MASShortcutView() {
    if (currentRecordingView == this)
        currentRecordingView = nullptr;
    // Whoever follows the recording (the suspended hot keys) hears it end.
    if (std::exchange(m_recording, false))
        emit recordingChanged(false);
    m_monitoring = m_observing = false;
    updateFilter();
}

MASShortcutView* MASShortcutView::recordingView() {
    return currentRecordingView;
}

// ---- value and binding ------------------------------------------------------

void MASShortcutView::setShortcutValue(const std::optional<MASShortcut>& shortcut) {
    m_value = shortcut;
    refresh();
    if (!m_defaultsKey.isEmpty() && m_defaults && !m_deliveringDefaults) {
        QString error;
        m_writingDefaults = true;
        const bool written = shortcut
                                 ? m_defaults->setValue(m_defaultsKey, shortcut->encode(), &error)
                                 : m_defaults->removeValue(m_defaultsKey, &error);
        m_writingDefaults = false;
        if (!written) {
            m_alerts.warn(QStringLiteral("Keyboard shortcut"),
                          QStringLiteral("The shortcut could not be saved."), error);
        }
    }
    emit shortcutValueChanged();
    if (shortcutValueChange)
        shortcutValueChange(this);
}

void MASShortcutView::setUserDefaults(UserDefaults* defaults) {
    const QString key = m_defaultsKey;
    setAssociatedUserDefaultsKey(QString());
    m_defaults = defaults;
    if (!key.isEmpty())
        setAssociatedUserDefaultsKey(key);
}

void MASShortcutView::setAssociatedUserDefaultsKey(const QString& key) {
    disconnect(m_defaultsConnection);
    m_defaultsKey.clear();
    if (key.isEmpty())
        return;
    if (!UserDefaults::isValidKey(key)) {
        qWarning().noquote() << "Dexaro: cannot bind a shortcut recorder to the key" << key;
        return;
    }
    if (!m_defaults) {
        qWarning().noquote() << "Dexaro: a shortcut recorder has no user defaults for the key"
                             << key;
        return;
    }
    m_defaultsKey = key;
    m_defaultsConnection =
        connect(m_defaults, &UserDefaults::changed, this, [this](const QString& changed) {
            if (changed == m_defaultsKey && !m_writingDefaults)
                applyStoredValue();
        });
    applyStoredValue();
}

// Shows what the bound key holds, without writing it back: a damaged stored
// value shows as no shortcut and stays in the file until a new one is recorded.
void MASShortcutView::applyStoredValue() {
    const std::optional<QVariantMap> stored = m_defaults->value(m_defaultsKey);
    m_deliveringDefaults = true;
    setShortcutValue(stored ? MASShortcut::decode(*stored) : std::nullopt);
    m_deliveringDefaults = false;
}

// ---- state --------------------------------------------------------------------

void MASShortcutView::setRecording(bool recording) {
    if (recording) {
        if (!isEnabled())
            return;
        if (currentRecordingView && currentRecordingView != this)
            currentRecordingView->setRecording(false);
        currentRecordingView = this;
    }
    if (m_recording == recording)
        return;
    m_recording = recording;
    if (!recording && currentRecordingView == this)
        currentRecordingView = nullptr;
    m_placeholder.clear();
    setEventMonitoring(recording);
    setResignObserving(recording);
    refresh();
    emit recordingChanged(recording);
    if (!recording) {
        m_announcement = m_value ? text("Shortcut set", "VoiceOver: Shortcut set")
                                 : text("Shortcut cleared", "VoiceOver: Shortcut cleared");
        QAccessibleEvent announcement(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&announcement);
    }
}

void MASShortcutView::setShowsDeleteButton(bool shows) {
    m_showsDeleteButton = shows;
    update();
}

void MASShortcutView::setViewStyle(int style) {
    if (style < 0 || style > 4 || style == m_style)
        return;
    m_style = style;
    refresh();
}

void MASShortcutView::setHinting(bool hinting) {
    if (m_hinting == hinting)
        return;
    m_hinting = hinting;
    update();
}

void MASShortcutView::refresh() {
    setAccessibleName(accessibilityLabel());
    updateGeometry();
    update();
}

void MASShortcutView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        setHinting(false);
        if (!isEnabled())
            setRecording(false);
        refresh();
    }
    QWidget::changeEvent(event);
}

// ---- geometry and drawing -------------------------------------------------------

QFont MASShortcutView::cellFont() const {
    QFont f = font();
    f.setPointSize(cellFontSize);
    return f;
}

int MASShortcutView::hintAreaWidth() const {
    switch (m_style) {
    case 1:
        return 25;
    case 2:
        return 26;
    case 3:
        return cellFont().pointSize() - 11 - 8 + 23;
    default:
        return 23;
    }
}

QRect MASShortcutView::hintRect() const {
    const int w = qMin(hintAreaWidth(), width());
    return QRect(width() - w, 0, w, height());
}

QRect MASShortcutView::shortcutRect() const {
    return QRect(0, 0, qMax(0, width() - hintAreaWidth()), height());
}

QSize MASShortcutView::sizeHint() const {
    QStyleOptionButton option;
    option.initFrom(this);
    const QFontMetrics metrics(cellFont());
    const QSize contents(metrics.horizontalAdvance(QStringLiteral("Record Shortcut")),
                         metrics.height());
    const QSize natural = style()->sizeFromContents(QStyle::CT_PushButton, &option, contents, this);
    // Key names are longer than glyphs: "Ctrl+Alt+Shift+Page Down" is shown whole.
    const int shown =
        m_value ? metrics.horizontalAdvance(m_value->description()) + hintAreaWidth() + 12 : 0;
    return QSize(std::max(intrinsicWidth, shown), natural.height());
}

QString MASShortcutView::titleText() const {
    if (m_value) {
        if (!m_recording)
            return m_value->description();
        if (m_hinting)
            return text("Use Old Shortcut",
                        "Cancel action button for non-empty shortcut in recording state");
        if (!m_placeholder.isEmpty())
            return m_placeholder;
        return text("Type New Shortcut", "Non-empty shortcut button in recording state");
    }
    if (!m_recording)
        return text("Record Shortcut", "Empty shortcut button in normal state");
    if (m_hinting)
        return text("Cancel", "Cancel action button in recording state");
    if (!m_placeholder.isEmpty())
        return m_placeholder;
    return text("Type Shortcut", "Empty shortcut button in recording state");
}

QString MASShortcutView::hintGlyph() const {
    if (m_recording)
        return QStringLiteral("\u238B");
    if (m_value && m_showsDeleteButton)
        return QStringLiteral("\u2715");
    return QString();
}

void MASShortcutView::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    if (m_recording)
        option.state |= QStyle::State_Sunken | QStyle::State_On;
    else
        option.state |= QStyle::State_Raised;
    if (m_style != 3)
        painter.drawControl(QStyle::CE_PushButtonBevel, option);

    painter.setFont(cellFont());
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::ButtonText));
    const QString glyph = hintGlyph();
    if (!glyph.isEmpty())
        painter.drawText(rect().adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, glyph);
    // Without a value and not recording the title is centred over everything.
    const QRect titleRect = (m_value || m_recording) ? shortcutRect() : rect();
    const QString title = painter.fontMetrics().elidedText(titleText(), Qt::ElideRight,
                                                           qMax(0, titleRect.width() - 4));
    painter.drawText(titleRect, Qt::AlignCenter, title);
}

// ---- mouse and tool tips ---------------------------------------------------------

void MASShortcutView::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint position = event->position().toPoint();
    if (m_recording) {
        if (hintRect().contains(position))
            setRecording(false);
    } else if (m_value) {
        if (shortcutRect().contains(position))
            setRecording(true);
        else
            setShortcutValue(std::nullopt);
    } else {
        setRecording(true);
    }
    event->accept();
}

void MASShortcutView::mouseMoveEvent(QMouseEvent* event) {
    setHinting(hintRect().contains(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void MASShortcutView::enterEvent(QEnterEvent* event) {
    setHinting(hintRect().contains(event->position().toPoint()));
    QWidget::enterEvent(event);
}

void MASShortcutView::leaveEvent(QEvent* event) {
    setHinting(false);
    QWidget::leaveEvent(event);
}

QString MASShortcutView::toolTipAt(const QPoint& position) const {
    if (!m_value || m_recording || !isEnabled())
        return QString();
    if (hintRect().contains(position))
        return text("Delete shortcut", "Tooltip for hint button near the non-empty shortcut");
    if (shortcutRect().contains(position))
        return text("Click to record new shortcut", "Tooltip for non-empty shortcut button");
    return QString();
}

bool MASShortcutView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            const QRect area = hintRect().contains(help->pos()) ? hintRect() : shortcutRect();
            QToolTip::showText(help->globalPos(), tip, this, area);
        }
        return true;
    }
    return QWidget::event(event);
}

// ---- accessibility -------------------------------------------------------------

QString MASShortcutView::accessibilityLabel() const {
    const QString shortcut = m_value ? m_value->description() : text("Empty", "Empty shortcut");
    return shortcut + u' ' + text("keyboard shortcut", "VoiceOver title");
}

QString MASShortcutView::accessibilityHelp() {
    return text("To record a new shortcut, click this button, and then type the new shortcut, "
                "or press delete to clear an existing shortcut.",
                "VoiceOver shortcut help");
}

bool MASShortcutView::accessibilityPerformPress() {
    if (m_recording)
        return false;
    setRecording(true);
    return true;
}

// ---- keys while recording ----------------------------------------------------------

void MASShortcutView::setEventMonitoring(bool monitor) {
    m_monitoring = monitor;
    updateFilter();
}

void MASShortcutView::setResignObserving(bool observe) {
    m_observing = observe;
    updateFilter();
}

// One application-wide event filter serves as the key monitor and as the
// observer of the window losing activation; it is only there while needed.
void MASShortcutView::updateFilter() {
    const bool wanted = m_monitoring || m_observing;
    if (wanted == m_filterInstalled || !qApp)
        return;
    if (wanted)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    m_filterInstalled = wanted;
}

bool MASShortcutView::passesWhileRecording(QKeyEvent* event) const {
    const MASShortcut shortcut = MASShortcut::shortcutWithEvent(*event);
    if (shortcut.keyCode() == keys::Tab) // Tab moves the focus on
        return true;
    // Closing the window and quitting keep working (Ctrl here, the command key elsewhere).
    return shortcut.modifierFlags() == MASShortcut::ControlFlag &&
           (shortcut.keyCode() == keys::W || shortcut.keyCode() == keys::Q);
}

bool MASShortcutView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        if (m_observing && watched == window())
            setRecording(false);
        return false;
    case QEvent::ShortcutOverride: {
        if (!m_monitoring)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (passesWhileRecording(key)) {
            if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
                setRecording(false);
            return false;
        }
        // Keep application shortcuts from firing: the key press comes to us.
        key->accept();
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (!m_monitoring)
            return false;
        return handleRecordingKey(static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}

bool MASShortcutView::handleRecordingKey(QKeyEvent* event) {
    const MASShortcut shortcut = MASShortcut::shortcutWithEvent(*event);
    const bool isModifierKey = keytables::flagOfModifierKey(shortcut.keyCode()) != 0;
    if (event->type() == QEvent::KeyRelease) {
        // A modifier let go: the placeholder shows what is still held.
        if (isModifierKey) {
            m_placeholder = shortcut.modifierFlagsString();
            update();
        }
        return false;
    }
    const quint64 flags = shortcut.modifierFlags();
    const quint64 keyCode = shortcut.keyCode();

    if (passesWhileRecording(event)) {
        if (keyCode != keys::Tab)
            setRecording(false);
        return false;
    }
    event->accept();
    if (flags == 0 && (keyCode == keys::Delete || keyCode == keys::ForwardDelete)) {
        setShortcutValue(std::nullopt);
        setRecording(false);
        return true;
    }
    if (flags == 0 && keyCode == keys::Escape) {
        setRecording(false);
        return true;
    }
    if (!isModifierKey && !shortcut.keyCodeString().isEmpty()) {
        MASShortcutValidator& validator = m_validator;
        if (!validator.isShortcutValid(shortcut)) {
            QApplication::beep();
            return true;
        }
        QString explanation;
        QString usedBy = m_usedBy ? m_usedBy(shortcut, m_defaultsKey) : QString();
        if (!usedBy.isEmpty())
            explanation = QStringLiteral("It is already the shortcut of the workspace "
                                         "\u201c%1\u201d. Choose another one, or change that "
                                         "workspace's shortcut first.")
                              .arg(usedBy);
        if (!usedBy.isEmpty() || validator.isShortcutAlreadyTakenBySystem(shortcut, &explanation)) {
            setResignObserving(false);
            setEventMonitoring(false);
            m_alerts.critical(QStringLiteral("Keyboard shortcut"),
                              shortcutFormat(text("The key combination %@ cannot be used",
                                                  "Title for alert when shortcut is already used"),
                                             shortcut.description()),
                              explanation);
            m_placeholder.clear();
            update();
            if (m_recording) {
                setResignObserving(true);
                setEventMonitoring(true);
            }
            return true;
        }
        setShortcutValue(shortcut);
        setRecording(false);
        return true;
    }
    m_placeholder = shortcut.modifierFlagsString();
    update();
    return true;
}

} // namespace dexaro
