"""A desktop's global-shortcuts backend for the real portal frontend, driven by the tests.

It owns org.freedesktop.impl.portal.desktop.tallixtest on the session bus. Like a real desktop
it keeps one entry per application and session token, and the key of each shortcut in it, for
as long as it runs: a session under a token it has seen finds that entry and its keys again.
Desktops differ in when they take a shortcut, and so does this backend:

  --bind     (the default) at BindShortcuts, which answers with the shortcuts it bound;
  --session  at CreateSession, from its `shortcuts` option; BindShortcuts then binds nothing
             and answers with what the session holds, an empty list if nothing;
  --silent   never answers CreateSession, as a hung desktop would not.

Tests drive it through org.tallix.Test at /control: Mode() says which of the above; Binds() lists (session, trigger) for every
shortcut it took or refused; Entries() lists (entry, trigger) of what it keeps; Forget() drops them all;
Refuse(b) makes the next BindShortcuts calls fail as a user's Cancel would; Withhold(b) makes it
take the next shortcuts without a key (left to its user, or the key held elsewhere);
Activate(token) presses the shortcut of the newest session; ChangeTrigger(text) changes its key
as the desktop's settings would; Hold(b) keeps the answers to the CreateSession calls that
follow back, HeldSessions() counts those kept, AnswerHeld() gives them; OpenSessions() counts
the open sessions.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.impl.portal.desktop.tallixtest"
IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"
SESSION = "org.freedesktop.impl.portal.Session"
CONTROL = "org.tallix.Test"


def shortcut_list(keys):
    """The a(sa{sv}) answer for {shortcut id: trigger}."""
    return dbus.Array([(shortcut_id, {"description": "", "trigger_description": trigger})
                       for shortcut_id, trigger in keys.items()], signature="(sa{sv})")


class Session(dbus.service.Object):
    def __init__(self, backend, path, entry):
        super().__init__(backend.bus, path)
        self.backend, self.path, self.entry = backend, path, entry

    def keys(self):
        return self.backend.entries.setdefault(self.entry, {})

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.backend.sessions.pop(self.path, None)
        self.remove_from_connection()

    @dbus.service.signal(SESSION, signature="")
    def Closed(self):
        pass


class Backend(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus, self.mode = bus, mode
        self.sessions, self.entries, self.binds = {}, {}, []
        self.refuse = self.withhold = self.holding = False
        self.held = []

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}",
                         async_callbacks=("reply", "error"))
    def CreateSession(self, handle, session_handle, app_id, options, reply, error):
        if self.mode == "silent":
            return
        if self.holding:
            self.held.append((session_handle, app_id, options, reply))
            return
        self.answer_create_session(session_handle, app_id, options, reply)

    def answer_create_session(self, session_handle, app_id, options, reply):
        # Named, as desktops do, after the application and the session token.
        entry = str(app_id) + str(session_handle).rsplit("/", 1)[-1]
        session = Session(self, session_handle, entry)
        self.sessions[str(session_handle)] = session
        if self.mode == "session":
            self.take(session, options.get("shortcuts", []))
        reply(dbus.UInt32(0), dbus.Dictionary({}, signature="sv"))

    def take(self, session, shortcuts):
        """Gives each new shortcut of the session its preferred key; a known one keeps its key."""
        keys = session.keys()
        for shortcut_id, properties in shortcuts:
            trigger = str(properties.get("preferred_trigger", ""))
            self.binds.append((session.path, trigger))
            if str(shortcut_id) not in keys or self.mode == "bind":
                keys[str(shortcut_id)] = "" if self.withhold else trigger

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        session = self.sessions.get(str(session_handle))
        if self.refuse or session is None:
            self.binds.extend((str(session_handle), str(properties.get("preferred_trigger", "")))
                              for _, properties in shortcuts)
            return dbus.UInt32(1), dbus.Dictionary({}, signature="sv")
        if self.mode == "bind":
            self.take(session, shortcuts)
        bound = {shortcut_id: trigger for shortcut_id, trigger in session.keys().items()
                 if trigger}
        return dbus.UInt32(0), {"shortcuts": shortcut_list(bound)}

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        session = self.sessions.get(str(session_handle))
        return dbus.UInt32(0), {"shortcuts": shortcut_list(session.keys() if session else {})}

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Deactivated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"version": dbus.UInt32(1)}

    def newest_session(self):
        return list(self.sessions.values())[-1] if self.sessions else None


class Control(dbus.service.Object):
    def __init__(self, bus, backend):
        super().__init__(bus, "/control")
        self.backend = backend

    @dbus.service.method(CONTROL, in_signature="", out_signature="a(ss)")
    def Binds(self):
        return dbus.Array(self.backend.binds, signature="(ss)")

    @dbus.service.method(CONTROL, in_signature="", out_signature="a(ss)")
    def Entries(self):
        return dbus.Array([(entry, keys.get("show-window", ""))
                           for entry, keys in self.backend.entries.items()], signature="(ss)")

    @dbus.service.method(CONTROL, in_signature="", out_signature="s")
    def Mode(self):
        return self.backend.mode

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def Forget(self):
        self.backend.entries.clear()

    @dbus.service.method(CONTROL, in_signature="", out_signature="i")
    def OpenSessions(self):
        return len(self.backend.sessions)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Refuse(self, refuse):
        self.backend.refuse = bool(refuse)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Withhold(self, withhold):
        self.backend.withhold = bool(withhold)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Hold(self, hold):
        self.backend.holding = bool(hold)

    @dbus.service.method(CONTROL, in_signature="", out_signature="i")
    def HeldSessions(self):
        return len(self.backend.held)

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def AnswerHeld(self):
        held, self.backend.held = self.backend.held, []
        for arguments in held:
            self.backend.answer_create_session(*arguments)

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def Activate(self, token):
        session = self.backend.newest_session()
        if session is None:
            return False
        options = {"activation_token": token} if token else {}
        self.backend.Activated(session.path, "show-window", dbus.UInt64(0),
                               dbus.Dictionary(options, signature="sv"))
        return True

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def ChangeTrigger(self, trigger):
        session = self.backend.newest_session()
        if session is None:
            return False
        session.keys()["show-window"] = str(trigger)
        self.backend.ShortcutsChanged(session.path, shortcut_list({"show-window": trigger}))
        return True


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    mode = next((arg[2:] for arg in sys.argv[1:] if arg in ("--bind", "--session", "--silent")),
                "bind")
    backend = Backend(bus, mode)
    Control(bus, backend)
    # The name last: whoever waits for it finds the objects in place.
    name = dbus.service.BusName(NAME, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    sys.exit(main())
