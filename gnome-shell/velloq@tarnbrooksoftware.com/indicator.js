// Velloq's menu in the top bar, which has no room for tray icons: the items
// Velloq sends, shown while it runs.
import GObject from 'gi://GObject';
import St from 'gi://St';
import * as PanelMenu from 'resource:///org/gnome/shell/ui/panelMenu.js';
import * as PopupMenu from 'resource:///org/gnome/shell/ui/popupMenu.js';

export const Indicator = GObject.registerClass(
class VelloqIndicator extends PanelMenu.Button {
    // `activated(id)` for a picked item, `opened()` as the menu opens, so
    // Velloq can bring its items up to date.
    _init(iconPath, activated, opened) {
        super._init(0.5, 'Velloq');
        this._activated = activated;
        this.add_child(new St.Icon({
            gicon: iconPath,
            style_class: 'system-status-icon',
        }));
        this.menu.connect('open-state-changed', (menu, open) => {
            if (open)
                opened();
        });
    }

    // [id, label, enabled] each; an empty label is a separator. Labels keep
    // Qt's mnemonic marks out.
    setItems(items) {
        this.menu.removeAll();
        for (const [id, label, enabled] of items) {
            if (!label) {
                this.menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
                continue;
            }
            const item = new PopupMenu.PopupMenuItem(label.replace(/&(.)/g, '$1'));
            item.setSensitive(enabled);
            item.connect('activate', () => this._activated(id));
            this.menu.addMenuItem(item);
        }
    }
});
