// Velloq's global shortcuts, grabbed by the Shell: GNOME lets no other
// client grab keys, and its portal binds only after a dialog.
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';

// Where a grabbed shortcut fires: not on the lock screen or in a modal
// dialog of the Shell's.
const MODES = Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW | Shell.ActionMode.POPUP;

export class Shortcuts {
    // `activated(action)` when a grabbed shortcut is pressed.
    constructor(activated) {
        this._actions = new Set();
        this._activated = global.display.connect('accelerator-activated', (display, action) => {
            if (this._actions.has(action))
                activated(action);
        });
    }

    destroy() {
        this.releaseAll();
        global.display.disconnect(this._activated);
    }

    // A GTK accelerator such as "<Control><Shift>v"; the action that fires,
    // or 0 when the Shell or another program holds the combination.
    grab(accelerator) {
        const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
        if (action === Meta.KeyBindingAction.NONE)
            return 0;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), MODES);
        this._actions.add(action);
        return action;
    }

    release(action) {
        if (!this._actions.delete(action))
            return false;
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action), Shell.ActionMode.NONE);
        return global.display.ungrab_accelerator(action);
    }

    releaseAll() {
        for (const action of [...this._actions])
            this.release(action);
    }
}
