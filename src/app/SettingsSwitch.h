#pragma once
// An on/off switch with its title to the right: a check box drawn as a
// sliding switch (keyboard, accessibility and click handling stay the check
// box's own).
#include <QCheckBox>

namespace dexaro {

class SettingsSwitch : public QCheckBox {
    Q_OBJECT
public:
    explicit SettingsSwitch(const QString& title, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

} // namespace dexaro
