// pointer.js: a KWin script that tells one running copy of zwinkerle where
// the pointer is, which Xwayland cannot know while it is over Wayland
// windows, and when a window comes to stand over one of its faces, which X
// cannot see either. That copy loads it, filling in its bus name, a secret
// of its own, the script's name and its process, whose windows are its
// faces; the script unloads itself once the copy is gone.
//
// One position at a time: the next goes out once the program has answered
// the last, so a moving pointer costs the program at most one message a
// tick, and the last position always arrives. Covers are looked for as the
// stacking changes, never as windows merely draw, and the first is told
// once: the faces then keep themselves above.
const program = "@PROGRAM@";
const secret = "@SECRET@";
const plugin = "@PLUGIN@";
const pid = @PID@;  // NOTE: KWin 6 shows scripts no X window ids, but each window's process
const path = "/example/quorl/Zwinkerle/Pointer";
const iface = "example.quorl.Zwinkerle.Pointer";
const unansweredBeforeCheck = 16;  // moves seen while waiting, before asking whether the program lives

let waiting = false;
let unanswered = 0;
let sent = null;
let gone = false;
let looking = false;  // for covers, once the stacking is whole
let told = false;  // the program knows of a cover

function send() {
    const at = workspace.cursorPos;
    sent = {x: at.x, y: at.y};
    waiting = true;
    unanswered = 0;
    callDBus(program, path, iface, "Moved", secret, at.x, at.y, answered);
}

function answered() {
    waiting = false;
    const at = workspace.cursorPos;
    if (at.x !== sent.x || at.y !== sent.y) send();
}

// NOTE: KWin calls back only on success. A program that is gone answers
// nothing, nor does one that is stopped; the bus tells them apart.
function checkProgram() {
    callDBus("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner", program,
             function (alive) {
                 if (alive) {
                     send();
                     return;
                 }
                 gone = true;
                 workspace.cursorPosChanged.disconnect(moved);
                 callDBus("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", plugin);
             });
}

function moved() {
    if (!waiting) {
        send();
    } else if (++unanswered % unansweredBeforeCheck === 0) {
        checkProgram();
    }
}

// KWin 6 lists its windows with windowList, 5.27 with clientList; both
// give each its place in the stacking order.
function windows() {
    return workspace.windowList ? workspace.windowList() : workspace.clientList();
}

function overlap(a, b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Whether `window` shows over part of `face`: another program's ordinary
// window the user sees, above the face in KWin's stacking order. NOTE:
// menus, tooltips and notifications belong above a face.
function covers(window, face) {
    return window.pid !== pid && window.stackingOrder > face.stackingOrder && (window.normalWindow || window.dialog) &&
           !window.deleted && !window.minimized && !window.hidden && overlap(window.frameGeometry, face.frameGeometry);
}

function lookForCovers() {
    looking = false;
    if (gone || told) return;
    const all = windows();
    if (!all.some(face => face.pid === pid && all.some(window => covers(window, face)))) return;
    told = true;
    callDBus(program, path, iface, "Covered", secret);
}

// A window KWin takes on may open over a face, and a face's place in the
// stacking order changes as others rise over it. NOTE: KWin renumbers the
// places one window after another, telling each as it goes; the order is
// whole again once KWin is back in its event loop, where the bus's answer
// to a question waits.
function stackingChanged() {
    if (looking || gone || told) return;
    looking = true;
    callDBus("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId", lookForCovers);
}

function follow(window) {
    if (window.pid === pid) window.stackingOrderChanged.connect(stackingChanged);
}

(workspace.windowAdded || workspace.clientAdded).connect(window => {
    follow(window);
    stackingChanged();
});
windows().forEach(follow);
lookForCovers();
workspace.cursorPosChanged.connect(moved);
send();
