// reporter.js: the heart of zwinkerle's GNOME Shell extension, the same for
// every shell version: it tells programs on the session bus where the
// pointer is as it moves, and nothing else. Xwayland cannot know it while
// the pointer is over Wayland windows; only the shell does.
//
// A moving pointer is reported at most once an interval, always ending
// with where it came to rest; a pointer at rest is not reported at all.

const zwinkerleBusName = 'example.quorl.Zwinkerle.Pointer';
const zwinkerleObjectPath = '/example/quorl/Zwinkerle/Pointer';
const zwinkerleInterface = `<node>
  <interface name="example.quorl.Zwinkerle.Pointer">
    <signal name="Moved">
      <arg name="x" type="i"/>
      <arg name="y" type="i"/>
    </signal>
  </interface>
</node>`;
const zwinkerleIntervalMs = 50;  // a little under the program's tick of 70 ms

// `shell` gives what differs between shell versions: GLib, Gio, the cursor
// tracker and the pointer's position as [x, y].
function makePointerReporter(shell) {
    const {GLib, Gio} = shell;
    let exported = null;
    let ownerId = 0;
    let movedId = 0;
    let timerId = 0;
    let last = null;

    // Sends where the pointer is, unless that was sent already.
    function report() {
        const [x, y] = shell.pointer();
        if (last !== null && last[0] === x && last[1] === y)
            return false;
        last = [x, y];
        exported.emit_signal('Moved', new GLib.Variant('(ii)', [x, y]));
        return true;
    }

    function moved() {
        if (timerId !== 0)
            return;  // the timer sends the latest
        report();
        timerId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, zwinkerleIntervalMs, () => {
            if (report())
                return GLib.SOURCE_CONTINUE;
            timerId = 0;
            return GLib.SOURCE_REMOVE;
        });
    }

    return {
        enable() {
            exported = Gio.DBusExportedObject.wrapJSObject(zwinkerleInterface, {});
            exported.export(Gio.DBus.session, zwinkerleObjectPath);
            ownerId = Gio.bus_own_name_on_connection(Gio.DBus.session, zwinkerleBusName,
                Gio.BusNameOwnerFlags.NONE, null, null);
            movedId = shell.cursorTracker.connect('position-invalidated', moved);
        },
        disable() {
            if (movedId !== 0)
                shell.cursorTracker.disconnect(movedId);
            if (timerId !== 0)
                GLib.source_remove(timerId);
            if (ownerId !== 0)
                Gio.bus_unown_name(ownerId);
            exported?.unexport();
            exported = null;
            movedId = timerId = ownerId = 0;
            last = null;
        },
    };
}
