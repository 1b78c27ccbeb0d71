#pragma once
// Access to other applications' windows: an element layer in the manner of an
// accessibility interface. An application element stands for one process (and,
// for applications started over D-Bus, the windows of a WM_CLASS); its windows
// are its managed top-level windows, front to back. A window's position and size
// are those of its visible frame, in root coordinates (origin at the top-left of
// the screen, y downwards).
//
// Every failure is thrown as an AXException carrying an AXError code; reading a
// value that is absent or unsupported gives nothing instead.
//
// All calls are synchronous, hold no shared state of the caller and may be made
// from any thread. Writes return once the window manager has answered them (or
// after a short timeout), so a read right after a write sees the result.
#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <exception>
#include <optional>
#include <type_traits>
#include <variant>

namespace dexaro {

// The error codes of the accessibility interface, with their numeric values.
enum class AXError : int32_t {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidUIElement = -25202,
    invalidUIElementObserver = -25203,
    cannotComplete = -25204,
    attributeUnsupported = -25205,
    actionUnsupported = -25206,
    notificationUnsupported = -25207,
    notImplemented = -25208,
    notificationAlreadyRegistered = -25209,
    notificationNotRegistered = -25210,
    apiDisabled = -25211,
    noValue = -25212,
    parameterizedAttributeUnsupported = -25213,
    notEnoughPrecision = -25214,
};

class AXException : public std::exception {
public:
    explicit AXException(AXError code) : m_code(code) {}
    AXError code() const { return m_code; }
    const char* what() const noexcept override { return "accessibility call failed"; }

private:
    AXError m_code;
};

// Attribute names: "AX" followed by the case name, first letter upper case.
enum class Attribute { position, size, windows, role };
QString attributeName(Attribute attribute); // "AXPosition", "AXSize", ...

struct AXRange {
    qint64 location = 0;
    qint64 length = 0;
    bool operator==(const AXRange&) const = default;
};

// What the platform hands out for an element.
struct ElementRef {
    enum class Kind { none, application, window };
    Kind kind = Kind::none;
    qint64 pid = -1;    // application: the process
    QString wmClass;    // application: windows of this WM_CLASS belong to it too
    quint32 window = 0; // window: the client window id
    bool operator==(const ElementRef&) const = default;
};

// Value kinds exchanged with the platform. The platform value type constants
// are point 1, size 2, rectangle 3, range 4.
using AXValue = std::variant<std::monostate, QPointF, QSizeF, QRectF, AXRange, ElementRef,
                             QList<ElementRef>, QVariant>;

// The platform seam. The system one talks to the X server; tests may pass
// their own to the classes below.
class AccessibilityBackend {
public:
    virtual ~AccessibilityBackend() = default;

    // Whether this process can read and move other applications' windows (an
    // X11 display with an EWMH window manager). With prompt, a refusal is
    // explained to the user once.
    virtual bool isProcessTrusted(bool prompt) = 0;
    virtual bool isProcessRunning(qint64 pid) = 0;
    // success, noValue, attributeUnsupported or an error; value filled on success.
    virtual AXError copyAttributeValue(const ElementRef& element, const QString& name,
                                       AXValue* value) = 0;
    virtual AXError setAttributeValue(const ElementRef& element, const QString& name,
                                      const AXValue& value) = 0;

    // X round trips waited for so far (for benchmarks).
    virtual quint64 roundTrips() const { return 0; }
};

class UIElement {
public:
    UIElement(ElementRef element, AccessibilityBackend& backend);

    const ElementRef& element() const { return m_element; }
    AccessibilityBackend& backend() const { return *m_backend; }
    // Seconds; 0 = the platform's default. Every element starts with 0.
    float messagingTimeout = 0;

    // Asks whether this process may use the interface; with prompt the user is
    // told why not when it may not.
    static bool checkAccessibilityTrust(bool prompt, AccessibilityBackend& backend);

    // The value of the requested kind (QPointF, QSizeF, QRectF, AXRange,
    // UIElement, QList<UIElement>, QVariant); nothing when the value is absent,
    // unsupported or of another kind. Throws AXException on any other failure.
    template <class T> std::optional<T> readAttribute(Attribute name) const;
    // Throws AXException when the platform refuses.
    void writeAttribute(Attribute name, const AXValue& value) const;
    void writeAttribute(Attribute name, const UIElement& value) const {
        writeAttribute(name, AXValue(value.m_element));
    }

    bool operator==(const UIElement& other) const { return m_element == other.m_element; }

protected:
    AXValue readRaw(Attribute name) const;

private:
    ElementRef m_element;
    AccessibilityBackend* m_backend;
};

class Application : public UIElement {
public:
    // Nothing when the process has ended or pid is negative (and no WM_CLASS is
    // given for an application started without a process of its own).
    static std::optional<Application> make(qint64 pid, const QString& wmClass,
                                           AccessibilityBackend& backend);

    // Top-level windows, front to back; nothing when the attribute has no value.
    std::optional<QList<UIElement>> windowList() const;

private:
    using UIElement::UIElement;
};

template <class T> std::optional<T> UIElement::readAttribute(Attribute name) const {
    const AXValue raw = readRaw(name);
    if constexpr (std::is_same_v<T, UIElement>) {
        if (const auto* ref = std::get_if<ElementRef>(&raw))
            return UIElement(*ref, *m_backend);
        return std::nullopt;
    } else if constexpr (std::is_same_v<T, QList<UIElement>>) {
        if (const auto* refs = std::get_if<QList<ElementRef>>(&raw)) {
            QList<UIElement> elements;
            elements.reserve(refs->size());
            for (const ElementRef& ref : *refs)
                elements.append(UIElement(ref, *m_backend));
            return elements;
        }
        return std::nullopt;
    } else {
        if (const auto* value = std::get_if<T>(&raw))
            return *value;
        return std::nullopt;
    }
}

} // namespace dexaro
