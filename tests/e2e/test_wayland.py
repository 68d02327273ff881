#!/usr/bin/python3
# End-to-end tests of the input watch in a Wayland session: the cendrel
# binary beside a headless sway 1.7, which offers org_kde_kwin_idle, with
# key presses from wtype and idle inhibitors from a helper client, or beside a
# headless mutter 43, which offers org.gnome.Mutter.IdleMonitor, with input
# through its RemoteDesktop session. The X server of the private desktop stands
# in for XWayland (the tray, the hot key).
#
#     test_wayland.py --binary PATH --helper PATH --wayland-helper PATH [unittest names...]
import glob
import os
from pathlib import Path
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Desktop, run_script, wait_for  # noqa: E402

BINARY = None
HELPER = None
WAYLAND_HELPER = None
GRACE = 2.0
QUIET = 0.5
# Long enough for two probes of a mechanism that inhibitors silence.
PROBES = 2.2
TOLD = ("Cendrel|Cendrel could not lock the screen|Only the display was switched off, and the next touch "
        "switches it on, unlocked. Lock the screen yourself.")
# Evidence of a lock is waited for this long before the owner is told.
DEADLINE = 4.0
ARMED = "● Armed — any input will lock (any pointer movement locks)"
SILENCED = "a program is keeping the screen awake, so input cannot be seen"


def start_as_nobody(desk, name, argv, env):
    # Starts a compositor as nobody (sway refuses root) on the desktop's
    # session bus, and points the desktop's WAYLAND_DISPLAY at its socket.
    runtime = os.path.join(desk.dir, name)
    os.makedirs(runtime, mode=0o700)
    shutil.chown(runtime, "nobody", "nogroup")
    os.chmod(desk.dir, 0o755)
    env.update({"PATH": "/usr/bin:/bin", "HOME": runtime, "XDG_RUNTIME_DIR": runtime,
                "DBUS_SESSION_BUS_ADDRESS": desk.session_bus})
    with open(os.path.join(desk.dir, name + ".log"), "w") as log:
        process = desk._spawn(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + argv(runtime),
                              env=env, stdout=subprocess.DEVNULL, stderr=log)
    socket = wait_for(lambda: [path for path in glob.glob(os.path.join(runtime, "wayland-*"))
                               if not path.endswith(".lock")], 15, name + "'s socket")[0]
    # An absolute WAYLAND_DISPLAY needs no runtime directory of ours.
    desk.env["WAYLAND_DISPLAY"] = socket
    return process


class Mutter:
    def __init__(self, desk):
        start_as_nobody(desk, "mutter", lambda _: ["mutter", "--headless", "--wayland", "--no-x11",
                                                   "--virtual-monitor", "1280x800"], {})
        bus, remote = desk._bus(), "org.gnome.Mutter.RemoteDesktop"
        # Mutter takes its names one by one after its socket is there.
        wait_for(lambda: all(bus.name_has_owner(name) for name in (remote, "org.gnome.Mutter.IdleMonitor")), 15,
                 "mutter's names")
        path = bus.get_object(remote, "/org/gnome/Mutter/RemoteDesktop").CreateSession(dbus_interface=remote)
        self.session = bus.get_object(remote, path)
        self.session.Start(dbus_interface=remote + ".Session")
        self.display = bus.get_object("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig")

    def power(self):
        mode = self.display.Get("org.gnome.Mutter.DisplayConfig", "PowerSaveMode", dbus_interface=dbus.PROPERTIES_IFACE)
        return "off" if mode == 3 else "on"

    def touch(self, kind):
        interface = "org.gnome.Mutter.RemoteDesktop.Session"
        if kind == "key":
            for pressed in (True, False):
                self.session.NotifyKeyboardKeycode(dbus.UInt32(30), pressed, dbus_interface=interface)
        elif kind == "click":
            for pressed in (True, False):
                self.session.NotifyPointerButton(0x110, pressed, dbus_interface=interface)  # BTN_LEFT
        elif kind == "scroll":
            self.session.NotifyPointerAxisDiscrete(dbus.UInt32(0), 1, dbus_interface=interface)
        else:
            self.session.NotifyPointerMotionRelative(5.0, 0.0, dbus_interface=interface)


class Sway:
    # `bound`: its config binds Alt+Super+L to `cendrel --toggle`.
    def __init__(self, desk, bound=True):
        self.desk = desk

        def argv(runtime):
            config = os.path.join(runtime, "config")
            binding = "set $mod Mod4\nbindsym Mod1+$mod+l exec %s --toggle\n" % BINARY if bound else ""
            Path(config).write_text("output * bg #000000 solid_color\n" + binding)
            return ["sway", "-d", "-c", config]

        self.process = start_as_nobody(desk, "sway", argv, {"WLR_BACKENDS": "headless",
                                                            "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"})
        # Its IPC socket is how Cendrel tells sway from other compositors.
        desk.env["SWAYSOCK"] = wait_for(lambda: glob.glob(os.path.join(desk.dir, "sway", "sway-ipc.*.sock")), 15,
                                        "sway's IPC socket")[0]

    # What sway was last asked to do with its output's power. Its headless
    # outputs (wlroots 0.15) refuse to be disabled, so what it was asked, in
    # its debug log, is what can be seen.
    def power(self):
        return re.findall(r"Turning (on|off) output", Path(self.desk.dir, "sway.log").read_text())[-1]

    def type(self, *arguments):
        subprocess.run(["wtype"] + list(arguments), env=self.desk.env, check=True, timeout=10)

    def press_shortcut(self):
        # Alt+Super+L, which the sway configuration binds to `cendrel --toggle`.
        self.type("-M", "alt", "-M", "logo", "l", "-m", "logo", "-m", "alt")

    def touch(self, kind):
        # A key press (wtype), or a pointer motion, click or scroll.
        if kind == "key":
            self.type("k")
        else:
            subprocess.run([WAYLAND_HELPER, kind], env=self.desk.env, check=True, timeout=10)

    def inhibit(self):
        return self.desk.start_helper([WAYLAND_HELPER, "inhibit"], "inhibiting", self.desk.env)  # holds an idle inhibitor


class CendrelWayland(unittest.TestCase):
    def verb(self, desk, name):
        result = subprocess.run([BINARY, "--" + name], env=desk.env, capture_output=True, text=True, timeout=15)
        self.assertEqual((result.returncode, result.stderr), (0, ""))

    def start(self, desk, compositor=Sway, mechanism="org_kde_kwin_idle"):
        started = compositor(desk)
        desk.launch()
        self.assertEqual(desk.log_lines()[:1], ["Cendrel: Wayland session; input is watched through " + mechanism])
        return started

    def locks_once(self, desk, locks, what):
        wait_for(lambda: desk.lock_count() > locks, 5, "a Lock call after " + what)
        time.sleep(QUIET)
        self.assertEqual((desk.lock_count(), desk.status_line()[:7]), (locks + 1, "Idle — "), what)

    def test_under_mutter_each_key_motion_click_or_scroll_while_armed_locks_once(self):
        with Desktop(BINARY, HELPER) as desk:
            mutter = self.start(desk, Mutter, "org.gnome.Mutter.IdleMonitor")
            for locks, kind in enumerate(["key", "motion", "click", "scroll"]):
                wait_for(lambda: self.verb(desk, "arm") or desk.status_line().startswith("Arming…"), 5, "arming")
                desk.wait_for_status(ARMED, timeout=GRACE + 5)
                mutter.touch(kind)
                self.locks_once(desk, locks, kind)

    def test_under_mutter_a_custom_shortcut_running_cendrel_toggle_is_the_shortcut(self):
        # GNOME's own locker is there: nothing is worth a notice.
        with Desktop(BINARY, HELPER, screensaver=["org.gnome.ScreenSaver:lock"]) as desk:
            Mutter(desk)
            # GNOME's Settings keep it in GSettings; here in GIO's key file.
            settings = os.path.join(desk.config, "glib-2.0", "settings")
            media = "org/gnome/settings-daemon/plugins/media-keys"
            os.makedirs(settings)
            Path(settings, "keyfile").write_text(
                "[%s]\ncustom-keybindings=['/%s/custom-keybindings/c0/']\n[%s/custom-keybindings/c0]\n"
                "binding='<Super><Alt>l'\ncommand='%s --toggle'\n" % (media, media, media, BINARY))
            desk.env["GSETTINGS_BACKEND"] = "keyfile"
            desk.launch()
            desk.wait_for_status("Idle — press Super+Alt+L to arm")
            self.assertEqual(desk.notifications(), [])

    def arm(self, desk):
        self.verb(desk, "arm")
        desk.wait_for_status(ARMED, timeout=GRACE + 5)

    def test_each_touch_while_armed_locks_once_and_one_in_the_grace_period_does_not(self):
        # swaylock finding the screen locked already: login1's Lock locks.
        with Desktop(BINARY, HELPER, lockers=["swaylock=1"]) as desk:
            sway = self.start(desk)
            for locks, kind in enumerate(["key", "motion", "click", "scroll"]):
                # The touch that locked keeps a request to arm away for a second.
                wait_for(lambda: self.verb(desk, "arm") or desk.status_line().startswith("Arming…"), 5, "arming")
                sway.touch(kind)
                desk.wait_for_status(ARMED, timeout=GRACE + 5)
                if locks == 0:
                    time.sleep(PROBES)
                    self.assertEqual((desk.lock_count(), desk.status_line()), (0, ARMED), "untouched, it stays armed")
                sway.touch(kind)
                self.locks_once(desk, locks, kind)
                sway.touch(kind)
                time.sleep(QUIET)
                self.assertEqual(desk.lock_count(), locks + 1, "idle again: nothing watches")

    def test_shortcut_bound_in_sway_is_told_of_nowhere_arms_and_pressed_while_armed_locks_once(self):
        with Desktop(BINARY, HELPER, lockers=["swaylock=1"]) as desk:
            # A portal that binds nothing: the config's binding is the shortcut.
            desk._start_service(["portal", desk.session_bus, os.path.join(desk.dir, "portal.log")])
            desk._bus().get_object("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop").Refuse(
                dbus_interface="org.cendrel.Test")
            sway = self.start(desk)
            desk.wait_for_status("Idle — press Mod1+Mod4+l to arm")
            self.assertEqual(desk.menu_items()[5]["label"], "Arm Shortcut:  Mod1+Mod4+l")
            time.sleep(QUIET)
            self.assertEqual(desk.notifications(), [])
            sway.press_shortcut()
            desk.wait_for_status("Arming…")
            desk.wait_for_status(ARMED, timeout=GRACE + 5)
            # The press is input, seen before the command it starts arrives.
            sway.press_shortcut()
            self.locks_once(desk, 0, "the shortcut")

    def test_portal_binds_the_stored_shortcut_its_trigger_is_shown_and_each_activation_toggles(self):
        with Desktop(BINARY, HELPER) as desk:
            triggers = os.path.join(desk.dir, "portal.log")
            desk._start_service(["portal", desk.session_bus, triggers])
            self.start(desk, lambda shown: Sway(shown, bound=False))
            desk.wait_for_status("Idle — press ALT+LOGO+l (assigned) to arm")
            self.assertEqual(desk.menu_items()[5]["label"], "Arm Shortcut:  ALT+LOGO+l (assigned)")
            self.assertEqual(Path(triggers).read_text(), "ALT+LOGO+l\n")
            portal = desk._bus().get_object("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop")
            for status in ("Arming…", "Idle — press"):
                portal.Press(dbus_interface="org.cendrel.Test")
                desk.wait_for_status(status, timeout=5)
            # A new shortcut asks for a new session, which the desktop refuses; the old one is closed.
            portal.Refuse(dbus_interface="org.cendrel.Test")
            desk.click_menu("Change Shortcut…")
            wait_for(lambda: desk.focused_window() in desk.window_ids("Set Lock Shortcut", visible=True), 5, "panel")
            desk.xdotool("key", "ctrl+shift+k")
            refused = "Cendrel: failed to register hotkey (the shortcuts portal refused a session, response 1)"
            wait_for(lambda: refused in desk.log_lines(), 5, "the refusal logged")
            with open(triggers) as text:
                self.assertEqual(text.read(), "ALT+LOGO+l\nclosed 1\n")

    def test_a_binding_the_portal_kept_is_used_without_binding_anew(self):
        with Desktop(BINARY, HELPER) as desk:
            triggers = os.path.join(desk.dir, "portal.log")
            desk._start_service(["portal", desk.session_bus, triggers])
            desk._bus().get_object("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop").Keep(
                "Meta+F12", dbus_interface="org.cendrel.Test")
            self.start(desk, Sway)  # whose config binds the command too: the portal's key wins
            desk.wait_for_status("Idle — press Meta+F12 to arm")
            self.assertFalse(os.path.exists(triggers), "nothing bound anew")

    # Under `compositor`, with login1 accepting Lock and never showing it
    # locked, and stand-ins for `lockers` first on the PATH, each recording
    # how it was run and exiting 0: arms and touches once.
    def lock_by_touch(self, desk, lockers=(), compositor=Sway, mechanism="org_kde_kwin_idle"):
        for name in lockers:
            desk.stand_in(name)
        shown = self.start(desk, compositor, mechanism)
        self.arm(desk)
        shown.touch("key")
        # swaylock may lock before login1's connection is even up.
        wait_for(lambda: desk.lock_count() > 0 or os.path.exists(os.path.join(desk.dir, "ran")), 5, "a lock")
        return shown

    def test_swaylock_is_run_with_f_where_login1_shows_no_lock_and_its_exit_is_the_evidence(self):
        with Desktop(BINARY, HELPER, login1="nolistener") as desk:
            self.lock_by_touch(desk, ["swaylock", "hyprlock"])
            time.sleep(DEADLINE + QUIET)  # nothing must come, however late
            self.assertEqual(Path(desk.dir, "ran").read_text().splitlines(), ["swaylock -f"])
            self.assertEqual((desk.lock_count(), desk.notifications()), (1, []))

    def test_without_a_locker_the_owner_is_told_before_arming_and_the_display_is_off_until_the_next_touch(self):
        for compositor, mechanism, tried in ((Sway, "org_kde_kwin_idle", ["swaylock -f", "hyprlock"]),
                                             (Mutter, "org.gnome.Mutter.IdleMonitor", [])):
            with Desktop(BINARY, HELPER, login1="nolistener") as desk:
                shown = self.lock_by_touch(desk, (), compositor, mechanism)
                wait_for(lambda: TOLD in desk.notifications(), DEADLINE + 3, "the owner told")
                self.assertEqual(desk.notifications()[0].split("|")[1], "Cendrel found no screen locker")
                lines = desk.log_lines()
                self.assertEqual(lines[1:3], ["Cendrel: no screen locker found; a touch will only switch the display "
                                              "off", "Cendrel: could not start %s, falling back" % tried[0]]
                                 if tried else lines[1:3])
                self.assertIn("Cendrel: login1 Lock accepted, but nothing shows the screen locked; going on", lines)
                self.assertEqual(lines[-1], "Cendrel: only the display is off; the screen is NOT locked")
                self.assertEqual(shown.power(), "off")
                if compositor is Mutter:
                    shown.touch("key")
                else:
                    # Blind, the watch that only wakes the display wakes it, and locks nothing.
                    inhibitor = shown.inhibit()
                wait_for(lambda: shown.power() == "on", 5, "the display on again")
                if compositor is Sway:
                    self.assertEqual((desk.log_lines()[-1], desk.lock_count()),
                                     ("Cendrel: lost sight of input: " + SILENCED, 1))
                    inhibitor.stdin.close()

    def test_inhibitor_or_dead_compositor_locks_while_armed_and_arming_is_refused_until_input_can_be_seen(self):
        with Desktop(BINARY, HELPER) as desk:
            sway = self.start(desk)
            self.arm(desk)
            inhibitor = sway.inhibit()
            wait_for(lambda: desk.lock_count() > 0, 5, "a Lock call")
            self.assertIn("Cendrel: lost sight of input: " + SILENCED + "; locking", desk.log_lines())
            refused = "Idle — cannot arm: " + SILENCED
            wait_for(lambda: self.verb(desk, "arm") or desk.status_line().startswith(refused), 5, refused)
            inhibitor.stdin.close()
            inhibitor.wait(5)
            self.arm(desk)
            self.assertEqual(desk.lock_count(), 1)
            # A compositor that dies while armed.
            os.killpg(sway.process.pid, signal.SIGKILL)
            wait_for(lambda: desk.lock_count() > 1, 5, "a Lock call")
            self.assertIn("Cendrel: lost sight of input: the connection to the compositor closed; locking",
                          desk.log_lines())
            # Asked again until the touch that locked is long enough ago to arm.
            refused = "Idle — cannot arm: the connection to the compositor closed, so input cannot be seen"
            wait_for(lambda: self.verb(desk, "arm") or desk.status_line().startswith(refused), 10, refused)
            self.assertEqual(desk.lock_count(), 2)
            self.assertIsNone(desk.app.poll())


if __name__ == "__main__":
    run_script(globals(), "helper", "wayland_helper")
