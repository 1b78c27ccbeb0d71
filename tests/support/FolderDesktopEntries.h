#pragma once
// The desktop's entries with the application folders a test chooses: the
// entries are read by the real reader of the platform, only where they are
// looked for changes.
#include "platform/DesktopEntries.h"

namespace dexaro::test {

class FolderDesktopEntries : public DesktopEntries {
public:
    FolderDesktopEntries(DesktopEntries& real, QStringList folders)
        : m_real(real), m_folders(std::move(folders)) {}

    QStringList applicationFolders() const override { return m_folders; }
    std::unique_ptr<DesktopEntryReader> makeReader() override { return m_real.makeReader(); }

private:
    DesktopEntries& m_real;
    QStringList m_folders;
};

} // namespace dexaro::test
