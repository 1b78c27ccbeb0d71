#pragma once
// The small text rules of switching a workspace on: which link addresses a row
// opens, what a web address becomes before it is opened, how an application
// entry is named in messages, and the text of the "could not be opened" alert.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace dexaro {

// The address part of each packed link: the elements that split at the marker
// into exactly two parts give their second part; the others are left out.
QStringList linkAddresses(const QStringList& packedLinks, const QString& marker);

// "https://" goes in front unless the address contains "http://" or
// "https://" anywhere or starts with another scheme and "://". nullopt when
// the result does not parse, or is a web address without a host (an empty
// link): such a link is skipped.
std::optional<QUrl> webAddressToOpen(const QString& address);

// An entry's name in messages: the Name of the desktop entry it points to
// (in the user's language when the entry has one), else its last path
// component without extension, percent-decoded; empty when that decoding fails.
// Reads the file: call it off the main thread.
QString appDisplayName(const QString& entry);

// "App with name X could not be opened!" / "Apps with names X,Y could not be opened!"
QString appsNotOpenedText(const QStringList& failedNames);

} // namespace dexaro
