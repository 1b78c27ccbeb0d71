#pragma once
// Readable GoogleTest output for Qt values: a failing EXPECT_EQ on strings,
// lists or rectangles shows their text instead of raw bytes.
#include <QDebug>
#include <QRect>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& value, std::ostream* os) {
    *os << '"' << value.toStdString() << '"';
}
inline void PrintTo(const QStringList& value, std::ostream* os) {
    *os << '[' << value.join(QStringLiteral(", ")).toStdString() << ']';
}
inline void PrintTo(const QRect& value, std::ostream* os) {
    *os << "QRect(" << value.x() << ", " << value.y() << ", " << value.width() << "x"
        << value.height() << ')';
}
inline void PrintTo(const QRectF& value, std::ostream* os) {
    *os << "QRectF(" << value.x() << ", " << value.y() << ", " << value.width() << "x"
        << value.height() << ')';
}
inline void PrintTo(const QSize& value, std::ostream* os) {
    *os << "QSize(" << value.width() << "x" << value.height() << ')';
}
inline void PrintTo(const QPoint& value, std::ostream* os) {
    *os << "QPoint(" << value.x() << ", " << value.y() << ')';
}
