// The bridge on the session bus. It answers only the process that owns
// Velloq's bus name and runs as the Shell's user, and sends its signals to
// that process alone: other clients on the bus learn nothing of the
// clipboard and cannot type.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';

export const VELLOQ_NAME = 'com.tarnbrooksoftware.Velloq';
export const BRIDGE_NAME = 'com.tarnbrooksoftware.Velloq.Shell';
const PATH = '/com/tarnbrooksoftware/Velloq/Shell';
const ERROR = `${BRIDGE_NAME}.Error`;
const VERSION = 1;

const INTERFACE = `
<node>
  <interface name="${BRIDGE_NAME}">
    <method name="Hello">
      <arg type="u" direction="out" name="version"/>
      <arg type="s" direction="out" name="shellVersion"/>
    </method>
    <method name="ClipboardTypes">
      <arg type="u" direction="out" name="serial"/>
      <arg type="as" direction="out" name="types"/>
    </method>
    <method name="ReadClipboard">
      <arg type="u" direction="in" name="serial"/>
      <arg type="s" direction="in" name="type"/>
      <arg type="h" direction="in" name="fd"/>
      <arg type="t" direction="in" name="maxBytes"/>
    </method>
    <method name="WriteClipboard">
      <arg type="s" direction="in" name="type"/>
      <arg type="ay" direction="in" name="data"/>
    </method>
    <method name="Focus">
      <arg type="s" direction="out" name="appId"/>
      <arg type="i" direction="out" name="pid"/>
    </method>
    <method name="Paste">
      <arg type="b" direction="out" name="typed"/>
    </method>
    <method name="GrabShortcut">
      <arg type="s" direction="in" name="accelerator"/>
      <arg type="u" direction="out" name="action"/>
    </method>
    <method name="ReleaseShortcut">
      <arg type="u" direction="in" name="action"/>
    </method>
    <method name="SetMenu">
      <arg type="a(ssb)" direction="in" name="items"/>
    </method>
    <signal name="ClipboardChanged">
      <arg type="u" name="serial"/>
      <arg type="as" name="types"/>
    </signal>
    <signal name="FocusChanged">
      <arg type="s" name="appId"/>
      <arg type="i" name="pid"/>
    </signal>
    <signal name="ShortcutActivated">
      <arg type="u" name="action"/>
    </signal>
    <signal name="MenuOpened"/>
    <signal name="MenuItemActivated">
      <arg type="s" name="id"/>
    </signal>
  </interface>
</node>`;

function busCall(connection, method, args, type) {
    return new Promise((resolve, reject) => {
        connection.call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            method, args, new GLib.VariantType(type), Gio.DBusCallFlags.NONE, -1, null,
            (bus, result) => {
                try {
                    resolve(bus.call_finish(result).deepUnpack()[0]);
                } catch (error) {
                    reject(error);
                }
            });
    });
}

export class Bridge {
    // `handlers`: what the methods do (see extension.js); `onVelloq(running)`
    // tells when Velloq's instance comes and goes.
    constructor(handlers, onVelloq) {
        this._handlers = handlers;
        this._onVelloq = onVelloq;
        this._connection = Gio.DBus.session;
        this._velloq = null;
        this._velloqPid = 0;
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this._methods());
        this._exported.export(this._connection, PATH);
        this._ownName = Gio.bus_own_name_on_connection(this._connection, BRIDGE_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
        this._watch = Gio.bus_watch_name_on_connection(this._connection, VELLOQ_NAME,
            Gio.BusNameWatcherFlags.NONE,
            (connection, name, owner) => this._velloqAppeared(owner).catch(logError),
            () => this._velloqGone());
    }

    destroy() {
        Gio.bus_unwatch_name(this._watch);
        Gio.bus_unown_name(this._ownName);
        this._exported.unexport();
        this._velloqGone();
    }

    get velloqPid() {
        return this._velloqPid;
    }

    // Sends `name` to Velloq's instance only, when one runs.
    emit(name, type, values) {
        if (!this._velloq)
            return;
        this._connection.emit_signal(this._velloq, PATH, BRIDGE_NAME, name,
            type ? new GLib.Variant(type, values) : null);
    }

    async _velloqAppeared(owner) {
        const uid = await busCall(this._connection, 'GetConnectionUnixUser',
            new GLib.Variant('(s)', [owner]), '(u)');
        if (uid !== new Gio.Credentials().get_unix_user())
            return;
        this._velloqPid = await busCall(this._connection, 'GetConnectionUnixProcessID',
            new GLib.Variant('(s)', [owner]), '(u)');
        this._velloq = owner;
        this._onVelloq(true);
    }

    _velloqGone() {
        if (!this._velloq)
            return;
        this._velloq = null;
        this._velloqPid = 0;
        this._onVelloq(false);
    }

    // Each method as the exported object calls it: refused unless the caller
    // is Velloq's instance, else its handler's result, or its error.
    _methods() {
        const methods = {};
        for (const [name, handler] of Object.entries(this._handlers)) {
            methods[`${name}Async`] = (parameters, invocation) => {
                if (!this._velloq || invocation.get_sender() !== this._velloq) {
                    invocation.return_dbus_error(`${ERROR}.NotVelloq`,
                        'Only the running Velloq may use this bridge');
                    return;
                }
                this._answer(invocation, handler, parameters);
            };
        }
        return methods;
    }

    async _answer(invocation, handler, parameters) {
        try {
            const result = await handler(parameters, invocation);
            invocation.return_value(result ?? null);
        } catch (error) {
            const name = error instanceof BridgeError ? error.name : 'Failed';
            invocation.return_dbus_error(`${ERROR}.${name}`, error.message ?? String(error));
        }
    }
}

// A refusal Velloq tells apart: Stale, Secret, Own, TooLarge, Taken.
export class BridgeError extends Error {
    constructor(name, message) {
        super(message);
        this.name = name;
    }
}

export {VERSION};
