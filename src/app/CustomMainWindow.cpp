#include "app/CustomMainWindow.h"

namespace dexaro {

CustomMainWindow::CustomMainWindow(AppSettings&, WorkspaceStore&, LoginItem&, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Dexaro"));
}

} // namespace dexaro
