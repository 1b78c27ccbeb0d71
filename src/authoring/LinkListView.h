#pragma once
// A workspace's web links or file links while they are edited: a vertical list
// of rows (name and address, and for files a button that chooses one) in a
// scroll area. The rows are real widgets, so what the user typed lives in them
// until the screen reads currentRows(), also for rows scrolled out of view.
//
// Addresses are free text: the list adds no scheme and trims nothing. A row
// whose text cannot be stored as typed, or whose web address can never open,
// is marked as it is typed (LinkRowView::problem()).
#include "authoring/LinkRowView.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QScrollArea;
class QVBoxLayout;

namespace dexaro {

struct LinkRow {
    QString name;
    QString address;
    bool operator==(const LinkRow&) const = default;
};

class LinkListView : public QWidget {
    Q_OBJECT
public:
    // The chooser behind "Select file or app": the chosen file's URL as text
    // (percent-encoded, as QUrl::toString gives it), or empty when cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit LinkListView(LinkKind kind, QWidget* parent = nullptr);

    LinkKind kind() const { return m_kind; }
    // The text between a link's name and address when it is stored.
    const QString& marker() const;

    // An empty row on top.
    void addRow();
    // Removes the row at index; the others keep their typed text. An index out
    // of range changes nothing.
    void removeRow(int index);
    // Every row from the top, as typed.
    QList<LinkRow> currentRows() const;
    // Fills the list from a record's stored link strings (name, marker,
    // address): the text before the first marker is the name, the rest the
    // address (a string without a marker is a name); the one empty string of
    // a workspace without links gives no rows at all. A row left as it was
    // read is saved back unchanged, however it reads.
    void setFromStoredStrings(const QStringList& stored);
    void empty();
    int rowCount() const { return int(m_rows.size()); }

    // The rows whose text cannot be stored and read back as typed (the link
    // marker or the list separator in a name or an address, or formed across
    // their border, linkReadsBack); rows still as they were read are not
    // counted. Saving them would lose the link.
    QList<int> unstorableRows() const;
    // The web-link rows whose address can never open ("javascript:...", ":",
    // "http://"), except rows still as they were read; none on a file list.
    // Saving them would store a link that is then skipped.
    QList<int> unopenableRows() const;

    LinkRowView* rowView(int index) const { return m_rows.value(index); }
    QScrollArea* scrollArea() const { return m_scroll; }

    // Replaces the chooser of every file row (a modal QFileDialog by default);
    // an empty function restores the default.
    static void setFileChooser(FileChooser chooser);
    // The address a chosen file URL gives: for a local file its path, else the
    // URL percent-decoded with "file:///" replaced by "/".
    static QString addressFromChosenURL(const QString& url);

signals:
    // A row was added, removed or the list was filled or emptied.
    void rowsChanged();

private:
    LinkRowView* insertRow(int index, const LinkRow& row);
    void clearRows();
    void renumber();
    void chooseFile(LinkRowView* row);
    bool isUnstorable(const LinkRowView* row) const;
    bool isUnopenable(const LinkRowView* row) const;
    void checkRow(LinkRowView* row);

    LinkKind m_kind;
    QScrollArea* m_scroll;
    QWidget* m_content;
    QVBoxLayout* m_rowsLayout;
    QList<LinkRowView*> m_rows;
};

} // namespace dexaro
