/* dexaro-test-FakeKeys: types key combinations into KWin through its fake
 * input protocol (org_kde_kwin_fake_input), as a keyboard would.
 *
 *   dexaro-test-FakeKeys CODE+CODE+... [...]
 *
 * Each argument is one combination of Linux input (evdev) key codes: all are
 * pressed in order, then released in reverse. Exits 0 once KWin has handled
 * every key, 1 when the protocol is missing or refused. */
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input* fake;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {}
static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "FakeKeys: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "FakeKeys: the compositor offers no fake input (version 4)\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "dexaro-test-FakeKeys", "Dexaro's tests type keys");
    for (int i = 1; i < argc; ++i) {
        unsigned codes[16];
        int count = 0;
        for (char* part = strtok(argv[i], "+"); part && count < 16; part = strtok(NULL, "+"))
            codes[count++] = (unsigned)strtoul(part, NULL, 10);
        for (int k = 0; k < count; ++k)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[k], WL_KEYBOARD_KEY_STATE_PRESSED);
        for (int k = count - 1; k >= 0; --k)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[k], WL_KEYBOARD_KEY_STATE_RELEASED);
        wl_display_roundtrip(display);
    }
    org_kde_kwin_fake_input_destroy(fake);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
