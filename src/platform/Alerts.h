#pragma once
// Modal alerts. Everything that reports a failure to the
// user goes through this interface, so that the model stays free of widgets and
// tests can record what would have been shown.
#include <QString>
#include <QStringList>

namespace dexaro {

class Alerts {
public:
    virtual ~Alerts() = default;

    // A modal warning: window title, message, informative text, one "OK" button.
    // May be called from any thread; it is shown on the main thread and a call
    // from another thread does not wait for it.
    virtual void warn(const QString& title, const QString& message, const QString& informative) = 0;

    // Like warn(), in the critical style (the critical icon): for a request that
    // cannot be carried out at all, such as a key combination another
    // application holds. Shown as a warning where no critical style exists.
    virtual void critical(const QString& title, const QString& message,
                          const QString& informative) {
        warn(title, message, informative);
    }

    // A modal notice with Dexaro's "success" image in place of the caution icon:
    // a workspace saved or deleted. Shown as a warning where no image can be shown.
    virtual void inform(const QString& title, const QString& message, const QString& informative) {
        warn(title, message, informative);
    }

    // A modal question on the main thread; answers the index of the button pressed
    // (0 = the first, the default button).
    virtual int ask(const QString& title, const QString& message, const QString& informative,
                    const QStringList& buttons) = 0;
};

} // namespace dexaro
