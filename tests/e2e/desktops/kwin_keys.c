/* Presses keys through KWin's fake input protocol (org_kde_kwin_fake_input),
 * which a headless KWin accepts from any client when started with
 * KWIN_WAYLAND_NO_PERMISSION_CHECKS=1.
 *   kwin_keys CODE[+CODE...] ...   evdev codes; each argument is one chord,
 *                                  pressed in order and released in reverse */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>
#include "fake-input-client.h"

static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4);
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener listener = {global, global_remove};

static void key(struct wl_display *display, int code, int pressed) {
    org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)code, (uint32_t)pressed);
    wl_display_roundtrip(display);
    usleep(30000);
}

int main(int argc, char **argv) {
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kwin_keys: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "kwin_keys: the compositor offers no fake input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "kwin_keys", "end-to-end test");
    for (int i = 1; i < argc; ++i) {
        int codes[8], n = 0;
        for (char *s = strtok(argv[i], "+"); s && n < 8; s = strtok(NULL, "+")) codes[n++] = atoi(s);
        for (int k = 0; k < n; ++k) key(display, codes[k], 1);
        for (int k = n - 1; k >= 0; --k) key(display, codes[k], 0);
    }
    wl_display_disconnect(display);
    return 0;
}
