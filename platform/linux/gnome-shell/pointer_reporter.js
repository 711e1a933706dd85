// Tells lookout where the pointer is, and no one else: lookout owns the session bus name
// org.lookout.Pointer, and the reports go to that name's owner only. Nothing is done while
// no lookout runs, nothing while the pointer rests, and while it moves at most one report
// goes out per tick of lookout's timer (the first at once, the last when the pointer stops).

const BUS_NAME = 'org.lookout.Pointer';
const OBJECT_PATH = '/org/lookout/Pointer';
const INTERFACE = 'org.lookout.Pointer';
const TICK_MS = 70;

class PointerReporter {
    constructor(tracker) {
        this._tracker = tracker;
        this._connection = null;
        this._owner = null;
        this._motionId = 0;
        this._timerId = 0;
        this._movedSinceReport = false;
        this._watchId = Gio.bus_watch_name(Gio.BusType.SESSION, BUS_NAME, Gio.BusNameWatcherFlags.NONE,
            (connection, name, owner) => this._follow(connection, owner),
            () => this._follow(null, null));
    }

    destroy() {
        Gio.bus_unwatch_name(this._watchId);
        if (this._owner)
            this._send('Stopped', null);
        this._follow(null, null);
    }

    // Starts reporting to a lookout that has appeared, or stops when it has gone.
    _follow(connection, owner) {
        if (this._owner) {
            this._tracker.disconnect(this._motionId);
            this._tracker.untrack_position?.();
            if (this._timerId)
                GLib.source_remove(this._timerId);
            this._motionId = this._timerId = 0;
        }
        this._connection = connection;
        this._owner = owner;
        if (!owner)
            return;
        this._tracker.track_position?.(); // where the bindings have it: motion reported however the cursor is drawn
        this._motionId = this._tracker.connect('position-invalidated', () => this._moved());
        this._report(); // where the pointer rests now
    }

    _moved() {
        if (this._timerId) {
            this._movedSinceReport = true;
            return;
        }
        this._report();
        this._timerId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, TICK_MS, () => {
            if (!this._movedSinceReport) {
                this._timerId = 0;
                return GLib.SOURCE_REMOVE;
            }
            this._movedSinceReport = false;
            this._report();
            return GLib.SOURCE_CONTINUE;
        });
    }

    // The pointer and the whole screen, in the shell's logical pixels: lookout maps them
    // onto Xwayland's root window, which may be larger by a scale.
    _report() {
        const [x, y] = global.get_pointer();
        this._send('Moved', new GLib.Variant('(iiii)', [x, y, global.screen_width, global.screen_height]));
    }

    _send(member, body) {
        const message = Gio.DBusMessage.new_method_call(this._owner, OBJECT_PATH, INTERFACE, member);
        if (body)
            message.set_body(body);
        message.set_flags(Gio.DBusMessageFlags.NO_REPLY_EXPECTED);
        try {
            this._connection.send_message(message, Gio.DBusSendMessageFlags.NONE);
        } catch (e) {
            // lookout has just ended: the watch says so next
        }
    }
}
