#pragma once
// Child processes of a test: a test executable started with
// `--dexaro-helper=NAME` runs the helper registered under NAME instead of its
// tests, and exits with the helper's status.
//
//     DEXARO_CHILD_HELPER(SaveLoop) { ...; return 0; }
//     process.start(QCoreApplication::applicationFilePath(), {childHelperArgument("SaveLoop")});
#include <QString>
#include <functional>

namespace dexaro::test {

bool registerChildHelper(const char* name, std::function<int()> helper);
// The helper registered under name, or nothing.
std::function<int()> childHelper(const QString& name);
inline QString childHelperArgument(const char* name) {
    return QStringLiteral("--dexaro-helper=") + QLatin1String(name);
}

} // namespace dexaro::test

#define DEXARO_CHILD_HELPER(name)                                                                  \
    static int name##ChildHelper();                                                                \
    [[maybe_unused]] static const bool name##ChildHelperRegistered =                               \
        dexaro::test::registerChildHelper(#name, &name##ChildHelper);                              \
    static int name##ChildHelper()
