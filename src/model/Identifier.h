#pragma once
// Workspace identifiers and the stable string hash behind them. The hash must
// never change: stored identifiers and placement keys depend on it.
#include <QString>
#include <cstdint>

namespace dexaro {

// 64-bit FNV-1a over the UTF-8 bytes, read as a signed integer.
int64_t stringHash(const QString& text);

// Seconds since 1970 with a fraction, e.g. "1765049940.123456".
QString timeText(double secondsSinceEpoch);

// The signed decimal hash of name + time text.
QString makeIdentifier(const QString& name, double secondsSinceEpoch);
QString makeIdentifier(const QString& name); // at the current time

} // namespace dexaro
