#include "platform/WindowAccess.h"

namespace dexaro {

QString attributeName(Attribute attribute) {
    switch (attribute) {
    case Attribute::position:
        return QStringLiteral("AXPosition");
    case Attribute::size:
        return QStringLiteral("AXSize");
    case Attribute::windows:
        return QStringLiteral("AXWindows");
    case Attribute::role:
        return QStringLiteral("AXRole");
    }
    return {};
}

UIElement::UIElement(ElementRef element, AccessibilityBackend& backend)
    : m_element(std::move(element)), m_backend(&backend) {}

bool UIElement::checkAccessibilityTrust(bool prompt, AccessibilityBackend& backend) {
    return backend.isProcessTrusted(prompt);
}

AXValue UIElement::readRaw(Attribute name) const {
    AXValue value;
    const AXError result = m_backend->copyAttributeValue(m_element, attributeName(name), &value);
    if (result == AXError::noValue || result == AXError::attributeUnsupported)
        return {};
    if (result != AXError::success)
        throw AXException(result);
    return value;
}

void UIElement::writeAttribute(Attribute name, const AXValue& value) const {
    const AXError result = m_backend->setAttributeValue(m_element, attributeName(name), value);
    if (result != AXError::success)
        throw AXException(result);
}

std::optional<Application> Application::make(qint64 pid, const QString& wmClass,
                                             AccessibilityBackend& access) {
    if (pid < 0 && wmClass.isEmpty())
        return std::nullopt;
    if (pid >= 0 && !access.isProcessRunning(pid))
        return std::nullopt;
    ElementRef ref;
    ref.kind = ElementRef::Kind::application;
    ref.pid = pid;
    ref.wmClass = wmClass;
    return Application(ref, access);
}

std::optional<QList<UIElement>> Application::windowList() const {
    return readAttribute<QList<UIElement>>(Attribute::windows);
}

} // namespace dexaro
