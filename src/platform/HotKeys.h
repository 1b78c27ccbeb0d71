#pragma once
// System-wide hot keys: a key combination that reaches Dexaro whichever
// application is in front. A hot key is named by the caller's identifier
// (a four-character signature and a 32-bit number); presses are reported by
// pressed() on the main thread, never while the caller is inside a call here.
//
// Key codes are Dexaro's positional key codes (KeyboardLayout); modifiers are
// the event-manager bits: Command 0x100, Shift 0x200, Option 0x800, Control 0x1000.
#include <QObject>
#include <QString>
#include <cstdint>

namespace dexaro {

class HotKeys : public QObject {
    Q_OBJECT
public:
    enum CarbonModifier : quint32 {
        CarbonCommand = 0x100,
        CarbonShift = 0x200,
        CarbonOption = 0x800,
        CarbonControl = 0x1000,
    };

    using QObject::QObject;

    // False when this session offers no system-wide hot keys (no X11 display).
    virtual bool isAvailable() const = 0;
    // Takes the combination. False and a readable error when the key is unknown
    // or another application holds the combination; nothing is kept then.
    // Registering a combination that is registered already under another
    // identifier succeeds: a press then reports both identifiers.
    virtual bool registerHotKey(quint32 keyCode, quint32 carbonModifiers, quint32 signature,
                                quint32 id, QString* error = nullptr) = 0;
    virtual void unregisterHotKey(quint32 signature, quint32 id) = 0;
    // True while another application holds the combination (a global grab or
    // shortcut of someone else). Combinations registered here are not taken.
    virtual bool isTakenByOthers(quint32 keyCode, quint32 carbonModifiers) = 0;

signals:
    void pressed(quint32 signature, quint32 id);
};

} // namespace dexaro
