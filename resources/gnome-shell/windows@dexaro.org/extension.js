// Dexaro's window service inside GNOME Shell: the managed windows with what
// identifies them, notifications when they appear, change, move or go,
// requests to set their frame, close, minimize, raise or activate them, and
// hot keys. Offered on the shell's own session bus connection at
// /org/dexaro/ShellWindows; Dexaro installs this extension and talks to it.
'use strict';

const { Gio, GLib, Meta, Shell } = imports.gi;
const Main = imports.ui.main;

// Raised with every change of the interface below; Dexaro replaces an
// extension that answers an older one.
const VERSION = 1;
const PATH = '/org/dexaro/ShellWindows';
const IFACE = `<node>
  <interface name="org.dexaro.ShellWindows">
    <method name="Version"><arg type="u" direction="out"/></method>
    <method name="List"><arg type="aa{sv}" direction="out"/></method>
    <method name="MoveResize">
      <arg type="t" direction="in"/>
      <arg type="i" direction="in"/><arg type="i" direction="in"/>
      <arg type="i" direction="in"/><arg type="i" direction="in"/>
      <arg type="b" direction="out"/>
      <arg type="i" direction="out"/><arg type="i" direction="out"/>
      <arg type="i" direction="out"/><arg type="i" direction="out"/>
    </method>
    <method name="Close"><arg type="t" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Minimize"><arg type="t" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Raise"><arg type="t" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Activate"><arg type="t" direction="in"/><arg type="b" direction="out"/></method>
    <method name="GrabAccelerator">
      <arg type="s" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="UngrabAccelerator">
      <arg type="u" direction="in"/><arg type="b" direction="out"/>
    </method>
    <signal name="WindowAppeared"><arg type="a{sv}"/></signal>
    <signal name="WindowChanged"><arg type="a{sv}"/></signal>
    <signal name="WindowMoved">
      <arg type="t"/><arg type="i"/><arg type="i"/><arg type="i"/><arg type="i"/><arg type="b"/>
    </signal>
    <signal name="WindowGone"><arg type="t"/></signal>
    <signal name="AcceleratorActivated"><arg type="u"/></signal>
  </interface>
</node>`;

// How long a frame request waits for the window to take it, and how long a
// window that has begun to answer may stay quiet before its answer is final.
const ANSWER_MS = 1500;
const SETTLE_MS = 250;
// A window that is never shown (started minimized) is announced after this.
const SHOW_FALLBACK_MS = 1000;

// Dexaro's WindowKind: normal, dialog, utility, splash, other.
function kindOf(win) {
    switch (win.get_window_type()) {
    case Meta.WindowType.NORMAL:
        return win.get_transient_for() ? 1 : 0;
    case Meta.WindowType.DIALOG:
    case Meta.WindowType.MODAL_DIALOG:
        return 1;
    case Meta.WindowType.UTILITY:
        return 2;
    case Meta.WindowType.SPLASHSCREEN:
        return 3;
    default:
        return 4;
    }
}

function describe(win) {
    const r = win.get_frame_rect();
    const parent = win.get_transient_for();
    const v = GLib.Variant;
    return {
        id: new v('t', win.get_id()),
        pid: new v('x', Math.max(win.get_pid(), 0)),
        wm_class: new v('s', win.get_wm_class() ?? ''),
        wm_class_instance: new v('s', win.get_wm_class_instance() ?? ''),
        gtk_application_id: new v('s', win.get_gtk_application_id() ?? ''),
        sandboxed_app_id: new v('s', win.get_sandboxed_app_id() ?? ''),
        startup_id: new v('s', win.get_startup_id() ?? ''),
        kind: new v('u', kindOf(win)),
        transient_for: new v('t', parent ? parent.get_id() : 0),
        minimized: new v('b', win.minimized),
        x: new v('i', r.x),
        y: new v('i', r.y),
        width: new v('i', r.width),
        height: new v('i', r.height),
    };
}

function userIsMoving() {
    try {
        return global.display.get_grab_op() !== Meta.GrabOp.NONE;
    } catch (e) {
        return false;
    }
}

class ShellWindows {
    enable() {
        this._tracked = new Map(); // id -> { win, ids: [signal ids], shown: bool, timer }
        this._grabs = new Map();   // accelerator action -> sender
        this._watches = new Map(); // sender -> bus name watch
        this._dbus = Gio.DBusExportedObject.wrapJSObject(IFACE, this);
        this._dbus.export(Gio.DBus.session, PATH);
        this._created = global.display.connect('window-created',
            (display, win) => this._track(win, false));
        this._accelerator = global.display.connect('accelerator-activated',
            (display, action) => this._activated(action));
        for (const actor of global.get_window_actors())
            this._track(actor.meta_window, true);
    }

    disable() {
        global.display.disconnect(this._created);
        global.display.disconnect(this._accelerator);
        for (const id of [...this._tracked.keys()])
            this._untrack(id);
        for (const action of this._grabs.keys())
            global.display.ungrab_accelerator(action);
        for (const watch of this._watches.values())
            Gio.bus_unwatch_name(watch);
        this._grabs.clear();
        this._watches.clear();
        this._dbus.unexport();
        this._dbus = null;
    }

    _emit(name, signature, args) {
        this._dbus?.emit_signal(name, new GLib.Variant(signature, args));
    }

    _track(win, existing) {
        if (!win || win.is_override_redirect() || this._tracked.has(win.get_id()))
            return;
        const id = win.get_id();
        const entry = { win, ids: [], shown: false, timer: 0 };
        this._tracked.set(id, entry);
        const changed = () => {
            if (entry.shown)
                this._emit('WindowChanged', '(a{sv})', [describe(win)]);
        };
        const moved = () => {
            if (!entry.shown)
                return;
            const r = win.get_frame_rect();
            this._emit('WindowMoved', '(tiiiib)', [id, r.x, r.y, r.width, r.height,
                userIsMoving()]);
        };
        for (const property of ['wm-class', 'gtk-application-id', 'minimized', 'window-type',
            'transient-for'])
            entry.ids.push(win.connect(`notify::${property}`, changed));
        entry.ids.push(win.connect('position-changed', moved));
        entry.ids.push(win.connect('size-changed', moved));
        entry.ids.push(win.connect('unmanaged', () => {
            const wasShown = entry.shown;
            this._untrack(id);
            if (wasShown)
                this._emit('WindowGone', '(t)', [id]);
        }));
        // A new window is announced once it is on screen, with the frame the
        // shell placed it at; a window that is never shown, after a while.
        const show = () => {
            if (entry.shown || !this._tracked.has(id))
                return;
            entry.shown = true;
            if (entry.timer)
                GLib.source_remove(entry.timer);
            entry.timer = 0;
            this._emit('WindowAppeared', '(a{sv})', [describe(win)]);
        };
        if (existing) {
            entry.shown = true;
            return;
        }
        entry.ids.push(win.connect('shown', show));
        entry.timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, SHOW_FALLBACK_MS, () => {
            entry.timer = 0;
            show();
            return GLib.SOURCE_REMOVE;
        });
    }

    _untrack(id) {
        const entry = this._tracked.get(id);
        if (!entry)
            return;
        this._tracked.delete(id);
        for (const signal of entry.ids)
            entry.win.disconnect(signal);
        if (entry.timer)
            GLib.source_remove(entry.timer);
    }

    _window(id) {
        const entry = this._tracked.get(Number(id));
        return entry && entry.shown ? entry.win : null;
    }

    Version() {
        return VERSION;
    }

    List() {
        const wins = [...this._tracked.values()].filter(e => e.shown).map(e => e.win);
        // Back to front from the shell; Dexaro lists front to back.
        return global.display.sort_windows_by_stacking(wins).reverse().map(describe);
    }

    MoveResizeAsync([id, x, y, width, height], invocation) {
        const win = this._window(id);
        if (!win) {
            invocation.return_value(new GLib.Variant('(biiii)', [false, 0, 0, 0, 0]));
            return;
        }
        const ids = [];
        let deadline = 0, quiet = 0, answered = false;
        const answer = found => {
            if (answered)
                return;
            answered = true;
            for (const signal of ids)
                win.disconnect(signal);
            if (deadline)
                GLib.source_remove(deadline);
            if (quiet)
                GLib.source_remove(quiet);
            const r = found ? win.get_frame_rect() : { x: 0, y: 0, width: 0, height: 0 };
            invocation.return_value(new GLib.Variant('(biiii)',
                [found, r.x, r.y, r.width, r.height]));
        };
        const matches = () => {
            const r = win.get_frame_rect();
            return r.x === x && r.y === y && r.width === width && r.height === height;
        };
        const changed = () => {
            if (matches()) {
                answer(true);
                return;
            }
            if (quiet)
                GLib.source_remove(quiet);
            quiet = GLib.timeout_add(GLib.PRIORITY_DEFAULT, SETTLE_MS, () => {
                quiet = 0;
                answer(true);
                return GLib.SOURCE_REMOVE;
            });
        };
        ids.push(win.connect('position-changed', changed));
        ids.push(win.connect('size-changed', changed));
        ids.push(win.connect('unmanaged', () => answer(false)));
        deadline = GLib.timeout_add(GLib.PRIORITY_DEFAULT, ANSWER_MS, () => {
            deadline = 0;
            answer(true);
            return GLib.SOURCE_REMOVE;
        });
        if (win.is_fullscreen())
            win.unmake_fullscreen();
        if (win.get_maximized())
            win.unmaximize(Meta.MaximizeFlags.BOTH);
        win.move_resize_frame(false, x, y, width, height);
        if (matches())
            answer(true);
    }

    Close(id) {
        const win = this._window(id);
        if (!win)
            return false;
        win.delete(global.get_current_time());
        return true;
    }

    Minimize(id) {
        const win = this._window(id);
        if (!win || !win.can_minimize())
            return false;
        win.minimize();
        return true;
    }

    Raise(id) {
        const win = this._window(id);
        if (!win)
            return false;
        win.raise();
        return true;
    }

    Activate(id) {
        const win = this._window(id);
        if (!win)
            return false;
        Main.activateWindow(win);
        return true;
    }

    // Accelerators in the shell's own notation ("<Control><Alt>0x1c" names a
    // key by its keycode). 0 when the shell or another program holds it.
    GrabAcceleratorAsync([accelerator], invocation) {
        const sender = invocation.get_sender();
        const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
        if (action !== Meta.KeyBindingAction.NONE) {
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
                Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW | Shell.ActionMode.POPUP);
            this._grabs.set(action, sender);
            // The grabs of a program that leaves the bus go with it.
            if (!this._watches.has(sender)) {
                this._watches.set(sender, Gio.bus_watch_name_on_connection(Gio.DBus.session,
                    sender, Gio.BusNameWatcherFlags.NONE, null, () => this._vanished(sender)));
            }
        }
        invocation.return_value(new GLib.Variant('(u)', [action]));
    }

    UngrabAcceleratorAsync([action], invocation) {
        let done = false;
        if (this._grabs.get(action) === invocation.get_sender()) {
            done = global.display.ungrab_accelerator(action);
            this._grabs.delete(action);
        }
        invocation.return_value(new GLib.Variant('(b)', [done]));
    }

    _vanished(sender) {
        for (const [action, owner] of [...this._grabs]) {
            if (owner === sender) {
                global.display.ungrab_accelerator(action);
                this._grabs.delete(action);
            }
        }
        const watch = this._watches.get(sender);
        if (watch)
            Gio.bus_unwatch_name(watch);
        this._watches.delete(sender);
    }

    _activated(action) {
        const sender = this._grabs.get(action);
        if (!sender || !this._dbus)
            return;
        Gio.DBus.session.emit_signal(sender, PATH, 'org.dexaro.ShellWindows',
            'AcceleratorActivated', new GLib.Variant('(u)', [action]));
    }
}

/* exported init */
function init() {
    return new ShellWindows();
}
