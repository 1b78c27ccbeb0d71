#include "platform/UriSchemes.h"

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace dexaro {

bool desktopHandlesUriScheme(const QString& scheme) {
    if (scheme.isEmpty())
        return false;
    GAppInfo* info = g_app_info_get_default_for_uri_scheme(scheme.toLower().toUtf8().constData());
    if (!info)
        return false;
    g_object_unref(info);
    return true;
}

} // namespace dexaro
