// extension_test.mjs: the GNOME Shell extension in both its forms, run in
// Node against stand-ins for the shell and its bus connection: what it
// offers on the bus, whom it tells where the pointer is and when, and that
// it leaves nothing behind when turned off. The real shell runs the form
// for its version in the compositor tests.
// Usage: node extension_test.mjs FOLDER, FOLDER holding the built extensions.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {join} from 'node:path';

const folder = process.argv[2];
const read = uuid => readFileSync(join(folder, uuid, 'extension.js'), 'utf8');
const kPath = '/example/quorl/Zwinkerle/Pointer';

// A shell whose bus connection records what the extension sends; the
// stand-ins offer no signals and no names to own, so using them fails.
function fakeShell() {
    const shell = {pointer: [0, 0], calls: [], exported: new Map(), handlers: new Map(), watches: new Map(),
        nextId: 1};
    shell.GLib = {Variant: class { constructor(type, values) { this.type = type; this.values = values; } }};
    const session = {
        call(name, path, iface, method, parameters, replyType, flags, timeout, cancellable, callback) {
            shell.calls.push({name, path, iface, method, values: parameters.values, callback});
        },
    };
    shell.Gio = {
        DBus: {session},
        DBusCallFlags: {NO_AUTO_START: 1},
        BusNameWatcherFlags: {NONE: 0},
        DBusExportedObject: {
            wrapJSObject(xml, impl) {
                return {
                    xml, impl,
                    export(bus, path) { assert.equal(bus, session); shell.exported.set(path, this); },
                    unexport() { for (const [path, o] of shell.exported) if (o === this) shell.exported.delete(path); },
                };
            },
        },
        bus_watch_name_on_connection(bus, name, flags, appeared, vanished) {
            const id = shell.nextId++;
            shell.watches.set(id, {name, vanished});
            return id;
        },
        bus_unwatch_name(id) { assert.ok(shell.watches.delete(id), 'unwatches a watch it made'); },
    };
    shell.cursorTracker = {
        connect(signal, handler) { const id = shell.nextId++; shell.handlers.set(id, [signal, handler]); return id; },
        disconnect(id) { assert.ok(shell.handlers.delete(id)); },
    };
    shell.global = {get_pointer: () => [...shell.pointer, 0]};
    shell.move = (x, y) => {
        shell.pointer = [x, y];
        for (const [signal, handler] of [...shell.handlers.values()])
            if (signal === 'position-invalidated') handler();
    };
    // A program on the bus calls Report(secret), as GJS hands it over; the
    // answer, or the error's name.
    shell.report = (sender, secret) => {
        const object = shell.exported.get(kPath);
        assert.ok(object && object.xml.includes('<method name="Report">'), 'offers Report');
        let answer = null;
        object.impl.ReportAsync([secret], {
            get_sender: () => sender,
            return_value: () => { answer = 'ok'; },
            return_dbus_error: name => { answer = name; },
        });
        return answer;
    };
    // The copy answers its oldest open call, or refuses it.
    shell.answer = (name, refuse = false) => {
        const call = shell.calls.find(c => c.name === name && !c.answered);
        call.answered = true;
        call.callback({call_finish() { if (refuse) throw new Error('AccessDenied'); }}, {});
    };
    shell.leaves = name => {
        for (const watch of [...shell.watches.values()]) if (watch.name === name) watch.vanished();
    };
    shell.positions = name => shell.calls.filter(c => c.name === name).map(c => c.values);
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
    const exported = shell.exported.get(kPath);
    assert.ok(exported, name + ': offers an object on the shell\'s connection');
    assert.equal((exported.xml.match(/<(method|property|signal) /g) ?? []).join(), '<method ',
        name + ': one method, no signal, no property');

    // No copy asked: nothing is sent, and the pointer is not even followed.
    shell.move(10, 20);
    assert.equal(shell.calls.length + shell.handlers.size, 0, name + ': nothing while no copy runs');

    // A copy asks: where the pointer is, at once, to that copy alone.
    assert.equal(shell.report(':1.10', 'first'), 'ok', name);
    assert.deepEqual(shell.calls.map(c => [c.name, c.path, c.iface, c.method, ...c.values]),
        [[':1.10', kPath, 'example.quorl.Zwinkerle.Pointer', 'Moved', 'first', 10, 20]], name);
    // One in flight: the moves meanwhile go out as the latest, once answered.
    shell.move(11, 21);
    shell.move(30, 40);
    assert.equal(shell.calls.length, 1, name + ': one position at a time');
    shell.answer(':1.10');
    assert.deepEqual(shell.positions(':1.10').at(-1), ['first', 30, 40], name + ': then the latest');
    shell.answer(':1.10');
    assert.equal(shell.calls.length, 2, name + ': nothing at rest');

    // A second copy, on another display, with its own secret; each gets its own.
    assert.equal(shell.report(':1.11', 'second'), 'ok', name);
    shell.answer(':1.11');
    shell.move(50, 60);
    assert.deepEqual(shell.positions(':1.10').at(-1), ['first', 50, 60], name);
    assert.deepEqual(shell.positions(':1.11').map(v => v[0]), ['second', 'second'], name);

    // A refused position is not sent again until the pointer moves.
    shell.answer(':1.10', true);
    assert.equal(shell.positions(':1.10').length, 3, name + ': no retry on a refusal');

    // The first copy leaves the bus: forgotten; once the last is gone, the
    // pointer is no longer followed.
    shell.leaves(':1.10');
    shell.answer(':1.11');
    shell.move(70, 80);
    assert.equal(shell.positions(':1.10').length, 3, name + ': nothing for a copy that left');
    assert.deepEqual(shell.positions(':1.11').at(-1), ['second', 70, 80], name);
    shell.leaves(':1.11');
    shell.move(90, 90);
    assert.equal(shell.handlers.size + shell.watches.size, 0, name + ': nothing followed once all left');

    // What is not taken: no secret, a long one, a seventeenth copy.
    assert.equal(shell.report(':1.20', ''), 'org.freedesktop.DBus.Error.LimitsExceeded', name);
    assert.equal(shell.report(':1.20', 'x'.repeat(65)), 'org.freedesktop.DBus.Error.LimitsExceeded', name);
    for (let copy = 0; copy < 16; ++copy) assert.equal(shell.report(`:1.${100 + copy}`, 's'), 'ok', name);
    assert.equal(shell.report(':1.200', 's'), 'org.freedesktop.DBus.Error.LimitsExceeded', name);

    // Turned off with copies waiting for answers: nothing is left, and a
    // late answer sends nothing.
    const sent = shell.calls.length;
    extension.disable();
    shell.answer(':1.100');
    shell.move(1, 2);
    assert.equal(shell.calls.length, sent, name + ': nothing sent once off');
    assert.equal(shell.exported.size + shell.handlers.size + shell.watches.size, 0, name + ': leaves nothing behind');
    console.log('ok -', name);
}
