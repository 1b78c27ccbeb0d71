#pragma once
// A plain background view. It fills itself with lightModeTextColor in a light
// appearance and darkModeTextColor in a dark one (the names are the screens'
// own: these are the view's background colours); an unset colour falls back
// to the palette's window colour. It repaints when the desktop palette changes.
#include <QColor>
#include <QWidget>
#include <optional>

namespace dexaro {

class WSMainView : public QWidget {
    Q_OBJECT
public:
    explicit WSMainView(QWidget* parent = nullptr);

    std::optional<QColor> lightModeTextColor;
    std::optional<QColor> darkModeTextColor;

    void setColors(std::optional<QColor> light, std::optional<QColor> dark);
    // The colour painted now, for the current appearance.
    QColor currentBackgroundColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
};

} // namespace dexaro
