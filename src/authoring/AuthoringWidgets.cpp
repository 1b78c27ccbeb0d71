#include "authoring/AuthoringWidgets.h"

#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"

#include "activation/LaunchRules.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/AuthoringContext.h"
#include "authoring/InstalledAppsScan.h"
#include "authoring/LinkListView.h"
#include "authoring/LinkPopover.h"
#include "authoring/NameChecks.h"
#include "authoring/WSTextField.h"
#include "model/WorkspaceNames.h"
#include "model/WorkspaceStore.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutView.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace dexaro {

QHBoxLayout* screenTitle(const QString& first, const QString& second, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    for (const QString& text : {first, second}) {
        auto* label = new QLabel(text, parent);
        QFont font = label->font();
        font.setPixelSize(26);
        font.setWeight(QFont::Black);
        label->setFont(font);
        row->addWidget(label);
    }
    row->addStretch();
    return row;
}

void fitScreenMargins(QWidget* screen) {
    constexpr int side = 36;
    const int margin = std::max(side, (screen->width() - maxContentWidth) / 2);
    if (QLayout* layout = screen->layout())
        layout->setContentsMargins(margin, 28, margin, 24);
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    return label;
}

void addFormColumn(QHBoxLayout* form, const QString& caption, QWidget* control, QWidget* buddy,
                   int stretch) {
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    QLabel* label = captionLabel(caption, control->parentWidget());
    label->setBuddy(buddy);
    column->addWidget(label);
    column->addWidget(control);
    form->addLayout(column, stretch);
}

WSTextField* makeNameField(const QString& placeholder, QWidget* parent) {
    auto* field = new WSTextField(parent);
    field->setObjectName(QStringLiteral("wsNameEnterField"));
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(QStringLiteral("Workspace name"));
    field->setMaximumWidth(440);
    field->setMinimumHeight(30);
    return field;
}

MASShortcutView* makeShortcutRecorder(const AuthoringContext& context, QWidget* parent) {
    auto* recorder = new MASShortcutView(*context.validator, *context.alerts, parent);
    recorder->setObjectName(QStringLiteral("shortcutView"));
    recorder->setViewStyle(1);
    recorder->setUserDefaults(context.userDefaults);
    recorder->setMinimumHeight(30);
    // A combination is one workspace's: the stored workspaces' shortcuts are
    // asked when one is recorded.
    recorder->setUsedBy([catalog = context.catalog, defaults = context.userDefaults](
                            const MASShortcut& shortcut, const QString& ownKey) -> QString {
        if (!catalog || !defaults)
            return {};
        for (const WSListModelPtr& ws : catalog->activation().workspaces()) {
            if (!ws || ws->wsID.isEmpty() || ws->wsID == ownKey)
                continue;
            const std::optional<QVariantMap> stored = defaults->value(ws->wsID);
            const std::optional<MASShortcut> theirs =
                stored ? MASShortcut::decode(*stored) : std::nullopt;
            if (theirs && *theirs == shortcut)
                return displayedWorkspaceName(ws->wsName);
        }
        return {};
    });
    // Dexaro's own hot keys let go while it records: pressing another
    // workspace's combination reaches the recorder, not that workspace.
    if (MASShortcutMonitor* monitor = context.monitor)
        QObject::connect(recorder, &MASShortcutView::recordingChanged, monitor,
                         [monitor](bool recording) {
                             if (recording)
                                 monitor->suspend();
                             else
                                 monitor->resume();
                         });
    return recorder;
}

std::pair<LinkPopover*, LinkPopover*> makeLinkPopovers(AppListCollectionView* picker,
                                                       QWidget* parent) {
    auto* urls = new LinkPopover(LinkKind::url, parent);
    auto* files = new LinkPopover(LinkKind::file, parent);
    QObject::connect(picker->addURLButton(), &QAbstractButton::clicked, urls,
                     [urls, picker] { urls->toggle(picker->addURLButton()); });
    QObject::connect(picker->addFileButton(), &QAbstractButton::clicked, files,
                     [files, picker] { files->toggle(picker->addFileButton()); });
    return {urls, files};
}

QPushButton* screenButton(const QString& text, const QString& accessibleDescription,
                          QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    button->setAccessibleDescription(accessibleDescription);
    button->setMinimumSize(110, 32);
    button->setAutoDefault(false);
    return button;
}

QStringList chosenApplications(const QSet<QString>& selected, const InstalledApps& scan) {
    return chosenApplications(selected, scan.apps);
}

QStringList chosenApplications(const QSet<QString>& selected, const QList<AppListModel>& offered) {
    QStringList chosen;
    for (const AppListModel& app : offered)
        if (selected.contains(app.appURL) && !chosen.contains(app.appURL))
            chosen << app.appURL;
    return chosen;
}

QList<AppListModel> keptApplications(const QStringList& stored, const InstalledApps& scan) {
    QList<AppListModel> kept;
    for (const QString& entry : stored) {
        if (entry.isEmpty() || scan.urls.contains(entry))
            continue;
        QString name = appDisplayName(entry);
        if (name.isEmpty())
            name = entry;
        const QUrl url(entry);
        if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isReadable())
            name += QStringLiteral(" (not installed)");
        kept.append({name, entry, QString::fromLatin1(placeholderAppImagePath)});
    }
    return kept;
}

QList<URLLinkModel> urlLinks(const LinkListView& list) {
    QList<URLLinkModel> links;
    for (const LinkRow& row : list.currentRows())
        links.append({row.name, row.address});
    return links;
}

QList<FileURLLinkModel> fileLinks(const LinkListView& list) {
    QList<FileURLLinkModel> links;
    for (const LinkRow& row : list.currentRows())
        links.append({row.name, row.address});
    return links;
}

std::optional<Refusal> refusalFor(const QString& name, const QString& emptyInformative,
                                  const std::function<bool()>& nameTaken, const QStringList& apps,
                                  const LinkListView& urls, const LinkListView& files) {
    if (name.isEmpty())
        return Refusal{QStringLiteral("Workspace's name is empty!"), emptyInformative};
    if (isWorkspaceNameTooLong(name))
        return Refusal{QStringLiteral("Workspace's name is too long!"),
                       QStringLiteral("Workspace with name longer than 40 characters is not "
                                      "allowed. Please, select a shorter name!")};
    if (nameTaken())
        return Refusal{QStringLiteral("Duplicated Workspace name!"),
                       QStringLiteral("Workspace with this name already exists! Please choose a "
                                      "different unique name!")};
    if (apps.isEmpty())
        return Refusal{QStringLiteral("Workspace does not contain any app!"),
                       QStringLiteral("You have not selected any app for this Workspace. Please, "
                                      "choose at least one app!")};
    QStringList rows;
    for (const LinkListView* list : {&urls, &files}) {
        const QString kind =
            list == &urls ? QStringLiteral("web link %1") : QStringLiteral("file link %1");
        for (int row : list->unstorableRows())
            rows.append(kind.arg(row + 1));
    }
    if (!rows.isEmpty())
        return Refusal{QStringLiteral("Links cannot be stored!"),
                       QStringLiteral("The name or address of %1 contains text Dexaro uses to "
                                      "separate stored links (such as \"*:///:*\" or \"@@\"). "
                                      "Please, change it.")
                           .arg(rows.join(QStringLiteral(", ")))};
    rows.clear();
    for (int row : urls.unopenableRows())
        rows.append(QStringLiteral("web link %1").arg(row + 1));
    if (!rows.isEmpty())
        return Refusal{QStringLiteral("Web link cannot be opened!"),
                       QStringLiteral("The address of %1 can never be opened. Please, correct "
                                      "it or delete the link.")
                           .arg(rows.join(QStringLiteral(", ")))};
    return std::nullopt;
}

QString quoted(const QString& name) {
    return QLatin1Char('"') + displayedWorkspaceName(name) + QLatin1Char('"');
}

QString partlyDoneText(const QString& done, const QString& name, const QStringList& notDone) {
    return QStringLiteral("Workspace with a name %1 was %2, but %3.")
        .arg(quoted(name), done, notDone.join(QStringLiteral("; ")));
}

} // namespace dexaro
