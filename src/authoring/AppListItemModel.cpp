#include "authoring/AppListItemModel.h"

namespace dexaro {

AppListItemModel::AppListItemModel(QObject* parent) : QAbstractListModel(parent) {}

void AppListItemModel::setApps(const QList<AppListModel>& apps) {
    beginResetModel();
    m_apps = apps;
    m_rowOfURL.clear();
    m_rowOfURL.reserve(m_apps.size());
    // The first tile of an entry listed twice is the one that answers.
    for (int row = int(m_apps.size()) - 1; row >= 0; --row)
        m_rowOfURL.insert(m_apps[row].appURL, row);
    endResetModel();
}

int AppListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_apps.size());
}

QVariant AppListItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_apps.size())
        return {};
    const AppListModel& app = m_apps[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return app.appName;
    case AppURLRole:
        return app.appURL;
    case IconLocationRole:
        return app.appImagePath;
    default:
        return {};
    }
}

Qt::ItemFlags AppListItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace dexaro
