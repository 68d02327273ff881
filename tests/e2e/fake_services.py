#!/usr/bin/python3
# Stand-ins for the desktop's D-Bus services, for the end-to-end tests.
#
#   fake_services.py login1  ADDRESS LOG [--refuse | --no-listener]
#       org.freedesktop.login1 on a private system bus: each Lock call on
#       /org/freedesktop/login1/session/auto appends the CLOCK_MONOTONIC time
#       to LOG (or is refused with an error), and its LockedHint turns true
#       half a second later, as a desktop's locker makes it (or never, as on a
#       bare window manager).
#   fake_services.py session ADDRESS LOG NOTIFICATIONS
#       org.kde.StatusNotifierWatcher on a private session bus, with a host
#       registered, so that Qt exports its tray icon and menu over D-Bus; each
#       registered item's bus name is appended to LOG. And
#       org.freedesktop.Notifications: each Notify call appends a line
#       "application|summary|body" to NOTIFICATIONS, and to NOTIFICATIONS.ids
#       "number replaced icon urgency desktop-entry" (numbers from 1 up). With
#       --screensaver LOCKS, also screen savers, whose Lock calls go to LOCKS as
#       login1's do, and their names to LOCKS.names: each --saver NAME:MODE, where MODE is "lock" (active once Lock
#       answers), "slow" (answers Lock 1.5 s later), "late" (active half a second after Lock
#       answers), "inactive" (answers Lock and never becomes active) or "refuse" (answers with an error).
#   fake_services.py saver ADDRESS LOCKS NAME:MODE
#       One screen saver alone, as --saver (what a service file activates).
#   fake_services.py notifications ADDRESS LOG
#       The notification server alone: no tray.
#   fake_services.py portal ADDRESS LOG
#       org.freedesktop.portal.Desktop with GlobalShortcuts: answers through
#       Request objects' Response, appends each preferred trigger bound to
#       LOG and assigns it with " (assigned)" after it, and "closed N" for
#       each session N (from 1 up) closed; on org.cendrel.Test, Press() emits
#       Activated for another client's session (once more each time), then
#       for the latest session, and Refuse() makes it answer CreateSession
#       with response 1 (still naming a session). ListShortcuts lists none,
#       or after Keep(trigger) the shortcut "toggle" kept from an earlier
#       start with that trigger.
#
# Each prints "ready" once its name is owned and runs until killed.
import sys
import time

import dbus
import dbus.bus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SESSION_IFACE = "org.freedesktop.login1.Session"
WATCHER_IFACE = "org.kde.StatusNotifierWatcher"
PORTAL_IFACE = "org.freedesktop.portal.GlobalShortcuts"


WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/></interface><interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method></interface></node>
"""


def append(path, line):
    with open(path, "a") as log:
        log.write(line + "\n")


class Session(dbus.service.Object):
    def __init__(self, bus, log, mode):
        super().__init__(bus, "/org/freedesktop/login1/session/auto")
        self.log, self.mode, self.locked = log, mode, False

    @dbus.service.method(SESSION_IFACE, in_signature="", out_signature="")
    def Lock(self):
        if self.mode == "--refuse":
            raise dbus.exceptions.DBusException("Interactive authentication required.",
                                                name="org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        append(self.log, "%.6f" % time.monotonic())
        self.locked = False

        # A locker's screen takes a moment to come up.
        GLib.timeout_add(500, lambda: setattr(self, "locked", self.mode != "--no-listener"))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if (interface, name) != (SESSION_IFACE, "LockedHint"):
            raise dbus.exceptions.DBusException("no such", name="org.freedesktop.DBus.Error.UnknownProperty")
        return dbus.Boolean(self.locked)


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log, self.numbers = log, 0

    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.numbers += 1
        number = replaces or self.numbers
        append(self.log, "%s|%s|%s" % (app, summary, body))
        append(self.log + ".ids", "%d %d %s %d %s" % (number, replaces, icon, hints.get("urgency", -1),
                                                      hints.get("desktop-entry", "-")))
        image = hints.get("image-data")
        append(self.log + ".images", "%dx%d/%d/%s" % (*image[:3], "alpha" if image[3] else "opaque") if image else "-")
        return dbus.UInt32(number)


# What each locker's Lock takes, from its own interface definition: only
# Cinnamon's shows a message (Lock(s)); GetActive() answers b everywhere.
LOCK_SIGNATURES = {"org.cinnamon.ScreenSaver": "s"}


def screen_saver(bus, name, mode, log):
    # A screen saver serving NAME at its own path and interface. Called with
    # other arguments than its Lock takes, it answers InvalidArgs, as a GDBus
    # service does.
    signature = LOCK_SIGNATURES.get(name, "")

    class ScreenSaver(dbus.service.Object):
        active = False

        @dbus.service.method(name, in_signature=signature, out_signature="", message_keyword="message",
                             async_callbacks=("done", "error"))
        def Lock(self, text=None, message=None, done=None, error=None):
            if message.get_signature() != signature:
                error(dbus.exceptions.DBusException("Lock takes (%s)" % signature,
                                                    name="org.freedesktop.DBus.Error.InvalidArgs"))
                return
            append(log, "%.6f" % time.monotonic())
            append(log + ".names", name)
            if mode == "refuse":
                error(dbus.exceptions.DBusException("no", name="org.freedesktop.DBus.Error.AccessDenied"))
                return

            # A lock screen takes its time to come up; Lock answers once it is.
            active = mode not in ("inactive", "late")
            GLib.timeout_add(1500 if mode == "slow" else 0, lambda: setattr(self, "active", active) or done())
            # GNOME's answers before its lock screen is up.
            if mode == "late":
                GLib.timeout_add(500, lambda: setattr(self, "active", True))

        @dbus.service.method(name, in_signature="", out_signature="b")
        def GetActive(self):
            return dbus.Boolean(self.active)

    return dbus.service.BusName(name, bus), ScreenSaver(bus, "/" + name.replace(".", "/"))


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.log, self.items = log, []

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        name = service if service.startswith(":") or "." in service else sender
        self.items.append(name)
        append(self.log, "%s %s" % (name, sender))

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    def properties(self):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(True), "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    # Qt reads properties through introspection data, which dbus-python does
    # not generate for hand-made properties.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
    def Introspect(self):
        return WATCHER_XML


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class PortalSession(dbus.service.Object):
    def __init__(self, bus, path, log, number):
        super().__init__(bus, path)
        self.log, self.number = log, number

    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        append(self.log, "closed %d" % self.number)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus, self.log, self.session, self.sessions, self.refuse = bus, log, None, 0, False
        self.kept, self.presses = None, 0

    def answer(self, sender, token, results, code=0):
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender[1:].replace(".", "_"), token)
        request = Request(self.bus, path)
        # After the method's reply, as the portal does once the desktop has answered.
        GLib.idle_add(lambda: request.Response(code, results) or request.remove_from_connection())
        return dbus.ObjectPath(path)

    @dbus.service.method(PORTAL_IFACE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.session = "/org/freedesktop/portal/desktop/session/%s/%s" % (
            sender[1:].replace(".", "_"), options["session_handle_token"])
        self.sessions += 1
        PortalSession(self.bus, self.session, self.log, self.sessions)
        return self.answer(sender, options["handle_token"], {"session_handle": self.session}, int(self.refuse))

    @dbus.service.method("org.cendrel.Test", in_signature="", out_signature="")
    def Refuse(self):
        self.refuse = True

    @dbus.service.method("org.cendrel.Test", in_signature="s", out_signature="")
    def Keep(self, trigger):
        self.kept = trigger

    @dbus.service.method(PORTAL_IFACE, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def ListShortcuts(self, session, options, sender=None):
        kept = [("toggle", {"trigger_description": self.kept})] if self.kept else []
        return self.answer(sender, options["handle_token"], {"shortcuts": dbus.Array(kept, signature="(sa{sv})")})

    @dbus.service.method(PORTAL_IFACE, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender=None):
        bound = []
        for name, properties in shortcuts:
            append(self.log, properties["preferred_trigger"])
            bound.append((name, {"description": properties["description"],
                                 "trigger_description": properties["preferred_trigger"] + " (assigned)"}))
        return self.answer(sender, options["handle_token"], {"shortcuts": dbus.Array(bound, signature="(sa{sv})")})

    @dbus.service.signal(PORTAL_IFACE, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.method("org.cendrel.Test", in_signature="", out_signature="")
    def Press(self):
        # Once more each time: an even count heard as ours leaves the state as it was.
        self.presses += 1
        for session in ["/org/freedesktop/portal/desktop/session/other/s1"] * self.presses + [self.session]:
            self.Activated(dbus.ObjectPath(session), "toggle", dbus.UInt64(0), {"x": ""})


def main():
    role, address, log = sys.argv[1], sys.argv[2], sys.argv[3]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    if role == "login1":
        name, service = dbus.service.BusName("org.freedesktop.login1", bus), Session(bus, log, (sys.argv[4:] or [None])[0])
    elif role == "notifications":
        name, service = dbus.service.BusName("org.freedesktop.Notifications", bus), Notifications(bus, log)
    elif role == "saver":
        name, service = screen_saver(bus, *sys.argv[4].split(":"), log)
    elif role == "portal":
        name, service = dbus.service.BusName("org.freedesktop.portal.Desktop", bus), Portal(bus, log)
    else:
        name = (dbus.service.BusName("org.kde.StatusNotifierWatcher", bus),
                dbus.service.BusName("org.freedesktop.Notifications", bus))
        service = (Watcher(bus, log), Notifications(bus, sys.argv[4]))
        for i, arg in enumerate(sys.argv):
            if arg == "--saver":
                service += screen_saver(bus, *sys.argv[i + 1].split(":"), sys.argv[sys.argv.index("--screensaver") + 1])
    print("ready", flush=True)
    GLib.MainLoop().run()  # holding the names and services


if __name__ == "__main__":
    main()
