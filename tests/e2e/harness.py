# A private desktop for driving the real cendrel binary.
#
# Each Desktop starts its own Xvfb (which has no DPMS: the display never goes
# off, so every fallback ends in "the screen is NOT locked"), a private system
# bus (with a fake login manager, or none) that can be frozen and restarted, a
# private session bus with a StatusNotifierWatcher (so Qt publishes the tray
# icon's menu over D-Bus, where the tests read and click it), a notification
# server and, when asked, screen savers, and a temporary home. Everything is
# stopped and removed on exit. All waits poll a condition with a deadline.
import argparse
import contextlib
import logging
import os
from pathlib import Path
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import dbus
import dbus.bus

HERE = os.path.dirname(os.path.abspath(__file__))
ICONS = os.path.join(HERE, "..", "..", "platform", "linux", "data", "icons")
# A menu that is being republished answers with errors for a moment; the
# callers retry, so dbus-python need not log each one.
logging.getLogger("dbus.proxies").setLevel(logging.CRITICAL)
PYTHON = "/usr/bin/python3"
SCREEN = (1280, 800)

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>{kind}</type><listen>unix:path={socket}</listen><auth>EXTERNAL</auth>
  <servicedir>{services}</servicedir>
  <policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/></policy></busconfig>
"""

class Timeout(AssertionError):
    pass


def wait_for(condition, timeout=10.0, what="condition", interval=0.02):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def read_line(pipe, timeout, what):
    ready, _, _ = select.select([pipe], [], [], timeout)
    if not ready:
        raise Timeout("no output from " + what)
    return os.read(pipe.fileno(), 4096).decode().strip()


class Desktop:
    def __init__(self, binary, helper, login1="ok", preferences=None, screensaver=(), launch=False, lockers=()):
        self.binary, self.helper, self.login1, self.screensaver = binary, helper, login1, screensaver
        self.lockers = lockers
        self.preferences, self.processes, self.app, self._session, self._menu = preferences, [], None, None, None
        self.launch_at_start = launch

    # -- setting up and tearing down -------------------------------------

    def __enter__(self):
        try:
            self._start()
            if self.launch_at_start:
                self.launch()
        except BaseException as error:
            self.__exit__(type(error), error, None)
            raise
        return self

    def _start(self):
        self.dir = tempfile.mkdtemp(prefix="cendrel-e2e-")
        self.home, self.runtime = os.path.join(self.dir, "home"), os.path.join(self.dir, "run")
        self.config = os.path.join(self.home, ".config")
        os.makedirs(self.config)
        os.makedirs(self.runtime, mode=0o700)
        # The program's whole PATH: the lockers on it are the test's choice.
        self.bin = os.path.join(self.dir, "bin")
        os.makedirs(self.bin)
        for locker in self.lockers:  # "name" or "name=status"
            name, _, status = locker.partition("=")
            self.stand_in(name, int(status or 0))
        self.stderr_path, self.lock_log, self.watcher_log, self.notify_log = (
            os.path.join(self.dir, name) for name in ("cendrel.log", "locks.log", "watcher.log", "notifications.log"))
        for path in (self.stderr_path, self.lock_log, self.lock_log + ".names", self.watcher_log, self.notify_log,
                     self.notify_log + ".ids", self.notify_log + ".images"):
            open(path, "w").close()
        if self.preferences is not None:
            os.makedirs(os.path.dirname(self.preferences_path))
            Path(self.preferences_path).write_bytes(self.preferences)

        self.display = self._start_xvfb()
        self.restart_system_bus(self.login1)
        self.session_bus = self._start_bus("session")[1]
        # "NAME:MODE" items (see fake_services.py).
        self._start_service(["session", self.session_bus, self.watcher_log, self.notify_log]
                            + (["--screensaver", self.lock_log] if self.screensaver else [])
                            + [argument for saver in self.screensaver for argument in ("--saver", saver)])

        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("XDG_", "DBUS_", "WAYLAND_", "QT_", "DESKTOP_", "GNOME_", "KDE_"))}
        self.env.update(DISPLAY=self.display, HOME=self.home, XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.runtime,
                        DBUS_SYSTEM_BUS_ADDRESS=self.system_bus, DBUS_SESSION_BUS_ADDRESS=self.session_bus,
                        XDG_DATA_DIRS=self._data_dirs())

    def _data_dirs(self):
        # The system's, after the source tree's icons when the binary is not
        # an installed one (which must find its own where it was installed).
        installed = os.path.normpath(os.path.join(os.path.dirname(self.binary), "..", "share"))
        if os.path.isdir(os.path.join(installed, "icons", "hicolor")):
            return installed + ":/usr/local/share:/usr/share"
        share = os.path.join(self.dir, "share")
        status = os.path.join(share, "icons", "hicolor", "scalable", "status")
        os.makedirs(status)
        for name in os.listdir(ICONS):
            if name.endswith("-symbolic.svg"):
                shutil.copy(os.path.join(ICONS, name), status)
        return share + ":/usr/local/share:/usr/share"

    def _spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        with open(os.path.join(self.dir, "xvfb.log"), "w") as log:
            self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
                         "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                        stderr=log)
        os.close(write_end)
        # Xvfb writes the number and the newline separately, at once: read up
        # to the newline, or it dies writing into a closed pipe.
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline() if select.select([pipe], [], [], 15)[0] else b""
        if not number.endswith(b"\n"):
            raise Timeout("Xvfb did not start")
        return ":" + number.decode().strip()

    def _start_bus(self, kind):
        socket = os.path.join(self.dir, kind + "_bus")
        conf = os.path.join(self.dir, kind + "-bus.conf")
        services = os.path.join(self.dir, kind + "-services")
        os.makedirs(services, exist_ok=True)
        Path(conf).write_text(BUS_CONFIG.format(kind=kind, socket=socket, services=services))
        process = self._spawn(["dbus-daemon", "--config-file=" + conf, "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return process, read_line(process.stdout, 15, "dbus-daemon")

    def _start_service(self, arguments):
        return self.start_helper([PYTHON, os.path.join(HERE, "fake_services.py")] + arguments, "ready")

    def start_helper(self, argv, ready, env=None):
        # A client that is doing its part once it says `ready`, until its stdin closes or it is killed.
        process = self._spawn(argv, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        line = read_line(process.stdout, 15, " ".join(argv[:2]))
        if line != ready:
            raise AssertionError("%s said %r" % (" ".join(argv[:2]), line))
        return process

    def restart_system_bus(self, login1="ok"):
        # A new system bus at the same address (which names no bus id, as a
        # real system's does not), with a fake login manager ("ok", "refuse",
        # "nolistener": accepts Lock, and nothing locks) or none.
        for process in getattr(self, "system_processes", []):
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        bus, address = self._start_bus("system")
        self.system_bus = address.split(",guid=")[0]
        self.system_processes = [bus]
        if login1 is not None:
            extra = {"refuse": ["--refuse"], "nolistener": ["--no-listener"]}.get(login1, [])
            self.system_processes.append(self._start_service(["login1", self.system_bus, self.lock_log] + extra))

    def freeze_system_bus(self):
        # The bus still takes connections, and never answers.
        os.kill(self.system_processes[0].pid, signal.SIGSTOP)

    def __exit__(self, kind, value, trace):
        if kind is not None and getattr(self, "stderr_path", None) and os.path.exists(self.stderr_path):
            # What the program said is the first thing to read when a test fails.
            sys.stderr.write("---- cendrel output (exit status %s) ----\n%s----\n"
                             % (None if self.app is None else self.app.poll(), self.log()))
        # The program first (it has a session of its own too), then what it used.
        everything = ([self.app] if self.app else []) + list(reversed(self.processes))
        for process in everything:
            with contextlib.suppress(ProcessLookupError):
                process.poll() is None and os.killpg(process.pid, signal.SIGTERM)
        for process in everything:
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
            for stream in filter(None, (process.stdout, process.stderr)):
                stream.close()
        if self._session is not None:
            self._session.close()
        if getattr(self, "dir", None):
            shutil.rmtree(self.dir, ignore_errors=True)
        return False

    # -- the program -------------------------------------------------------

    @property
    def preferences_path(self):
        return os.path.join(self.config, "Cendrel", "Cendrel.conf")

    def launch(self, wait=True, stderr=None):
        # stderr: a descriptor, or "closed" to start with none at all.
        self._menu = None
        closed = stderr == "closed"
        with open(self.stderr_path, "ab") as log:
            self.app = subprocess.Popen([self.binary], env=dict(self.env, PATH=self.bin), stdout=log,
                                        stderr=log if stderr is None or closed else stderr,
                                        preexec_fn=(lambda: os.close(2)) if closed else None,
                                        start_new_session=True)
        if wait:
            self.wait_for_status("Idle — ", timeout=15)
        return self.app

    def stand_in(self, name, status=0):
        # A locker on the program's PATH that appends "name arguments" to
        # `ran` and exits with `status`.
        path = os.path.join(self.bin, name)
        Path(path).write_text('#!/bin/sh\necho "${0##*/} $*" >> %s/ran\nexit %d\n' % (self.dir, status))
        os.chmod(path, 0o755)

    def activatable(self, saver):
        # A screen saver ("NAME:MODE") the session bus starts when it is called.
        name = saver.split(":")[0]
        Path(self.dir, "session-services", name + ".service").write_text(
            "[D-BUS Service]\nName=%s\nExec=%s %s saver %s %s %s\n"
            % (name, PYTHON, os.path.join(HERE, "fake_services.py"), self.session_bus, self.lock_log, saver))

    def quit(self):
        # The host gets its answer to the click before the program ends.
        self.click_menu("Quit Cendrel")
        return self.app.wait(10)

    def log(self):
        return Path(self.stderr_path).read_text(encoding="utf-8", errors="replace")

    def log_lines(self):
        return [line for line in self.log().splitlines() if line.startswith("Cendrel: ")]

    def lock_count(self):
        return len(Path(self.lock_log).read_text().split())

    def screen_savers_asked(self):
        # The names of the screen savers whose Lock was called, in order.
        return Path(self.lock_log + ".names").read_text().split()

    def notifications(self):
        return Path(self.notify_log).read_text().splitlines()

    def notification_numbers(self):
        # Per notification: "number replaced-number icon urgency desktop-entry".
        return Path(self.notify_log + ".ids").read_text().splitlines()

    def arm(self):
        # The pointer at rest in the middle, the default hot key, the grace period out.
        self.xdotool("mousemove", SCREEN[0] // 2, SCREEN[1] // 2, "key", "super+alt+l")
        self.wait_for_status("Arming…")
        self.wait_for_status("● Armed — any input will lock", timeout=7)

    def arm_and_touch(self, touch, until, what, timeout=5):
        # Arms, touches (xdotool arguments) and waits until `until` holds.
        self.arm()
        self.xdotool(*touch)
        return wait_for(until, timeout, what)

    # -- the tray menu, as a StatusNotifierItem host sees it ---------------

    def _bus(self):
        self._session = self._session or dbus.bus.BusConnection(self.session_bus)
        return self._session

    def _item_name(self):
        entries = Path(self.watcher_log).read_text().split()
        return entries[-2] if entries else None

    def _menu_object(self):
        if self._menu is None and self._item_name():
            self._menu = self._bus().get_object(self._item_name(), self.tray_property("Menu"))
        return self._menu

    def tray_property(self, name):
        item = self._bus().get_object(self._item_name(), "/StatusNotifierItem")
        return item.Get("org.kde.StatusNotifierItem", name, dbus_interface=dbus.PROPERTIES_IFACE)

    def menu_item(self, label):
        return [item for item in self.menu_items() if item["label"] == label][0]

    def menu_items(self):
        # The tray menu's entries: (id, label, enabled, checked, separator).
        menu = self._menu_object()
        if menu is None:
            return []
        _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface="com.canonical.dbusmenu")
        return [{"id": int(item_id), "label": str(props.get("label", "")), "checked": int(props.get("toggle-state", 0)) == 1,
                 "enabled": bool(props.get("enabled", True)), "separator": str(props.get("type", "")) == "separator"}
                for item_id, props, _ in layout[2]]

    def status_line(self):
        # Qt may publish a rebuilt menu under a new object: look it up again
        # whenever the one we know stops answering.
        for _ in range(2):
            try:
                items = self.menu_items()
            except dbus.exceptions.DBusException:
                items = []
            if items:
                return items[0]["label"]
            self._menu = None
        return ""

    def wait_for_status(self, prefix, timeout=10.0):
        return wait_for(lambda: self.status_line().startswith(prefix), timeout, "status line %r" % prefix)

    def _menu_event(self, item_id, event):
        self._menu_object().Event(item_id, event, dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                                  dbus_interface="com.canonical.dbusmenu")

    def open_menu(self):
        # As a panel does when the user opens the tray menu: prepared, then opened.
        self.status_line()
        self._menu_object().AboutToShow(0, dbus_interface="com.canonical.dbusmenu")
        self._menu_event(0, "opened")

    def click_icon(self):
        # A left click on the icon, which the host passes on as Activate.
        item = self._bus().get_object(self._item_name(), "/StatusNotifierItem")
        item.Activate(0, 0, dbus_interface="org.kde.StatusNotifierItem")

    def close_menu(self):
        self._menu_event(0, "closed")

    def click_menu(self, label):
        self.status_line()  # makes sure the menu object is a live one
        self._menu_event(self.menu_item(label)["id"], "clicked")

    # -- input through XTEST -----------------------------------------------

    def xdotool(self, *arguments, output=False):
        # Only queries pipe their output: with it piped, a key held with keydown was seen not to repeat.
        return subprocess.run(["xdotool"] + [str(argument) for argument in arguments], env=self.env, check=not output,
                              timeout=10, stdout=subprocess.PIPE if output else None, text=True).stdout

    def window_ids(self, name, visible=False):
        return self.xdotool("search", *(["--onlyvisible"] if visible else []), "--name", "^%s$" % name,
                            output=True).split()

    def focused_window(self):
        return self.xdotool("getwindowfocus", output=True).strip()

    def hold_keyboard(self):
        # Another client holding the whole keyboard, as an open menu does;
        # killing it lets go.
        return self._spawn([self.helper, "grab-keyboard"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

    def other_window(self):
        # Another program's window, "Other": it says "pressed" for each key
        # typed into it, and "mapped" for each window put on screen.
        return self.start_helper([self.helper, "window"], "ready", self.env)

    def hold_grab(self, keycode, modifiers):
        return self.start_helper([self.helper, "grab", str(keycode), str(modifiers)], "grabbed", self.env)


def run_script(script_globals, *paths):
    # Runs a test script: sets its BINARY and each named path (HELPER, ...)
    # from --binary, --helper, ..., then hands the rest to unittest.
    parser = argparse.ArgumentParser()
    for name in ("binary",) + paths:
        parser.add_argument("--" + name.replace("_", "-"), required=True)
    options, rest = parser.parse_known_args()
    for name in ("binary",) + paths:
        script_globals[name.upper()] = os.path.abspath(getattr(options, name))
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


def without_tray(desk):
    # Leaves the desktop's notification server alone on its session bus: no
    # StatusNotifierWatcher, as on GNOME without its AppIndicator extension.
    session = [process for process in desk.processes if process.args[2:3] == ["session"]][0]
    os.killpg(session.pid, signal.SIGTERM)
    session.wait(5)
    desk._start_service(["notifications", desk.session_bus, desk.notify_log])
