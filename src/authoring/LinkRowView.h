#pragma once
// One row of a link list: a name field, an address field and "Delete"; a file
// row also has "Select file or app". Rows are numbered from the top, from 1,
// for the names assistive tools read ("Delete link 2").
#include <QFrame>
#include <optional>
#include <utility>

class QLineEdit;
class QPushButton;

namespace dexaro {

enum class LinkKind { url, file };

class LinkRowView : public QFrame {
    Q_OBJECT
public:
    static constexpr QSize rowSize{300, 113};

    LinkRowView(LinkKind kind, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    QLineEdit* addressField() const { return m_address; }
    QPushButton* selectFileButton() const { return m_selectFile; } // null on a web-link row
    QPushButton* deleteButton() const { return m_delete; }

    void setNumber(int number);

    // Why the row's text cannot be saved as typed, shown on the row (a red
    // frame, its tool tip and accessible description); empty when it can.
    void setProblem(const QString& problem);

    // The text the row was read with from the store; whether it still holds
    // exactly that (a row stored by an older Dexaro is kept as it is, even
    // where it would not be accepted when typed).
    void setStoredText(const QString& name, const QString& address);
    bool holdsStoredText() const;
    const QString& problem() const { return m_problem; }

signals:
    void deleteRequested(dexaro::LinkRowView* row);
    void selectFileRequested(dexaro::LinkRowView* row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* m_name;
    QLineEdit* m_address;
    QPushButton* m_selectFile = nullptr;
    QPushButton* m_delete;
    QString m_problem;
    std::optional<std::pair<QString, QString>> m_stored;
};

} // namespace dexaro
