#include "model/Identifier.h"

#include <chrono>

namespace dexaro {

int64_t stringHash(const QString& text) {
    uint64_t hash = 14695981039346656037ull;
    const QByteArray bytes = text.toUtf8();
    for (char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return static_cast<int64_t>(hash);
}

QString timeText(double secondsSinceEpoch) {
    return QString::number(secondsSinceEpoch, 'f', 6);
}

QString makeIdentifier(const QString& name, double secondsSinceEpoch) {
    return QString::number(stringHash(name + timeText(secondsSinceEpoch)));
}

QString makeIdentifier(const QString& name) {
    using namespace std::chrono;
    const auto now = duration_cast<microseconds>(system_clock::now().time_since_epoch());
    return makeIdentifier(name, double(now.count()) / 1e6);
}

} // namespace dexaro
