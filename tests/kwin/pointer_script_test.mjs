// pointer_script_test.mjs: the KWin script, run in Node against a stand-in
// for KWin's scripting (as 5.27 and 6 offer it): one position in flight at a
// time, the latest sent once the program answers, a face's first cover told
// once the stacking is whole, and the script gone once the program is.
// The real KWin runs it in the compositor tests.
// Usage: node pointer_script_test.mjs SCRIPT
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';

const template = readFileSync(process.argv[2], 'utf8');
const program = 4242;  // the program's process, whose windows are its faces
const source = template.replaceAll('@PROGRAM@', ':1.42').replaceAll('@SECRET@', 's3cret')
    .replaceAll('@PLUGIN@', 'zwinkerle-pointer-7').replaceAll('@PID@', String(program));

function signal() {
    const handlers = [];
    return {
        handlers,
        connect(handler) { handlers.push(handler); },
        disconnect(handler) { handlers.splice(handlers.indexOf(handler), 1); },
        emit(...args) { for (const handler of [...handlers]) handler(...args); },
    };
}

// `version` 5 lists windows as 5.27 does (clientList, clientAdded), 6 as
// KWin 6 does (windowList, windowAdded).
function fakeKWin(version = 6) {
    const kwin = {calls: [], cursor: {x: 0, y: 0}, windows: []};
    const added = signal();
    const cursorPosChanged = signal();
    kwin.workspace = {
        get cursorPos() { return {...kwin.cursor}; },
        cursorPosChanged,
        [version === 5 ? 'clientList' : 'windowList']: () => [...kwin.windows],
        [version === 5 ? 'clientAdded' : 'windowAdded']: added,
    };
    kwin.callDBus = (service, path, iface, method, ...rest) => {
        const callback = typeof rest.at(-1) === 'function' ? rest.pop() : null;
        kwin.calls.push({service, path, iface, method, args: rest, callback});
    };
    kwin.move = (x, y) => {
        kwin.cursor = {x, y};
        cursorPosChanged.emit();
    };
    kwin.listens = () => cursorPosChanged.handlers.length;
    kwin.moved = () => kwin.calls.filter(c => c.method === 'Moved');
    kwin.covered = () => kwin.calls.filter(c => c.method === 'Covered').map(c => c.args);
    // A window KWin takes on, on top; another program's unless told.
    kwin.open = (properties, frame) => {
        const window = {pid: 50, normalWindow: true, dialog: false, deleted: false, minimized: false, hidden: false,
            stackingOrder: kwin.windows.length, frameGeometry: frame, stackingOrderChanged: signal(), ...properties};
        kwin.windows.push(window);
        added.emit(window);
        return window;
    };
    // KWin renumbers its stacking one window at a time, telling each.
    kwin.restack = order => {
        order.forEach((window, place) => {
            if (window.stackingOrder === place) return;
            window.stackingOrder = place;
            window.stackingOrderChanged.emit();
        });
    };
    // The bus answers the questions the script asked to let KWin finish.
    kwin.settle = () => {
        for (const call of kwin.calls.filter(c => c.method === 'GetId' && !c.answered)) {
            call.answered = true;
            call.callback('bus-id');
        }
    };
    return kwin;
}

function run(kwin) {
    new Function('workspace', 'callDBus', source)(kwin.workspace, kwin.callDBus);
}

{  // Flow: the first position at once, then one at a time, the latest on each answer.
    const kwin = fakeKWin();
    kwin.cursor = {x: 5, y: 6};
    run(kwin);
    assert.deepEqual(kwin.moved().map(c => [c.service, c.path, c.iface, ...c.args]),
        [[':1.42', '/example/quorl/Zwinkerle/Pointer', 'example.quorl.Zwinkerle.Pointer', 's3cret', 5, 6]]);
    kwin.move(7, 8);
    kwin.move(9, 10);
    assert.equal(kwin.moved().length, 1, 'waits for the answer');
    kwin.moved()[0].callback();
    assert.deepEqual(kwin.moved()[1].args, ['s3cret', 9, 10], 'then sends the latest');
    kwin.moved()[1].callback();
    assert.equal(kwin.moved().length, 2, 'nothing more while the pointer rests');
    kwin.move(11, 12);
    assert.deepEqual(kwin.moved()[2].args, ['s3cret', 11, 12], 'a move after the rest goes out at once');
    console.log('ok - one position at a time, the latest last');
}

{  // A program that is gone: after many unanswered moves the script asks the bus, then unloads itself.
    const kwin = fakeKWin();
    run(kwin);
    for (let i = 1; i <= 15; ++i) kwin.move(i, i);
    assert.equal(kwin.calls.length, 1, 'no question before many moves went unanswered');
    kwin.move(16, 16);
    const question = kwin.calls.at(-1);
    assert.deepEqual([question.method, ...question.args], ['NameHasOwner', ':1.42']);
    question.callback(false);
    const unload = kwin.calls.at(-1);
    assert.deepEqual([unload.service, unload.path, unload.method, ...unload.args],
        ['org.kde.KWin', '/Scripting', 'unloadScript', 'zwinkerle-pointer-7']);
    assert.equal(kwin.listens(), 0, 'listens no more');
    console.log('ok - gone with the program');
}

{  // A program that only fell behind (stopped, busy) keeps its script and gets the latest position.
    const kwin = fakeKWin();
    run(kwin);
    for (let i = 1; i <= 16; ++i) kwin.move(i, 2 * i);
    kwin.calls.at(-1).callback(true);
    assert.deepEqual(kwin.moved().at(-1).args, ['s3cret', 16, 32]);
    assert.equal(kwin.listens(), 1);
    console.log('ok - kept for a program that lives');
}

// Covers, in both KWin's ways of listing windows: which windows over the
// face count, told once the stacking is whole, and once.
for (const version of [5, 6]) {
    const where = {x: 538, y: 300, width: 148, height: 230};
    const elsewhere = {x: 900, y: 500, width: 300, height: 200};
    const screen = {x: 0, y: 0, width: 1280, height: 800};
    const kwin = fakeKWin(version);
    const behind = kwin.open({}, screen);
    const ours = kwin.open({pid: program}, where);
    run(kwin);
    assert.deepEqual(kwin.covered(), [], `KWin ${version}: a window below covers nothing`);

    // Over the face but no ordinary window, or not shown, or elsewhere: nothing.
    kwin.open({normalWindow: false, popupMenu: true}, where);
    kwin.open({minimized: true}, screen);
    kwin.open({}, elsewhere);
    kwin.settle();
    assert.deepEqual(kwin.covered(), [], `KWin ${version}: a menu, a minimised window, a window elsewhere`);

    // The full-screen window behind rises over the face as it takes the
    // focus: the face's place changes before the others' are renumbered.
    kwin.restack([ours, ...kwin.windows.filter(w => w !== ours && w !== behind), behind]);
    assert.deepEqual(kwin.covered(), [], `KWin ${version}: not while KWin renumbers`);
    kwin.settle();
    assert.deepEqual(kwin.covered(), [['s3cret']], `KWin ${version}: once the stacking is whole`);
    assert.deepEqual(kwin.calls.filter(c => c.method === 'Covered').map(c => [c.service, c.path, c.iface]),
        [[':1.42', '/example/quorl/Zwinkerle/Pointer', 'example.quorl.Zwinkerle.Pointer']]);

    // A new window opens over it, and the stacking changes again: told once.
    kwin.open({}, where);
    kwin.restack([...kwin.windows].reverse());
    kwin.settle();
    assert.equal(kwin.covered().length, 1, `KWin ${version}: a cover is told once`);
    assert.ok(kwin.calls.filter(c => c.method === 'GetId').length <= 3,
        `KWin ${version}: one question for the bus a change, not one a window`);
    console.log(`ok - KWin ${version}: a window over the face is told`);
}

{  // Another program's window under a window is no face of ours, nor does the program cover itself;
    // a dialog over the face counts.
    const kwin = fakeKWin();
    const ours = kwin.open({pid: program}, {x: 10, y: 10, width: 148, height: 230});
    kwin.open({pid: 60}, {x: 600, y: 400, width: 100, height: 100});
    run(kwin);
    kwin.open({}, {x: 550, y: 350, width: 300, height: 300});
    kwin.open({pid: program}, {x: 0, y: 0, width: 400, height: 400});
    kwin.settle();
    assert.deepEqual(kwin.covered(), [], 'another program\'s window, or one of our own, is not told of');
    kwin.open({normalWindow: false, dialog: true}, {x: 100, y: 200, width: 300, height: 200});
    kwin.settle();
    assert.deepEqual(kwin.covered(), [['s3cret']]);
    assert.equal(ours.stackingOrderChanged.handlers.length, 1, 'follows its face');
    console.log('ok - a dialog over the face');
}
