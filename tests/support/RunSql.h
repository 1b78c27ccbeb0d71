#pragma once
// Runs SQL on a store file through a connection of its own, as another program
// (or a damaged file) would change it behind the context's back.
#include <QString>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace dexaro::test {

inline void runSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    const QString text = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text.toStdString();
}

} // namespace dexaro::test
