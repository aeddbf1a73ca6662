// pointer.js: a KWin script that tells one running copy of zwinkerle where
// the pointer is, which Xwayland cannot know while it is over Wayland
// windows. That copy loads it, filling in its bus name, a secret of its own
// and the script's name; the script unloads itself once the copy is gone.
//
// One position at a time: the next goes out once the program has answered
// the last, so a moving pointer costs the program at most one message a
// tick, and the last position always arrives.
const program = "@PROGRAM@";
const secret = "@SECRET@";
const plugin = "@PLUGIN@";
const path = "/example/quorl/Zwinkerle/Pointer";
const iface = "example.quorl.Zwinkerle.Pointer";
const unansweredBeforeCheck = 16;  // moves seen while waiting, before asking whether the program lives

let waiting = false;
let unanswered = 0;
let sent = null;

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

workspace.cursorPosChanged.connect(moved);
send();
