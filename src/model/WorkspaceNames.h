#pragma once
// How a workspace name is compared and shown. Names that look alike are the
// same name: white space and invisible format characters (zero-width space,
// joiners, direction marks) at either end do not count, and names equal after
// Unicode normalization (NFC) are equal. A name is shown with its direction
// controls isolated, so that it cannot reorder the text around it.
#include <QString>

namespace dexaro {

// The name as it is saved and compared: trimmed of white space and format
// characters (Unicode Cf) at both ends, in NFC. Empty for a name of only those.
QString canonicalWorkspaceName(const QString& name);

bool sameWorkspaceName(const QString& a, const QString& b);

// The name as labels and messages show it: a name holding direction controls
// (embeddings, overrides, isolates) is wrapped in a first-strong isolate, with
// each control it leaves open closed inside it.
QString displayedWorkspaceName(const QString& name);

} // namespace dexaro
