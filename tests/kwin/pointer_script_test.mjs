// pointer_script_test.mjs: the KWin script, run in Node against a stand-in
// for KWin's scripting: one position in flight at a time, the latest sent
// once the program answers, and the script gone once the program is.
// The real KWin runs it in the compositor tests.
// Usage: node pointer_script_test.mjs SCRIPT
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';

const template = readFileSync(process.argv[2], 'utf8');
const source = template.replaceAll('@PROGRAM@', ':1.42').replaceAll('@SECRET@', 's3cret')
    .replaceAll('@PLUGIN@', 'zwinkerle-pointer-7');

function fakeKWin() {
    const kwin = {calls: [], handlers: [], cursor: {x: 0, y: 0}};
    kwin.workspace = {
        get cursorPos() { return {...kwin.cursor}; },
        cursorPosChanged: {
            connect(handler) { kwin.handlers.push(handler); },
            disconnect(handler) { kwin.handlers = kwin.handlers.filter(h => h !== handler); },
        },
    };
    kwin.callDBus = (service, path, iface, method, ...rest) => {
        const callback = typeof rest.at(-1) === 'function' ? rest.pop() : null;
        kwin.calls.push({service, path, iface, method, args: rest, callback});
    };
    kwin.move = (x, y) => {
        kwin.cursor = {x, y};
        for (const handler of [...kwin.handlers]) handler();
    };
    kwin.moved = () => kwin.calls.filter(c => c.method === 'Moved');
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
    assert.equal(kwin.handlers.length, 0, 'listens no more');
    console.log('ok - gone with the program');
}

{  // A program that only fell behind (stopped, busy) keeps its script and gets the latest position.
    const kwin = fakeKWin();
    run(kwin);
    for (let i = 1; i <= 16; ++i) kwin.move(i, 2 * i);
    kwin.calls.at(-1).callback(true);
    assert.deepEqual(kwin.moved().at(-1).args, ['s3cret', 16, 32]);
    assert.equal(kwin.handlers.length, 1);
    console.log('ok - kept for a program that lives');
}
