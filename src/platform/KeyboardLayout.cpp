#include "platform/KeyboardLayout.h"

#include <atomic>

namespace dexaro {
namespace {

class NoKeyboardLayout final : public KeyboardLayout {
public:
    std::optional<QString> keyText(quint32) override { return std::nullopt; }
};

std::atomic<KeyboardLayout*> g_current{nullptr};

} // namespace

KeyboardLayout& KeyboardLayout::current() {
    static NoKeyboardLayout none;
    KeyboardLayout* layout = g_current.load();
    return layout ? *layout : none;
}

void KeyboardLayout::setCurrent(KeyboardLayout* layout) {
    g_current.store(layout);
}

} // namespace dexaro
