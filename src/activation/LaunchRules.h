#pragma once
// The small text rules of switching a workspace on: which link addresses a row
// opens, what a web address becomes before it is opened, how an application
// entry is named in messages, and the text of the "could not be opened" alert.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

namespace dexaro {

// The address part of each packed link: the elements that split at the marker
// into exactly two parts give their second part; the others are left out.
QStringList linkAddresses(const QStringList& packedLinks, const QString& marker);

// Whether the desktop opens addresses of a scheme written without "//"
// ("mailto", "tel").
using SchemeHandled = std::function<bool(const QString& scheme)>;

// What a web link's address opens, white space trimmed first. An address that
// starts with a scheme and "://", or holds "http://" or "https://" anywhere,
// is kept; so is one that starts with a scheme and ":" when schemeHandled says
// the desktop opens that scheme ("mailto:a@b.example"). Any other address gets
// "https://" in front ("localhost:8080", "example.org:8443/x"). nullopt when
// the result does not parse, is a web address without a host, or is script
// ("javascript:"): such a link can never open.
std::optional<QUrl> webAddressToOpen(const QString& address, const SchemeHandled& schemeHandled);
// The same with the desktop's own handlers.
std::optional<QUrl> webAddressToOpen(const QString& address);
// Whether the address would open on a desktop that handles every scheme: false
// for an address that can never open, whatever is installed.
bool webAddressCanOpen(const QString& address);

// The path a file link opens: "~/" at its start is the home folder.
QString fileLinkPath(const QString& address);

// An entry's name in messages: the Name of the desktop entry it points to
// (in the user's language when the entry has one), else its last path
// component without extension, percent-decoded; empty when that decoding fails.
// Reads the file: call it off the main thread.
QString appDisplayName(const QString& entry);

// "App with name X could not be opened!" / "Apps with names X,Y could not be opened!"
QString appsNotOpenedText(const QStringList& failedNames);

} // namespace dexaro
