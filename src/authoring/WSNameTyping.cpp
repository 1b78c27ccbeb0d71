#include "authoring/WSNameTyping.h"

#include "authoring/NameChecks.h"
#include "authoring/WSNameCheckerPopover.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

namespace dexaro {

QColor WSNameTyping::warningColor() {
    return QColor(248, 68, 72);
}

WSNameTyping::WSNameTyping(QLineEdit* field, WSNameCheckerPopover* warning, QAbstractButton* save,
                           std::function<bool()> mayEnableSave)
    : QObject(field), m_field(field), m_warning(warning), m_save(save),
      m_mayEnableSave(std::move(mayEnableSave)) {
    connect(field, &QLineEdit::textChanged, this, &WSNameTyping::textChanged);
}

void WSNameTyping::textChanged() {
    if (m_cleaning)
        return;
    const QString text = m_field->text();
    const QString cleaned = withoutLineBreaks(text);
    if (cleaned != text) {
        // A pasted name loses its line breaks; the cursor stays where it was,
        // less the characters removed before it.
        const int cursor = m_field->cursorPosition();
        const int removedBefore =
            int(text.left(cursor).size() - withoutLineBreaks(text.left(cursor)).size());
        m_cleaning = true;
        m_field->setText(cleaned);
        m_field->setCursorPosition(cursor - removedBefore);
        m_cleaning = false;
    }
    if (trimmedWorkspaceName(cleaned).isEmpty()) {
        m_save->setEnabled(false); // spaces or invisible characters only
    } else if (isWorkspaceNameTooLong(cleaned)) {
        if (!m_warning->isShown()) {
            m_warning->showBeside(m_field);
            setWarningColor(true);
        }
        return;
    } else {
        m_save->setEnabled(m_mayEnableSave());
    }
    closeWarning();
}

void WSNameTyping::closeWarning() {
    if (m_warning->isShown())
        m_warning->closePopover();
    setWarningColor(false);
}

bool WSNameTyping::isWarningShown() const {
    return m_warning->isShown();
}

void WSNameTyping::setWarningColor(bool warning) {
    QPalette palette = m_field->palette();
    // Back to the desktop's text colour (black on a light desktop), so that a
    // dark desktop keeps readable text.
    const QColor normal = QApplication::palette(m_field).color(QPalette::Text);
    palette.setColor(QPalette::Text, warning ? warningColor() : normal);
    m_field->setPalette(palette);
}

} // namespace dexaro
