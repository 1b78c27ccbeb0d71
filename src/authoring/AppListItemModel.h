#pragma once
// The application picker's grid contents: one row per application shown. The
// display and accessible texts are the application's name, so each tile is
// named after its application.
#include "model/Records.h"

#include <QAbstractListModel>
#include <QHash>

namespace dexaro {

class AppListItemModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        AppURLRole = Qt::UserRole + 1, // the desktop entry's file:// URL
        IconLocationRole,              // appImagePath
    };

    explicit AppListItemModel(QObject* parent = nullptr);

    void setApps(const QList<AppListModel>& apps); // resets the model
    const QList<AppListModel>& apps() const { return m_apps; }
    // The row showing url, -1 when it is not shown.
    int rowOf(const QString& url) const { return m_rowOfURL.value(url, -1); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<AppListModel> m_apps;
    QHash<QString, int> m_rowOfURL;
};

} // namespace dexaro
