#pragma once
// A screen that only shows its title: stands in for the Creator and Editor
// until they are given to the main window.
#include "style/WSMainView.h"

namespace dexaro {

class PlaceholderScreen : public WSMainView {
    Q_OBJECT
public:
    explicit PlaceholderScreen(const QString& title, QWidget* parent = nullptr);
};

} // namespace dexaro
