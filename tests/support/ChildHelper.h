#pragma once
// Child processes of a test: a test executable started with
// `--dexaro-helper=NAME` runs the helper registered under NAME instead of its
// tests, and exits with the helper's status.
//
//     DEXARO_CHILD_HELPER(SaveLoop) { ...; return 0; }
//     process.start(QCoreApplication::applicationFilePath(), {childHelperArgument("SaveLoop")});
#include <QHash>
#include <QString>

namespace dexaro::test {

inline QHash<QString, int (*)()>& childHelpers() {
    static QHash<QString, int (*)()> helpers;
    return helpers;
}
inline QString childHelperArgument(const char* name) {
    return QStringLiteral("--dexaro-helper=") + QLatin1String(name);
}

} // namespace dexaro::test

#define DEXARO_CHILD_HELPER(name)                                                                  \
    static int name##ChildHelper();                                                                \
    [[maybe_unused]] static const bool name##ChildHelperRegistered =                               \
        (dexaro::test::childHelpers().insert(QStringLiteral(#name), &name##ChildHelper), true);    \
    static int name##ChildHelper()
