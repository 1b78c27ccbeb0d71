#pragma once
// The popover's settings icon: an icon-only button named "Preferences". It
// shows the asset's "_dark" variant in the light appearance and its "_light"
// variant in the dark one (a missing variant leaves the asset itself), half
// transparent until the pointer is over it.
#include <QAbstractButton>
#include <QString>

class QSvgRenderer;

namespace dexaro {

class StatusbarSettingsImageButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal restingOpacity = 0.5;
    static constexpr qreal hoverOpacity = 1.0;

    // folder: where "<name>.svg" assets are looked up.
    explicit StatusbarSettingsImageButton(const QString& assetName, QWidget* parent = nullptr,
                                          const QString& folder = QStringLiteral(":/images/"));

    QString lightModeNormalImage() const { return m_lightModeNormalImage; }
    QString darkModeNormalImage() const { return m_darkModeNormalImage; }
    // The variant for the current appearance ("" when not even the asset exists).
    QString shownImage() const;

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_lightModeNormalImage;
    QString m_darkModeNormalImage;
    qreal m_opacity = restingOpacity;
};

} // namespace dexaro
