// extension_test.mjs: the GNOME Shell extension in both its forms, run in
// Node against stand-ins for the shell: what it exports on the bus, when it
// reports the pointer, and that it leaves nothing behind when disabled.
// The real shell runs the GNOME 43 form in the compositor tests; no shell
// of 45 or later runs here, so this is as close as that form gets.
// Usage: node extension_test.mjs FOLDER, FOLDER holding the built extensions.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {join} from 'node:path';

const folder = process.argv[2];
const read = uuid => readFileSync(join(folder, uuid, 'extension.js'), 'utf8');

// A shell with a clock the test turns by hand.
function fakeShell() {
    const shell = {now: 0, pointer: [0, 0], timers: new Map(), nextId: 1, signals: [], owned: new Map(),
        exported: new Map(), handlers: new Map()};
    shell.GLib = {
        PRIORITY_DEFAULT: 0, SOURCE_REMOVE: false, SOURCE_CONTINUE: true,
        Variant: class { constructor(type, values) { this.type = type; this.values = values; } },
        timeout_add(priority, ms, callback) {
            const id = shell.nextId++;
            shell.timers.set(id, {due: shell.now + ms, ms, callback});
            return id;
        },
        source_remove(id) { assert.ok(shell.timers.delete(id), 'removes a timer that runs'); },
    };
    shell.Gio = {
        BusNameOwnerFlags: {NONE: 0},
        DBus: {session: 'session'},
        DBusExportedObject: {
            wrapJSObject(xml, object) {
                return {
                    xml,
                    export(bus, path) { shell.exported.set(path, this); },
                    unexport() { for (const [path, o] of shell.exported) if (o === this) shell.exported.delete(path); },
                    emit_signal(name, variant) { shell.signals.push([name, variant.type, ...variant.values]); },
                };
            },
        },
        bus_own_name_on_connection(bus, name) { const id = shell.nextId++; shell.owned.set(id, name); return id; },
        bus_unown_name(id) { shell.owned.delete(id); },
    };
    shell.cursorTracker = {
        connect(signal, handler) { const id = shell.nextId++; shell.handlers.set(id, [signal, handler]); return id; },
        disconnect(id) { shell.handlers.delete(id); },
    };
    shell.global = {get_pointer: () => [...shell.pointer, 0]};
    // The pointer moves: the tracker says so.
    shell.move = (x, y) => {
        shell.pointer = [x, y];
        for (const [signal, handler] of shell.handlers.values())
            if (signal === 'position-invalidated') handler();
    };
    shell.advance = ms => {
        const until = shell.now + ms;
        for (;;) {
            const due = [...shell.timers.entries()].filter(([, t]) => t.due <= until).sort((a, b) => a[1].due - b[1].due)[0];
            if (!due) break;
            const [id, timer] = due;
            shell.now = timer.due;
            if (timer.callback()) timer.due += timer.ms;
            else shell.timers.delete(id);
        }
        shell.now = until;
    };
    return shell;
}

// The module form, its imports given the stand-ins.
async function loadModuleForm(shell) {
    globalThis.zwinkerleFakes = shell;
    const source = read('zwinkerle@quorl.example')
        .replace("import GLib from 'gi://GLib';", 'const {GLib} = globalThis.zwinkerleFakes;')
        .replace("import Gio from 'gi://Gio';", 'const {Gio} = globalThis.zwinkerleFakes;')
        .replace("import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';",
            'class Extension {}')
        .replaceAll('global.', 'globalThis.zwinkerleFakes.global.');
    assert.ok(!/^import /m.test(source), 'imports only what the stand-ins give');
    shell.global.backend = {get_cursor_tracker: () => shell.cursorTracker};
    const module = await import('data:text/javascript,' + encodeURIComponent(source));
    return new module.default();
}

// The script form, with imports.gi and global as the shell has them.
function loadScriptForm(shell) {
    const source = read('zwinkerle-gnome43@quorl.example');
    const imports = {gi: {GLib: shell.GLib, Gio: shell.Gio,
        Meta: {CursorTracker: {get_for_display: () => shell.cursorTracker}}}};
    shell.global.display = {};
    return new Function('imports', 'global', source + '\nreturn init();')(imports, shell.global);
}

const forms = [['GNOME 45 and later, a module', loadModuleForm], ['GNOME 43 and 44, a script', loadScriptForm]];
for (const [name, load] of forms) {
    const shell = fakeShell();
    const extension = await load(shell);
    extension.enable();
    assert.deepEqual([...shell.owned.values()], ['example.quorl.Zwinkerle.Pointer'], name);
    const exported = shell.exported.get('/example/quorl/Zwinkerle/Pointer');
    assert.ok(exported, name + ': exports the pointer object');
    assert.equal((exported.xml.match(/<(method|property|signal) /g) ?? []).join(), '<signal ', name + ': a signal only');

    // The first move goes out at once; a burst within the interval only
    // as its last position, once the interval is over.
    shell.move(10, 20);
    assert.deepEqual(shell.signals, [['Moved', '(ii)', 10, 20]], name);
    shell.move(11, 21);
    shell.move(30, 40);
    shell.advance(49);
    assert.equal(shell.signals.length, 1, name + ': no more than once an interval');
    shell.advance(1);
    assert.deepEqual(shell.signals.at(-1), ['Moved', '(ii)', 30, 40], name + ': the latest position');
    // At rest: nothing more is sent and no timer is left running.
    shell.advance(500);
    assert.equal(shell.signals.length, 2, name + ': nothing at rest');
    assert.equal(shell.timers.size, 0, name + ': no timer at rest');
    // A wiggle within the interval that ends where it was sent is not sent again.
    shell.move(40, 40);
    shell.move(41, 40);
    shell.move(40, 40);
    shell.advance(100);
    assert.deepEqual(shell.signals.slice(2), [['Moved', '(ii)', 40, 40]], name);

    shell.move(50, 60);  // a timer runs when the extension is turned off
    extension.disable();
    assert.equal(shell.owned.size + shell.exported.size + shell.handlers.size + shell.timers.size, 0,
        name + ': leaves nothing behind');
    console.log('ok -', name);
}
