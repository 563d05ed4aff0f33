"""A desktop's global-shortcuts backend for the real portal frontend, driven by the tests.

It owns org.freedesktop.impl.portal.desktop.tallixtest on the session bus and binds what it is
asked to, unless told to refuse. Tests drive it through org.tallix.Test at /control: Binds()
lists the triggers asked for, Refuse(b) makes the next bindings fail as a user's Cancel would,
Activate(token) presses the shortcut of the newest session, ChangeTrigger(text) reports a
trigger changed in the desktop's settings, Hold(b) keeps the answers to the CreateSession
calls that follow back, HeldSessions() counts those kept, AnswerHeld() gives them. Started with --silent, it never answers
CreateSession, as a hung desktop would not.
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


class Session(dbus.service.Object):
    def __init__(self, backend, path):
        super().__init__(backend.bus, path)
        self.backend, self.path, self.shortcuts = backend, path, []

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.backend.sessions.pop(self.path, None)
        self.remove_from_connection()

    @dbus.service.signal(SESSION, signature="")
    def Closed(self):
        pass


class Backend(dbus.service.Object):
    def __init__(self, bus, silent):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus, self.sessions, self.binds, self.refuse = bus, {}, [], False
        self.silent, self.holding, self.held = silent, False, []

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}",
                         async_callbacks=("reply", "error"))
    def CreateSession(self, handle, session_handle, app_id, options, reply, error):
        if self.silent:
            return
        if self.holding:
            self.held.append((session_handle, reply))
            return
        self.answer_create_session(session_handle, reply)

    def answer_create_session(self, session_handle, reply):
        self.sessions[str(session_handle)] = Session(self, session_handle)
        reply(dbus.UInt32(0), dbus.Dictionary({}, signature="sv"))

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        for shortcut_id, properties in shortcuts:
            self.binds.append((str(session_handle), str(properties.get("preferred_trigger", ""))))
        if self.refuse or str(session_handle) not in self.sessions:
            return dbus.UInt32(1), dbus.Dictionary({}, signature="sv")
        bound = [(shortcut_id, {"description": properties.get("description", ""),
                                "trigger_description": properties.get("preferred_trigger", "")})
                 for shortcut_id, properties in shortcuts]
        self.sessions[str(session_handle)].shortcuts = bound
        return dbus.UInt32(0), {"shortcuts": dbus.Array(bound, signature="(sa{sv})")}

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        session = self.sessions.get(str(session_handle))
        bound = session.shortcuts if session else []
        return dbus.UInt32(0), {"shortcuts": dbus.Array(bound, signature="(sa{sv})")}

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
        return list(self.sessions)[-1] if self.sessions else None


class Control(dbus.service.Object):
    def __init__(self, bus, backend):
        super().__init__(bus, "/control")
        self.backend = backend

    @dbus.service.method(CONTROL, in_signature="", out_signature="a(ss)")
    def Binds(self):
        return dbus.Array(self.backend.binds, signature="(ss)")

    @dbus.service.method(CONTROL, in_signature="", out_signature="i")
    def OpenSessions(self):
        return len(self.backend.sessions)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Refuse(self, refuse):
        self.backend.refuse = bool(refuse)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def Hold(self, hold):
        self.backend.holding = bool(hold)

    @dbus.service.method(CONTROL, in_signature="", out_signature="i")
    def HeldSessions(self):
        return len(self.backend.held)

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def AnswerHeld(self):
        held, self.backend.held = self.backend.held, []
        for session_handle, reply in held:
            self.backend.answer_create_session(session_handle, reply)

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def Activate(self, token):
        session = self.backend.newest_session()
        if session is None:
            return False
        options = {"activation_token": token} if token else {}
        self.backend.Activated(session, "show-window", dbus.UInt64(0),
                               dbus.Dictionary(options, signature="sv"))
        return True

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def ChangeTrigger(self, trigger):
        session = self.backend.newest_session()
        if session is None:
            return False
        shortcuts = [("show-window", {"description": "", "trigger_description": trigger})]
        self.backend.ShortcutsChanged(session, dbus.Array(shortcuts, signature="(sa{sv})"))
        return True


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    backend = Backend(bus, "--silent" in sys.argv)
    Control(bus, backend)
    # The name last: whoever waits for it finds the objects in place.
    name = dbus.service.BusName(NAME, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    sys.exit(main())
