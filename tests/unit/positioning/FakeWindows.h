#pragma once
// A window backend with one application and at most one window, whose window
// manager may adjust what is asked of it. Counts the calls.
#include "platform/WindowAccess.h"

namespace dexaro::test {

class FakeWindows : public AccessibilityBackend {
public:
    static constexpr qint64 appPid = 4242;

    bool trusted = true;
    bool running = true;
    int windowAppearsOnRead = 1; // the n-th windows read is the first with a window
    QPointF position{10, 10};
    QSizeF size{300, 200};
    // Like a panel of 30 px at the top and a terminal sizing in 6x13 cells.
    bool wmAdjusts = false;
    AXError positionWriteError = AXError::success;

    int calls = 0;
    int windowReads = 0;
    int positionWrites = 0;
    int sizeWrites = 0;

    bool isProcessTrusted(bool) override { return trusted; }
    bool isProcessRunning(qint64 pid) override { return running && pid == appPid; }

    AXError copyAttributeValue(const ElementRef& element, const QString& name,
                               AXValue* value) override {
        ++calls;
        if (element.kind == ElementRef::Kind::application) {
            if (name != QLatin1String("AXWindows"))
                return AXError::attributeUnsupported;
            if (!trusted)
                return AXError::apiDisabled;
            QList<ElementRef> windows;
            if (++windowReads >= windowAppearsOnRead)
                windows.append(ElementRef{ElementRef::Kind::window, -1, {}, 7});
            *value = windows;
        } else if (name == QLatin1String("AXPosition")) {
            *value = position;
        } else if (name == QLatin1String("AXSize")) {
            *value = size;
        } else if (name == QLatin1String("AXRole")) {
            *value = QVariant(QStringLiteral("AXWindow"));
        } else {
            return AXError::attributeUnsupported;
        }
        return AXError::success;
    }

    AXError setAttributeValue(const ElementRef& element, const QString& name,
                              const AXValue& value) override {
        ++calls;
        if (element.kind == ElementRef::Kind::window && name == QLatin1String("AXPosition")) {
            ++positionWrites;
            const QPointF p = std::get<QPointF>(value);
            if (positionWriteError == AXError::success)
                position = wmAdjusts ? QPointF(p.x(), std::max(p.y(), 30.0)) : p;
            return positionWriteError;
        }
        if (element.kind == ElementRef::Kind::window && name == QLatin1String("AXSize")) {
            ++sizeWrites;
            const QSizeF s = std::get<QSizeF>(value);
            size = wmAdjusts ? QSizeF(int(s.width()) / 6 * 6, int(s.height()) / 13 * 13) : s;
            return AXError::success;
        }
        return AXError::attributeUnsupported;
    }
};

} // namespace dexaro::test
