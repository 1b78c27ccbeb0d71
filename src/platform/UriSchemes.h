#pragma once
// Which address schemes the desktop can open, for addresses written without
// "//" after their scheme ("mailto:", "tel:"). Defined by the platform backend.
#include <QString>

namespace dexaro {

// Whether the desktop has a default application for addresses of scheme
// ("mailto"). Safe to call from any thread.
bool desktopHandlesUriScheme(const QString& scheme);

} // namespace dexaro
