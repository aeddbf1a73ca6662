// extension.js: zwinkerle's pointer reporter for GNOME Shell 45 and later,
// whose extensions are ES modules. Made at build time from this file and
// reporter.js.
import GLib from 'gi://GLib';
import Gio from 'gi://Gio';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

@REPORTER@

export default class ZwinkerlePointerExtension extends Extension {
    enable() {
        this._reporter = makePointerReporter({
            GLib, Gio,
            cursorTracker: global.backend.get_cursor_tracker(),
            pointer: () => global.get_pointer(),
        });
        this._reporter.enable();
    }

    disable() {
        this._reporter.disable();
        this._reporter = null;
    }
}
