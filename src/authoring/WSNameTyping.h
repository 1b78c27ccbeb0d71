#pragma once
// The rules a name field follows while the user types, shared by the Creator
// and the Editor: line breaks are removed at once; a trimmed name over 40
// user-perceived characters shows the too-long warning beside the field and
// turns its text red, leaving "Save" as it was; a name within the limit closes
// the warning, restores the text colour and lets the screen decide on "Save".
#include <QColor>
#include <QObject>
#include <functional>

class QAbstractButton;
class QLineEdit;

namespace dexaro {

class WSNameCheckerPopover;

class WSNameTyping : public QObject {
    Q_OBJECT
public:
    // The too-long warning's text colour, rgb(248, 68, 72).
    static QColor warningColor();

    // mayEnableSave: whether "Save" may be enabled for a non-empty name within
    // the limit (the Editor: only while a workspace is selected).
    WSNameTyping(QLineEdit* field, WSNameCheckerPopover* warning, QAbstractButton* save,
                 std::function<bool()> mayEnableSave);

    // Applies the rules to the field's text now (every change runs this).
    void textChanged();
    // Closes the warning and gives the text its normal colour back.
    void closeWarning();
    bool isWarningShown() const;

private:
    void setWarningColor(bool warning);

    QLineEdit* m_field;
    WSNameCheckerPopover* m_warning;
    QAbstractButton* m_save;
    std::function<bool()> m_mayEnableSave;
    bool m_cleaning = false;
};

} // namespace dexaro
