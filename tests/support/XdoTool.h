#pragma once
// Real input for the X11 tests: xdotool sends keys and pointer events through
// XTEST, so they reach the X server as a user's would. Each call waits for
// xdotool to finish (see runProgram) and fails the test when xdotool fails.
#include "support/RunProgram.h"

#include <QPoint>

namespace dexaro::test {

class XdoTool {
public:
    static bool run(const QStringList& arguments) {
        return runProgram(QStringLiteral("xdotool"), arguments);
    }
    // Key names as xdotool takes them: "ctrl+w", "Escape", "Up Return".
    static bool key(const QString& keys) {
        return run(QStringList{QStringLiteral("key")} + keys.split(u' ', Qt::SkipEmptyParts));
    }
    // Moves the pointer there and clicks the button (1 left, 2 middle, 3 right, 4/5 wheel).
    static bool click(const QPoint& at, int button = 1) {
        return run({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                    QStringLiteral("click"), QString::number(button)});
    }
};

} // namespace dexaro::test
