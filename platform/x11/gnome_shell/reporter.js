// reporter.js: the heart of zwinkerle's GNOME Shell extension, the same for
// every shell version: it tells each running copy of zwinkerle that asks
// where the pointer is as it moves, and nobody else. Xwayland cannot know
// it while the pointer is over Wayland windows; only the shell does.
//
// A copy asks by calling Report(secret) on the shell's own connection. The
// extension then calls that copy, and that copy alone, with
// Moved(secret, x, y): one position in flight at a time, the latest once
// the copy answers, none while the pointer rests. A copy that leaves the
// bus is forgotten. The extension owns no bus name and sends no signal, and
// while no copy runs it does not even follow the pointer.

const zwinkerlePath = '/example/quorl/Zwinkerle/Pointer';
const zwinkerleProgramInterface = 'example.quorl.Zwinkerle.Pointer';
const zwinkerleInterface = `<node>
  <interface name="example.quorl.Zwinkerle.Reporter">
    <method name="Report">
      <arg name="secret" type="s" direction="in"/>
    </method>
  </interface>
</node>`;
const zwinkerleMostCopies = 16;  // one a display is plenty
const zwinkerleLongestSecret = 64;

// `shell` gives what differs between shell versions: GLib, Gio, the cursor
// tracker and the pointer's position as [x, y].
function makePointerReporter(shell) {
    const {GLib, Gio} = shell;
    const bus = Gio.DBus.session;  // the shell's own connection
    const copies = new Map();  // unique bus name -> {secret, watchId, waiting, sent}
    let exported = null;
    let movedId = 0;

    // Sends a copy where the pointer is, unless it knows already.
    function send(name, copy) {
        const [x, y] = shell.pointer();
        if (copy.waiting || (copy.sent !== null && copy.sent[0] === x && copy.sent[1] === y))
            return;
        copy.sent = [x, y];
        copy.waiting = true;
        bus.call(name, zwinkerlePath, zwinkerleProgramInterface, 'Moved',
            new GLib.Variant('(sii)', [copy.secret, x, y]), null, Gio.DBusCallFlags.NO_AUTO_START, -1, null,
            (connection, result) => {
                copy.waiting = false;
                try {
                    connection.call_finish(result);
                } catch (e) {
                    return;  // refused, or gone: the next move tries again, if it is still here
                }
                if (copies.get(name) === copy)
                    send(name, copy);  // the pointer may have moved meanwhile
            });
    }

    function moved() {
        for (const [name, copy] of copies)
            send(name, copy);
    }

    function forget(name) {
        const copy = copies.get(name);
        if (!copy)
            return;
        Gio.bus_unwatch_name(copy.watchId);
        copies.delete(name);
        if (copies.size === 0 && movedId !== 0) {
            shell.cursorTracker.disconnect(movedId);
            movedId = 0;
        }
    }

    const service = {
        ReportAsync([secret], invocation) {
            const name = invocation.get_sender();
            if (secret.length === 0 || secret.length > zwinkerleLongestSecret ||
                (!copies.has(name) && copies.size >= zwinkerleMostCopies)) {
                invocation.return_dbus_error('org.freedesktop.DBus.Error.LimitsExceeded', 'not taken');
                return;
            }
            let copy = copies.get(name);
            if (!copy) {
                copy = {secret, waiting: false, sent: null, watchId: 0};
                copies.set(name, copy);
                copy.watchId = Gio.bus_watch_name_on_connection(bus, name, Gio.BusNameWatcherFlags.NONE,
                    null, () => forget(name));
            }
            copy.secret = secret;
            copy.sent = null;
            if (movedId === 0)
                movedId = shell.cursorTracker.connect('position-invalidated', moved);
            invocation.return_value(null);
            send(name, copy);  // where the pointer is now
        },
    };

    return {
        enable() {
            exported = Gio.DBusExportedObject.wrapJSObject(zwinkerleInterface, service);
            exported.export(bus, zwinkerlePath);
        },
        disable() {
            for (const name of [...copies.keys()])
                forget(name);
            exported?.unexport();
            exported = null;
        },
    };
}
