#pragma once
// The shortcut recorder: a button that shows a shortcut ("Ctrl+Alt+M"); click it,
// press a key combination, and it takes the combination as its value after
// checking it with the validator. Escape cancels, Delete clears, Tab moves on,
// Ctrl-W and Ctrl-Q keep closing and quitting. At most one recorder records at
// a time. Bound to a user-defaults key, it shows the shortcut stored there and
// writes every new value back. Main thread only.
#include "shortcuts/MASShortcut.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace dexaro {

class Alerts;
class MASShortcutValidator;
class UserDefaults;

class MASShortcutView : public QWidget {
    Q_OBJECT
public:
    // The validator checks recorded combinations; alerts tells the user why one
    // was refused or could not be stored.
    MASShortcutView(MASShortcutValidator& validator, Alerts& alerts, QWidget* parent = nullptr);
    ~MASShortcutView() override;

    std::optional<MASShortcut> shortcutValue() const { return m_value; }
    // Stores and shows the value, writes it to the bound key, then calls
    // shortcutValueChange.
    void setShortcutValue(const std::optional<MASShortcut>& shortcut);
    std::function<void(MASShortcutView*)> shortcutValueChange;

    MASShortcutValidator& shortcutValidator() const { return m_validator; }

    bool isRecording() const { return m_recording; }
    void setRecording(bool recording);
    // The recorder that records now, if any.
    static MASShortcutView* recordingView();

    bool showsDeleteButton() const { return m_showsDeleteButton; }
    void setShowsDeleteButton(bool shows);

    // Look 0 to 4; the Creator and Editor use 1. Sets the hint area's width.
    int viewStyle() const { return m_style; }
    void setViewStyle(int style);

    bool isHinting() const { return m_hinting; }
    // The modifiers held while recording, as names ("Ctrl+Alt+").
    QString shortcutPlaceholder() const { return m_placeholder; }

    // Binds the value to a user-defaults key of the defaults set with
    // setUserDefaults(); an empty key unbinds.
    QString associatedUserDefaultsKey() const { return m_defaultsKey; }
    void setAssociatedUserDefaultsKey(const QString& key);
    void setUserDefaults(UserDefaults* defaults);

    // Who else uses a combination: the name of the workspace, other than the
    // one bound to ownKey, whose shortcut it is; empty when none. A recorded
    // combination that another workspace uses is refused with its name.
    using UsedBy = std::function<QString(const MASShortcut& shortcut, const QString& ownKey)>;
    void setUsedBy(UsedBy usedBy) { m_usedBy = std::move(usedBy); }

    // What the control shows: the title, the glyph at its right edge, and the
    // tool tip at a point (empty where there is none).
    QString titleText() const;
    QString hintGlyph() const;
    QString toolTipAt(const QPoint& position) const;
    QRect shortcutRect() const;
    QRect hintRect() const;
    int hintAreaWidth() const;

    // Accessibility: "<shortcut or Empty> keyboard shortcut", the help text,
    // and the press action (starts recording; false when already recording).
    QString accessibilityLabel() const;
    static QString accessibilityHelp();
    bool accessibilityPerformPress();
    // What was last announced when recording ended ("Shortcut set" / "Shortcut cleared").
    QString lastAnnouncement() const { return m_announcement; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void shortcutValueChanged();
    void recordingChanged(bool recording);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the event is taken (not passed on).
    bool handleRecordingKey(QKeyEvent* event);
    bool passesWhileRecording(QKeyEvent* event) const;
    void setHinting(bool hinting);
    void setEventMonitoring(bool monitor);
    void setResignObserving(bool observe);
    void updateFilter();
    void applyStoredValue();
    void refresh();
    QFont cellFont() const;

    std::optional<MASShortcut> m_value;
    MASShortcutValidator& m_validator;
    bool m_recording = false;
    bool m_showsDeleteButton = true;
    int m_style = 0;
    bool m_hinting = false;
    QString m_placeholder;
    QString m_defaultsKey;
    UsedBy m_usedBy;
    QPointer<UserDefaults> m_defaults;
    QMetaObject::Connection m_defaultsConnection;
    bool m_writingDefaults = false;
    bool m_deliveringDefaults = false;
    Alerts& m_alerts;
    bool m_monitoring = false;
    bool m_observing = false;
    bool m_filterInstalled = false;
    QString m_announcement;
};

} // namespace dexaro
