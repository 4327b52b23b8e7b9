// The window that has the keyboard, as Velloq names applications, and
// Control-V typed into it through a keyboard of the Shell's own.
import Clutter from 'gi://Clutter';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';

// How long a paste waits for the keyboard to move from Velloq's overlay to
// another window, and how long it lets that window settle before typing.
const FOCUS_DEADLINE_MS = 500;
const FOCUS_POLL_MS = 20;
const FOCUS_SETTLE_MS = 40;
// Linux input event codes: the physical keys, whatever the layout.
const KEY_LEFTCTRL = 29;
const KEY_V = 47;

// A Flatpak's id, else the desktop entry the Shell matched the window to,
// else the Wayland app id (or X11 class).
function appIdOf(window) {
    const sandboxed = window.get_sandboxed_app_id?.();
    if (sandboxed)
        return sandboxed;
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    const id = app?.get_id() ?? '';
    if (id && !id.startsWith('window:'))
        return id.replace(/\.desktop$/, '');
    return window.get_gtk_application_id?.() || window.get_wm_class() || '';
}

export class Focus {
    // `changed(appId, pid)` whenever another window gets the keyboard.
    constructor(changed) {
        this._changed = changed;
        this._timeouts = new Set();
        this._focusChanged = global.display.connect('notify::focus-window',
            () => changed(...this.current()));
        // A keyboard of its own, made now: it also gives a seat without a
        // physical keyboard (a headless or remote session) one to focus.
        const seat = Clutter.get_default_backend().get_default_seat();
        this._keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
    }

    destroy() {
        global.display.disconnect(this._focusChanged);
        for (const id of this._timeouts)
            GLib.source_remove(id);
        this._timeouts.clear();
        this._keyboard = null;
    }

    // [appId, pid] of the focused window; ['', 0] when none has the keyboard.
    current() {
        const window = global.display.focus_window;
        if (!window)
            return ['', 0];
        return [appIdOf(window), window.get_pid()];
    }

    // Waits until a window of another process than `ownPid` has the
    // keyboard, then types Control-V there. Resolves to whether it typed.
    async paste(ownPid) {
        const start = GLib.get_monotonic_time();
        while (!this._focusIsElsewhere(ownPid)) {
            if (GLib.get_monotonic_time() - start > FOCUS_DEADLINE_MS * 1000)
                return false;
            await this._sleep(FOCUS_POLL_MS);
        }
        await this._sleep(FOCUS_SETTLE_MS);
        if (!this._keyboard || !this._focusIsElsewhere(ownPid))
            return false;
        this._type(KEY_LEFTCTRL, Clutter.KeyState.PRESSED);
        this._type(KEY_V, Clutter.KeyState.PRESSED);
        this._type(KEY_V, Clutter.KeyState.RELEASED);
        this._type(KEY_LEFTCTRL, Clutter.KeyState.RELEASED);
        return true;
    }

    _focusIsElsewhere(ownPid) {
        const [, pid] = this.current();
        return pid !== 0 && pid !== ownPid;
    }

    _type(key, state) {
        this._keyboard.notify_key(GLib.get_monotonic_time(), key, state);
    }

    _sleep(ms) {
        return new Promise(resolve => {
            const id = GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
                this._timeouts.delete(id);
                resolve();
                return GLib.SOURCE_REMOVE;
            });
            this._timeouts.add(id);
        });
    }
}
