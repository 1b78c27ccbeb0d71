#pragma once
// Desktop entries read with GLib's key-file parser, icons resolved through
// GTK 3's icon theme. GTK is loaded (dlopen) only when a scan first needs an
// icon, so that Dexaro's start-up never loads it; without GTK every entry gets
// no icon file (the scan shows its placeholder).
#include "platform/DesktopEntries.h"

namespace dexaro {

class GioDesktopEntries final : public DesktopEntries {
public:
    QStringList applicationFolders() const override;
    std::unique_ptr<DesktopEntryReader> makeReader() override;
};

} // namespace dexaro
