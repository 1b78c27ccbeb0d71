#include "authoring/LinkListView.h"

#include "activation/LaunchRules.h"
#include "model/Packing.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

namespace dexaro {

namespace {
QString chooseWithDialog(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Select file or app"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Files of any type, folders only to walk through; hidden entries stay hidden.
    dialog.setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot);
    // No folders created (nor anything renamed or deleted) from here.
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QList<QUrl> chosen = dialog.selectedUrls();
    return chosen.isEmpty() ? QString() : chosen.first().toString(QUrl::FullyEncoded);
}

LinkListView::FileChooser& fileChooser() {
    static LinkListView::FileChooser chooser;
    return chooser;
}

const QString& separatorOf(LinkKind kind) {
    return kind == LinkKind::url ? separators::urls : separators::fileURLs;
}
} // namespace

LinkListView::LinkListView(LinkKind kind, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_scroll(new QScrollArea(this)), m_content(new QWidget),
      m_rowsLayout(new QVBoxLayout(m_content)) {
    setAccessibleName(kind == LinkKind::url ? QStringLiteral("Web links")
                                            : QStringLiteral("File links"));
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(8);
    m_rowsLayout->addStretch(1);

    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_content);
    // The list shows whatever it lies on (the popover's card); setWidget
    // made the rows' container fill itself.
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
}

const QString& LinkListView::marker() const {
    return m_kind == LinkKind::url ? markers::urlLink : markers::fileLink;
}

void LinkListView::addRow() {
    insertRow(0, LinkRow{});
    m_scroll->verticalScrollBar()->setValue(0);
    renumber();
    emit rowsChanged();
}

void LinkListView::removeRow(int index) {
    if (index < 0 || index >= m_rows.size())
        return;
    LinkRowView* row = m_rows.takeAt(index);
    m_rowsLayout->removeWidget(row);
    row->hide();
    // Delete may be the row's own button, still in its click.
    row->deleteLater();
    renumber();
    emit rowsChanged();
}

QList<LinkRow> LinkListView::currentRows() const {
    QList<LinkRow> rows;
    rows.reserve(m_rows.size());
    for (const LinkRowView* row : m_rows)
        rows.append({row->nameField()->text(), row->addressField()->text()});
    return rows;
}

void LinkListView::setFromStoredStrings(const QStringList& stored) {
    QList<LinkRow> rows;
    for (const QString& link : stored) {
        // A string with the marker more than once (stored before such text
        // was refused) keeps all of it: the name up to the first marker, the
        // rest as its address, so that saving writes back the same string.
        const qsizetype at = link.indexOf(marker());
        rows.append(at < 0 ? LinkRow{link, QString()}
                           : LinkRow{link.left(at), link.mid(at + marker().size())});
    }
    // A workspace without links stores one empty string.
    if (stored.size() == 1 && stored.first().isEmpty())
        rows.clear();

    clearRows();
    for (const LinkRow& row : rows) {
        LinkRowView* view = insertRow(int(m_rows.size()), row);
        view->setStoredText(row.name, row.address);
        checkRow(view);
    }
    m_scroll->verticalScrollBar()->setValue(0);
    renumber();
    emit rowsChanged();
}

void LinkListView::empty() {
    clearRows();
    emit rowsChanged();
}

bool LinkListView::isUnstorable(const LinkRowView* row) const {
    if (row->holdsStoredText())
        return false; // written back exactly as it was read
    return !linkReadsBack(row->nameField()->text(), row->addressField()->text(), marker(),
                          separatorOf(m_kind));
}

bool LinkListView::isUnopenable(const LinkRowView* row) const {
    const QString address = row->addressField()->text();
    return m_kind == LinkKind::url && !address.trimmed().isEmpty() && !webAddressCanOpen(address);
}

QList<int> LinkListView::unstorableRows() const {
    QList<int> rows;
    for (int i = 0; i < m_rows.size(); ++i)
        if (isUnstorable(m_rows[i]))
            rows.append(i);
    return rows;
}

QList<int> LinkListView::unopenableRows() const {
    QList<int> rows;
    // A row stored so by an older Dexaro shows its mark but is saved back.
    for (int i = 0; i < m_rows.size(); ++i)
        if (isUnopenable(m_rows[i]) && !m_rows[i]->holdsStoredText())
            rows.append(i);
    return rows;
}

void LinkListView::checkRow(LinkRowView* row) {
    if (isUnstorable(row))
        row->setProblem(QStringLiteral("The name or address contains text Dexaro uses to "
                                       "separate stored links."));
    else if (isUnopenable(row))
        row->setProblem(QStringLiteral("This address can never be opened."));
    else
        row->setProblem(QString());
}

void LinkListView::setFileChooser(FileChooser chooser) {
    fileChooser() = std::move(chooser);
}

QString LinkListView::addressFromChosenURL(const QString& url) {
    const QUrl chosen(url);
    if (chosen.isLocalFile())
        return chosen.toLocalFile();
    QString address = QUrl::fromPercentEncoding(url.toUtf8());
    return address.replace(QLatin1String("file:///"), QLatin1String("/"));
}

LinkRowView* LinkListView::insertRow(int index, const LinkRow& link) {
    auto* row = new LinkRowView(m_kind, m_content);
    row->nameField()->setText(link.name);
    row->addressField()->setText(link.address);
    m_rows.insert(index, row);
    m_rowsLayout->insertWidget(index, row, 0, Qt::AlignHCenter);
    connect(row, &LinkRowView::deleteRequested, this,
            [this](LinkRowView* which) { removeRow(int(m_rows.indexOf(which))); });
    connect(row, &LinkRowView::selectFileRequested, this, &LinkListView::chooseFile);
    for (QLineEdit* field : {row->nameField(), row->addressField()})
        connect(field, &QLineEdit::textChanged, row, [this, row] { checkRow(row); });
    checkRow(row);
    return row;
}

void LinkListView::clearRows() {
    for (LinkRowView* row : std::as_const(m_rows)) {
        m_rowsLayout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    m_rows.clear();
}

void LinkListView::renumber() {
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i]->setNumber(i + 1);
}

void LinkListView::chooseFile(LinkRowView* row) {
    const QPointer<LinkRowView> guard(row);
    const FileChooser& chooser = fileChooser();
    const QString url = chooser ? chooser(window()) : chooseWithDialog(window());
    // The row may have gone while the dialog was open.
    if (url.isEmpty() || !guard || !m_rows.contains(row))
        return;
    row->addressField()->setText(addressFromChosenURL(url));
}

} // namespace dexaro
