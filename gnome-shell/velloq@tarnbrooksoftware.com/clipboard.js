// The clipboard selection as the Shell holds it: who took it last, what it
// offers, reading one type into a file descriptor, and taking it for one
// type of a clip.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';

// GLib 2.80 (GNOME 46) moved the Unix streams to a library of their own.
const UnixOutputStream = await import('gi://GioUnix')
    .then(module => module.default.OutputStream)
    .catch(() => Gio.UnixOutputStream);

// The type password managers add to a copy that must not be kept.
export const SECRET_TYPE = 'x-kde-passwordManagerHint';
// A read that takes longer is given up, so a source that never sends its
// data holds neither the Shell nor Velloq.
export const READ_DEADLINE_MS = 1000;
// No read moves more than this, whatever the caller asks.
export const READ_CAP_BYTES = 256 * 1024 * 1024;
// Nor does a write take more.
export const WRITE_CAP_BYTES = 256 * 1024 * 1024;

export class Clipboard {
    // `changed(serial, types)` is called for every new owner of the
    // clipboard but Velloq: this bridge's writes, and those Velloq makes
    // itself while one of its windows has the keyboard (GNOME lets only
    // the focused client take the clipboard). `isVelloqFocused()` tells.
    constructor(changed, isVelloqFocused) {
        this._selection = global.display.get_selection();
        this._serial = 0;
        this._ownSource = null;
        this._velloqSource = null;
        this._ownerChanged = this._selection.connect('owner-changed', (selection, type, source) => {
            if (type !== Meta.SelectionType.SELECTION_CLIPBOARD)
                return;
            this._serial++;
            if (source && source === this._ownSource)
                return;
            this._ownSource = null;
            this._velloqSource = source && isVelloqFocused() ? source : null;
            if (!this._velloqSource)
                changed(this._serial, this.types());
        });
    }

    destroy() {
        this._selection.disconnect(this._ownerChanged);
        this._ownSource = null;
    }

    get serial() {
        return this._serial;
    }

    types() {
        return this._selection.get_mimetypes(Meta.SelectionType.SELECTION_CLIPBOARD) ?? [];
    }

    // Why the current selection may not be read, or null when it may.
    refusal(serial) {
        if (serial !== this._serial)
            return 'Stale';
        if (this._ownSource || this._velloqSource)
            return 'Own';
        if (this.types().includes(SECRET_TYPE))
            return 'Secret';
        return null;
    }

    // Writes up to `maxBytes` + 1 bytes of `type` into `fd` (which it then
    // closes), so that the reader can tell a larger copy from one that
    // fits. Resolves when the source is done; rejects on a deadline.
    read(type, fd, maxBytes) {
        const output = new UnixOutputStream({fd, close_fd: true});
        const cancellable = new Gio.Cancellable();
        const deadline = GLib.timeout_add(GLib.PRIORITY_DEFAULT, READ_DEADLINE_MS, () => {
            cancellable.cancel();
            return GLib.SOURCE_REMOVE;
        });
        const size = Math.min(maxBytes, READ_CAP_BYTES) + 1;
        return new Promise((resolve, reject) => {
            this._selection.transfer_async(Meta.SelectionType.SELECTION_CLIPBOARD, type, size,
                output, cancellable, (selection, result) => {
                    GLib.source_remove(deadline);
                    try {
                        selection.transfer_finish(result);
                        resolve();
                    } catch (error) {
                        reject(error);
                    } finally {
                        output.close(null);
                    }
                });
        });
    }

    // One type: a source of the Shell's serves one only (its sources of
    // several types cannot be written in JavaScript), so Velloq writes
    // every type itself when it can. Throws when the data exceeds the cap.
    write(type, bytes) {
        if (!type || bytes.get_size() > WRITE_CAP_BYTES)
            throw new Error(`a clip of ${bytes.get_size()} bytes as "${type}"`);
        this._ownSource = Meta.SelectionSourceMemory.new(type, bytes);
        this._selection.set_owner(Meta.SelectionType.SELECTION_CLIPBOARD, this._ownSource);
    }
}
