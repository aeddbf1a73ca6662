// extension.js: zwinkerle's pointer reporter for GNOME Shell 43 and 44,
// whose extensions are scripts with an init function. Made at build time
// from this file and reporter.js.
const {GLib, Gio, Meta} = imports.gi;

@REPORTER@

function init() {
    let reporter = null;
    return {
        enable() {
            reporter = makePointerReporter({
                GLib, Gio,
                cursorTracker: Meta.CursorTracker.get_for_display(global.display),
                pointer: () => global.get_pointer(),
            });
            reporter.enable();
        },
        disable() {
            reporter.disable();
            reporter = null;
        },
    };
}
