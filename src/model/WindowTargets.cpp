#include "model/WindowTargets.h"

namespace dexaro {

QString desktopText(int desktop) {
    if (desktop == desktops::all)
        return QStringLiteral("all");
    if (desktop < 0)
        return {};
    return QString::number(desktop);
}

int desktopFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return desktops::all;
    bool ok = false;
    const int number = trimmed.toInt(&ok);
    return ok && number >= 0 ? number : desktops::current;
}

} // namespace dexaro
