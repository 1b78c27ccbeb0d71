#include "authoring/LinkRowView.h"

#include "style/Colors.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace dexaro {

LinkRowView::LinkRowView(LinkKind kind, QWidget* parent)
    : QFrame(parent), m_name(new QLineEdit(this)), m_address(new QLineEdit(this)),
      m_delete(new QPushButton(QStringLiteral("Delete"), this)) {
    setFixedSize(rowSize);
    const bool file = kind == LinkKind::file;
    m_name->setPlaceholderText(file ? QStringLiteral("Name (ex: 'My price doc')")
                                    : QStringLiteral("Name (ex: 'My blog page')"));
    m_address->setPlaceholderText(file ? QStringLiteral("Enter app's / file's path manual")
                                       : QStringLiteral("www.example.com"));
    m_name->setAccessibleName(QStringLiteral("Link name"));
    m_address->setAccessibleName(file ? QStringLiteral("File path")
                                      : QStringLiteral("Web address"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(m_name);
    layout->addWidget(m_address);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    if (file) {
        m_selectFile = new QPushButton(QStringLiteral("Select file or app"), this);
        buttons->addWidget(m_selectFile);
        connect(m_selectFile, &QPushButton::clicked, this,
                [this] { emit selectFileRequested(this); });
    }
    buttons->addStretch(1);
    buttons->addWidget(m_delete);
    layout->addLayout(buttons);
    connect(m_delete, &QPushButton::clicked, this, [this] { emit deleteRequested(this); });
    setNumber(1);
}

void LinkRowView::setNumber(int number) {
    const QString link = QStringLiteral("link %1").arg(number);
    setAccessibleName(QStringLiteral("Link %1").arg(number));
    m_name->setAccessibleDescription(link);
    m_address->setAccessibleDescription(link);
    m_delete->setAccessibleName(QStringLiteral("Delete ") + link);
    if (m_selectFile)
        m_selectFile->setAccessibleName(QStringLiteral("Select file or app for ") + link);
}

void LinkRowView::setProblem(const QString& problem) {
    if (problem == m_problem)
        return;
    m_problem = problem;
    setToolTip(problem);
    setAccessibleDescription(problem);
    update();
}

void LinkRowView::setStoredText(const QString& name, const QString& address) {
    m_stored.emplace(name, address);
}

bool LinkRowView::holdsStoredText() const {
    return m_stored && m_stored->first == m_name->text() && m_stored->second == m_address->text();
}

void LinkRowView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDarkAppearance(this) ? colorFromHex(0x363A3F) : colorFromHex(0xF2F3F6));
    if (!m_problem.isEmpty())
        painter.setPen(QPen(colorFromHex(0xE5484D), 1.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

} // namespace dexaro
