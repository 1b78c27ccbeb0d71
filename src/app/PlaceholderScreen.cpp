#include "app/PlaceholderScreen.h"

#include "style/Colors.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dexaro {

PlaceholderScreen::PlaceholderScreen(const QString& title, QWidget* parent) : WSMainView(parent) {
    setObjectName(title);
    setColors(colorFromHex(0xfbfbfd), std::nullopt);
    setMinimumSize(640, 480);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(title, this);
    QFont font = label->font();
    font.setPixelSize(26);
    font.setWeight(QFont::Black);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

} // namespace dexaro
