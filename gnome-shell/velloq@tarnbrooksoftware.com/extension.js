// Velloq's bridge to the Shell: the clipboard, the focused application, the
// paste, the global shortcut and a top-bar menu, for Velloq's running
// instance alone. It keeps no history and no settings.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as Config from 'resource:///org/gnome/shell/misc/config.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

import {Bridge, BridgeError, VERSION} from './bridge.js';
import {Clipboard} from './clipboard.js';
import {Focus} from './focus.js';
import {Indicator} from './indicator.js';
import {Shortcuts} from './shortcuts.js';

export default class VelloqExtension extends Extension {
    enable() {
        this._clipboard = new Clipboard(
            (serial, types) => this._bridge.emit('ClipboardChanged', '(uas)', [serial, types]),
            () => this._bridge.velloqPid !== 0 && this._focus.current()[1] === this._bridge.velloqPid);
        this._focus = new Focus((appId, pid) =>
            this._bridge.emit('FocusChanged', '(si)', [appId, pid]));
        this._shortcuts = new Shortcuts(action =>
            this._bridge.emit('ShortcutActivated', '(u)', [action]));
        this._bridge = new Bridge(this._handlers(), running => this._velloqRunning(running));
    }

    disable() {
        this._bridge.destroy();
        this._shortcuts.destroy();
        this._focus.destroy();
        this._clipboard.destroy();
        this._indicator?.destroy();
        this._bridge = this._shortcuts = this._focus = this._clipboard = this._indicator = null;
    }

    // The indicator and the shortcuts live as long as Velloq's instance.
    _velloqRunning(running) {
        this._shortcuts.releaseAll();
        this._indicator?.destroy();
        this._indicator = null;
        if (!running)
            return;
        const icon = Gio.FileIcon.new(this.dir.get_child('velloq-symbolic.svg'));
        this._indicator = new Indicator(icon,
            id => this._bridge.emit('MenuItemActivated', '(s)', [id]),
            () => this._bridge.emit('MenuOpened', null, null));
        Main.panel.addToStatusArea(this.uuid, this._indicator);
    }

    _handlers() {
        return {
            Hello: () => new GLib.Variant('(us)', [VERSION, Config.PACKAGE_VERSION]),
            ClipboardTypes: () =>
                new GLib.Variant('(uas)', [this._clipboard.serial, this._clipboard.types()]),
            ReadClipboard: (parameters, invocation) => this._read(parameters, invocation),
            WriteClipboard: ([type, data]) => this._clipboard.write(type, new GLib.Bytes(data)),
            Focus: () => new GLib.Variant('(si)', this._focus.current()),
            Paste: async () =>
                new GLib.Variant('(b)', [await this._focus.paste(this._bridge.velloqPid)]),
            GrabShortcut: ([accelerator]) => {
                const action = this._shortcuts.grab(accelerator);
                if (!action)
                    throw new BridgeError('Taken', `${accelerator} is taken`);
                return new GLib.Variant('(u)', [action]);
            },
            ReleaseShortcut: ([action]) => {
                this._shortcuts.release(action);
            },
            SetMenu: ([items]) => this._indicator?.setItems(items),
        };
    }

    // The secret check looks at the offered types alone: nothing of a copy
    // marked secret leaves the Shell.
    async _read([serial, type, fdIndex, maxBytes], invocation) {
        // Taken out of the message, so that the reader sees the end of the
        // data when the stream closes, not when the message is collected.
        const fds = invocation.get_message().get_unix_fd_list()?.steal_fds() ?? [];
        const fd = fds[fdIndex] ?? -1;
        fds.filter(other => other !== fd).forEach(other => GLib.close(other));
        if (fd < 0)
            throw new BridgeError('NoDescriptor', 'no file descriptor to write to');
        const refusal = this._clipboard.refusal(serial);
        if (refusal) {
            GLib.close(fd);
            throw new BridgeError(refusal, `the clipboard is not readable: ${refusal}`);
        }
        await this._clipboard.read(type, fd, Number(maxBytes));
    }
}
