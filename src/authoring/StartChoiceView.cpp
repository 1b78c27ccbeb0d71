#include "authoring/StartChoiceView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>

namespace dexaro {

StartChoiceView::StartChoiceView(QWidget* parent)
    : QWidget(parent),
      m_atStart(new QCheckBox(QStringLiteral("Switch on when Dexaro starts"), this)),
      m_desktop(new QComboBox(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    m_atStart->setObjectName(QStringLiteral("switchOnAtStart"));
    m_atStart->setAccessibleName(QStringLiteral("Switch on when Dexaro starts"));
    m_desktop->setObjectName(QStringLiteral("startDesktop"));
    m_desktop->setAccessibleName(QStringLiteral("Desktop when switched on"));
    m_desktop->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    row->addWidget(m_atStart);
    row->addWidget(m_desktop);
    row->addStretch();
    connect(m_desktop, &QComboBox::activated, this,
            [this](int index) { m_startDesktop = m_desktop->itemData(index).toInt(); });
    fill();
}

void StartChoiceView::setDesktops(const QList<PlacementScreens::Desktop>& desktops) {
    m_desktops = desktops;
    // Every desktop at once is no desktop to show.
    m_desktops.removeIf(
        [](const PlacementScreens::Desktop& desktop) { return desktop.number == desktops::all; });
    fill();
}

void StartChoiceView::setChoice(bool switchOnAtStart, int startDesktop) {
    m_atStart->setChecked(switchOnAtStart);
    m_startDesktop = startDesktop < 0 ? desktops::current : startDesktop;
    fill();
}

bool StartChoiceView::switchOnAtStart() const {
    return m_atStart->isChecked();
}

int StartChoiceView::startDesktop() const {
    return m_startDesktop;
}

void StartChoiceView::fill() {
    m_desktop->clear();
    for (const auto& desktop : m_desktops)
        m_desktop->addItem(desktop.number == desktops::current
                               ? QStringLiteral("Show no other desktop")
                               : QStringLiteral("Show %1").arg(desktop.label),
                           desktop.number);
    int index = m_desktop->findData(m_startDesktop);
    if (m_startDesktop != desktops::current && index < 0) {
        if (m_desktop->count() == 0)
            m_desktop->addItem(QStringLiteral("Show no other desktop"), desktops::current);
        m_desktop->addItem(QStringLiteral("Show %1 (absent)").arg(desktopLabel(m_startDesktop, {})),
                           m_startDesktop);
        index = m_desktop->count() - 1;
    }
    m_desktop->setCurrentIndex(qMax(0, index));
    m_desktop->setVisible(m_desktop->count() > 0);
}

} // namespace dexaro
