#pragma once
// The program that the desktop starts when the user logs in.
#include <QString>

namespace dexaro {

class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Registers (true) or unregisters (false) the login item with the given
    // identifier. Answers false and fills error when that failed.
    virtual bool setEnabled(const QString& identifier, bool enabled, QString* error = nullptr) = 0;
    virtual bool isEnabled(const QString& identifier) const = 0;
};

} // namespace dexaro
