#!/usr/bin/python3
# End-to-end tests of the cendrel binary on a private X server.
#
# test_cendrel.py --binary PATH --helper PATH [unittest names...]
import contextlib
import os
from pathlib import Path
import select
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SCREEN, Desktop, read_line, run_script, wait_for, without_tray  # noqa: E402

BINARY = None
HELPER = None

GRACE = 2.0
# How long "nothing happens" is watched: a dozen pointer polls.
QUIET = 0.5

CENTRE = (SCREEN[0] // 2, SCREEN[1] // 2)
X_CONTROL_SHIFT = 0x04 | 0x01
X_KEYCODE_J, X_KEYCODE_K = 44, 45
PANEL = "Set Lock Shortcut"
ENTRY = "org.cendrel.Cendrel"
NOT_LOCKED = "Cendrel: could not put the display to sleep either; the screen is NOT locked"
TOLD = ("Cendrel|Cendrel could not lock the screen|"
        "Neither the session lock nor the display sleep worked. Lock the screen yourself.")


class CendrelEndToEnd(unittest.TestCase):
    def desktop(self, **options):
        # An X desktop with xdg-screensaver installed and no screen saver it
        # could lock with: a locker is found, and a lock falls through it.
        return Desktop(BINARY, HELPER, **dict({"lockers": ["xdg-screensaver=1"]}, **options))

    def assert_locks_once(self, desk, *touch):
        locks = desk.lock_count()
        desk.xdotool(*touch)
        wait_for(lambda: desk.lock_count() > locks, 5, "a Lock call")
        time.sleep(QUIET)
        self.assertEqual((desk.lock_count(), desk.status_line()[:13]), (locks + 1, "Idle — press "))

    def failed_lock(self, desk, *touch, limit=5):
        # Arms, touches, and gives the log lines of a lock that did not
        # happen (Xvfb cannot even switch the display off), once the owner has
        # been told, which must take no longer than `limit`.
        lines, told = len(desk.log_lines()), len(desk.notifications())
        desk.arm_and_touch(touch, lambda: len(desk.notifications()) > told, "a notification", limit)
        self.assertEqual(desk.notifications()[told:], [TOLD])
        self.assertEqual(desk.log_lines()[-1], NOT_LOCKED)
        return desk.log_lines()[lines:]

    def open_panel(self, desk):
        desk.click_menu("Change Shortcut…")
        wait_for(lambda: desk.focused_window() in desk.window_ids(PANEL, visible=True), 5, "the focused panel")

    def panel_closes(self, desk):
        wait_for(lambda: not desk.window_ids(PANEL, visible=True), 5, "the panel to close")

    def labels(self, desk):
        return [item["label"] for item in desk.menu_items()]

    # -- arming --------------------------------------------------------------

    def test_held_hot_key_arms_once_and_the_tray_names_each_state_icon(self):
        with self.desktop(launch=True) as desk:
            wait_for(lambda: desk.tray_property("IconName") == "cendrel-idle-symbolic", 5, "the idle icon's name")
            desk.xdotool("keydown", "super+alt+l")
            # Held past the server's auto-repeat delay (660 ms), so it repeats.
            time.sleep(1.2)
            desk.xdotool("keyup", "super+alt+l")
            self.assertTrue(desk.status_line().startswith("Arming… take your hand off"), desk.status_line())
            wait_for(lambda: desk.tray_property("IconName") == "cendrel-arming-symbolic", 5, "the arming icon")
            desk.wait_for_status("● Armed — any input will lock", timeout=GRACE + 5)
            wait_for(lambda: desk.tray_property("IconName") == "cendrel-armed-symbolic", 5, "the armed icon")
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Idle")
            self.assertEqual(desk.lock_count(), 0)

    def test_input_in_the_grace_period_releases_modifiers_and_small_drift_do_not_lock(self):
        with self.desktop(launch=True) as desk:
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            desk.xdotool("mousemove", CENTRE[0] + 300, CENTRE[1] + 200, "click", 3, "keydown", "a", "mousedown", 1)
            desk.wait_for_status("● Armed", timeout=GRACE + 5)
            # Released once armed: releases are no input. The baseline is where
            # the pointer rests at the end of the grace period.
            desk.xdotool("keyup", "a", "mouseup", 1, "key", "shift", "ctrl", "alt", "super", "Caps_Lock", "Caps_Lock")
            # XTEST moves, as a hand on a mouse makes: 42.4 points from the
            # baseline, under the 45.3 allowed (3 % of 1280x800's diagonal).
            desk.xdotool("mousemove_relative", "--", 30, -30)
            time.sleep(QUIET)
            self.assertEqual((desk.status_line()[:7], desk.lock_count()), ("● Armed", 0))
            desk.xdotool("mousemove_relative", "--", 3, -3)  # 46.7: beyond
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")

    # -- each watched input locks exactly once -----------------------------

    def test_each_watched_input_locks_once(self):
        with self.desktop(launch=True) as desk:
            for touch in (["click", 1], ["click", 3], ["click", 5], ["key", "a"],
                          ["mousemove", CENTRE[0] + 40, CENTRE[1] + 40]):
                with self.subTest(touch=touch):
                    desk.arm()
                    self.assert_locks_once(desk, *touch)
            self.assertEqual((desk.log_lines(), desk.notifications()), ([], []))

    def test_a_click_on_the_icon_while_armed_locks_and_shows_no_menu(self):
        with self.desktop(launch=True) as desk:
            desk.arm()
            maps = desk.other_window()
            desk.click_icon()
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")
            time.sleep(QUIET)
            self.assertEqual(select.select([maps.stdout], [], [], 0)[0], [], "a window was mapped")
            desk.click_icon()  # idle: the menu opens
            self.assertEqual(read_line(maps.stdout, 5, "the map watcher"), "mapped")

    def test_drift_locks_on_the_move_itself_on_a_warp_and_under_an_open_menu(self):
        with self.desktop(launch=True) as desk:
            # Armed a moment ago, so the first look for warps, two seconds after
            # arming, is far off: a Lock this soon came from the raw motion.
            desk.arm()
            desk.xdotool("mousemove_relative", "--", 60, 0)
            wait_for(lambda: desk.lock_count() == 1, 1.0, "a Lock call before any look for warps")
            desk.wait_for_status("Idle — press ")
            time.sleep(QUIET)
            desk.arm()
            # Past the first look (two seconds after arming): the looks go on.
            time.sleep(2.2)
            # An absolute xdotool move warps the pointer, which makes no raw motion.
            desk.xdotool("mousemove", CENTRE[0] + 60, CENTRE[1])
            wait_for(lambda: desk.lock_count() == 2, 5, "a Lock call")
            desk.wait_for_status("Idle — press ")
            time.sleep(QUIET)
            desk.arm()
            desk.open_menu()
            desk.xdotool("mousemove", CENTRE[0] + 100, CENTRE[1])
            wait_for(lambda: desk.lock_count() == 3, 5, "a Lock call with the menu open")
            desk.close_menu()

    def test_hot_key_while_armed_disarms_without_lock_even_after_a_released_shift_or_with_num_lock_or_caps_lock_on(self):
        with self.desktop(launch=True) as desk:
            # What is pressed before arming, and while armed, before the hot key:
            # last, armed with Caps Lock on, and disarmed with Num Lock on too.
            for before, during in (([], []), ([], ["shift"]), ([], ["ctrl", "super"]), (["Num_Lock"], []),
                                   ([], ["Num_Lock"]), (["Caps_Lock"], ["Num_Lock"])):
                with self.subTest(before=before, during=during):
                    for key in before:
                        desk.xdotool("key", key)
                    desk.arm()
                    for key in during:
                        desk.xdotool("key", key)
                    desk.xdotool("key", "super+alt+l")
                    desk.wait_for_status("Idle — press ")
            # Disarmed, so input is no longer watched.
            desk.xdotool("click", 1)
            time.sleep(QUIET)
            self.assertEqual((desk.lock_count(), desk.log_lines()), (0, []))

    def test_stored_shortcut_with_caps_lock_works_only_with_caps_lock_on(self):
        # Super and the key at G's position, stored with Caps Lock (0x500).
        with self.desktop(preferences=b"[General]\nshortcut.keyCode=5\nshortcut.carbonModifiers=1280\n",
                          launch=True) as desk:
            desk.xdotool("key", "super+g")
            time.sleep(QUIET)
            self.assertEqual(desk.status_line(), "Idle — press Super+G to arm")
            desk.xdotool("key", "Caps_Lock")
            desk.xdotool("key", "super+g")
            desk.wait_for_status("Arming…")

    def test_layout_change_reaches_the_shortcut_text(self):
        # Alt+Super and the key at Z's position, which types Y in a German
        # layout and W in a French one.
        prefs = b"[General]\nshortcut.keyCode=6\nshortcut.carbonModifiers=2304\n"
        with self.desktop(preferences=prefs, launch=True) as desk:
            self.assertIn("Arm Shortcut:  Alt+Super+Z", self.labels(desk))
            # The menu is built again at each change of state. Last, two layouts
            # with the second in use: the text follows the one in use.
            for layout, group, letter, toggle in (("de", 0, "Y", "Arm Now"), ("fr", 0, "W", "Disarm"),
                                                  ("us,de", 1, "Y", "Arm Now")):
                with self.subTest(layout=layout):
                    subprocess.run(["setxkbmap", "-layout", layout], env=desk.env, check=True, timeout=10)
                    subprocess.run([HELPER, "group", str(group)], env=desk.env, check=True, timeout=10)
                    desk.click_menu(toggle)
                    wait_for(lambda: "Arm Shortcut:  Alt+Super+" + letter in self.labels(desk), 5,
                             "the shortcut written in %s" % layout)

    # -- the lock, its fallback and the notices -------------------------------

    def test_lock_falls_back_on_a_frozen_bus_or_refusing_or_missing_login1_and_tells_the_owner_in_one_notice(self):
        with self.desktop(launch=True) as desk:
            desk.freeze_system_bus()
            lines = self.failed_lock(desk, "click", 1, limit=1.6)
            # No screen saver answers either.
            self.assertEqual(lines[:2], ["Cendrel: could not reach login1, falling back",
                                         "Cendrel: could not reach the screen saver, falling back"])
            desk.wait_for_status("Idle — press ", timeout=1)
            for login1, line in (("refuse", "Cendrel: login1 Lock failed, falling back"),
                                 (None, "Cendrel: could not reach login1, falling back")):
                desk.restart_system_bus(login1)
                self.assertEqual(self.failed_lock(desk, "key", "space")[0], line)
            second = subprocess.run([BINARY], env=desk.env, capture_output=True, text=True, timeout=15)
            self.assertEqual((second.returncode, second.stderr), (0, "cendrel: Cendrel is already running\n"))
            self.assertEqual(desk.notifications()[-1].split("|")[1], "Cendrel is already running")
            # number, number replaced, icon, urgency, desktop entry: notices of
            # one subject replace each other; only the unlocked screen is critical.
            self.assertEqual(desk.notification_numbers(), ["1 0 cendrel 2 " + ENTRY, "1 1 cendrel 2 " + ENTRY,
                                                           "1 1 cendrel 2 " + ENTRY, "4 0 cendrel 1 " + ENTRY])
            # Each shows the padlock itself, whatever the icon theme has.
            self.assertEqual(Path(desk.notify_log + ".images").read_text().split(), ["64x64/256/alpha"] * 4)
            desk.restart_system_bus()
            desk.arm()
            self.assert_locks_once(desk, "click", 1)

    def test_help_version_and_unknown_arguments_need_no_display(self):
        for arguments, status, out, err in ((["--help"], 0, "Usage: cendrel", ""), (["-h"], 0, "Usage: cendrel", ""),
                                            (["--version"], 0, "cendrel 1.", ""),
                                            (["--bogus"], 2, "", "unrecognised command line: --bogus\n"),
                                            (["--arm", "--disarm"], 2, "", "line: --arm --disarm\n"),
                                            (["-h", "-x"], 2, "", "unrecognised command line: -h -x\n")):
            result = subprocess.run([BINARY] + arguments, env={}, capture_output=True, text=True, timeout=10)
            self.assertEqual(result.returncode, status, arguments)
            self.assertTrue(result.stdout.startswith(out) and err in result.stderr, result)
            self.assertEqual("Usage: cendrel" in result.stderr, status == 2, result)

    def test_unread_or_closed_stderr_neither_holds_nor_ends_the_guard(self):
        with self.desktop(login1=None) as desk:
            # Started with no stderr at all: it is /dev/null from the start, so
            # no later descriptor takes its number.
            desk.launch(stderr="closed")
            self.assertEqual(os.readlink("/proc/%d/fd/2" % desk.app.pid), "/dev/null")
            self.assertEqual(desk.quit(), 0)
            for reader_gone in (False, True):
                read_end, write_end = os.pipe()
                if reader_gone:
                    # With room in it, so the log lines are written (and
                    # fail) rather than dropped for want of room.
                    os.close(read_end)
                else:
                    os.set_blocking(write_end, False)
                    with contextlib.suppress(BlockingIOError):
                        while True:  # until full
                            os.write(write_end, b"x" * 4096)
                    os.set_blocking(write_end, True)
                desk.launch(stderr=write_end)
                os.close(write_end)
                told = len(desk.notifications())
                desk.arm_and_touch(["click", 1], lambda: len(desk.notifications()) > told, "the notification")
                desk.wait_for_status("Idle — press ")
                self.assertEqual(desk.quit(), 0)
                if not reader_gone:
                    os.close(read_end)

    def test_each_verb_fails_without_a_running_instance_then_acts_on_it_and_never_locks(self):
        # `cendrel --toggle`, `--arm` and `--disarm` act on the running
        # instance over its session-bus name, with no display needed.
        with self.desktop() as desk:
            env = {key: value for key, value in desk.env.items() if key != "DISPLAY"}

            def verb(name, env=env):
                result = subprocess.run([BINARY, "--" + name], env=env, capture_output=True, text=True, timeout=15)
                return result.returncode, result.stderr
            for name in ("toggle", "arm", "disarm"):
                self.assertEqual(verb(name), (1, "cendrel: Cendrel is not running\n"), name)
            no_bus = dict({key: value for key, value in env.items() if key != "DBUS_SESSION_BUS_ADDRESS"},
                          XDG_RUNTIME_DIR=os.path.join(desk.dir, "nowhere"))
            self.assertEqual(verb("toggle", no_bus),
                             (1, "cendrel: no session bus, so no running Cendrel can be reached\n"))
            desk.launch()
            for name, status in [("arm", "Arming…"), ("arm", "Arming…"), ("toggle", "Idle — "), ("disarm", "Idle — "),
                                 ("toggle", "● Armed — any input will lock"), ("arm", "● Armed"), ("toggle", "Idle — ")]:
                self.assertEqual(verb(name), (0, ""), name)
                desk.wait_for_status(status, timeout=GRACE + 5)
            self.assertEqual((desk.lock_count(), desk.notifications(), desk.app.poll()), (0, [], None))

    def test_without_a_tray_the_owner_is_told_how_to_arm_and_the_command_still_arms(self):
        with self.desktop() as desk:
            without_tray(desk)
            desk.launch(wait=False)
            self.assertEqual(wait_for(desk.notifications, 15, "a notice"), [
                "Cendrel|Cendrel has no icon in the panel|Press Alt+Super+L or run cendrel --toggle to arm or disarm "
                "it. Its icon and menu need a tray in the panel: on GNOME, the AppIndicator extension."])
            result = subprocess.run([BINARY, "--arm"], env=desk.env, capture_output=True, text=True, timeout=15)
            self.assertEqual((result.returncode, result.stderr), (0, ""))

    # -- the stored shortcut and the recorder ----------------------------------

    def test_stored_shortcut_held_elsewhere_is_tried_again_and_the_recorder_keeps_one_it_cannot_have_or_store(self):
        # Control+Shift+K stored (the key at K's position, Carbon control|shift),
        # held by another client at launch; Control+Shift+J held throughout.
        prefs = b"[General]\nshortcut.keyCode=40\nshortcut.carbonModifiers=4608\n"
        with self.desktop(preferences=prefs) as desk:
            holder = desk.hold_grab(X_KEYCODE_J, X_CONTROL_SHIFT)
            first = desk.hold_grab(X_KEYCODE_K, X_CONTROL_SHIFT)
            desk.launch(wait=False)
            desk.wait_for_status("Idle — Ctrl+Shift+K is not active, use Arm Now", timeout=15)
            self.assertEqual(desk.log_lines(), ["Cendrel: failed to register hotkey "
                                                "(another program already holds this key combination)"])
            first.stdin.close()
            first.wait(5)
            desk.open_menu()
            desk.wait_for_status("Idle — press Ctrl+Shift+K to arm")
            desk.close_menu()
            desk.xdotool("key", "super+alt+l")
            time.sleep(QUIET)
            self.assertTrue(desk.status_line().startswith("Idle"), "the default is not registered")
            # Held elsewhere as the panel opens, the keyboard is taken once
            # it is let go.
            keyboard = desk.hold_keyboard()
            time.sleep(QUIET)
            self.open_panel(desk)
            keyboard.kill()
            keyboard.wait(5)
            time.sleep(QUIET)
            # No modifier; held by another client: the recorder holds the
            # keyboard, so the press reaches it, not the holder, and is refused.
            for refused in ("k", "ctrl+shift+j"):
                desk.xdotool("key", refused)
                time.sleep(QUIET)
                self.assertTrue(desk.window_ids(PANEL, visible=True), refused)
            self.assertEqual(select.select([holder.stdout], [], [], 0)[0], [], "the holder took the press")
            desk.xdotool("key", "Escape")
            self.panel_closes(desk)
            desk.xdotool("key", "ctrl+shift+j")  # the keyboard is let go
            self.assertEqual(read_line(holder.stdout, 5, "the holder"), "pressed")
            desk.xdotool("key", "ctrl+shift+k")
            desk.wait_for_status("Arming…")
            desk.xdotool("key", "ctrl+shift+k")
            desk.wait_for_status("Idle — press Ctrl+Shift+K to arm")
            # The shortcut as stored; beside it, a digest of the advice told.
            stored = Path(desk.preferences_path).read_text().split()
            self.assertEqual(sorted(line for line in stored if not line.startswith("notices.")),
                             sorted(prefs.decode().split()))
            os.remove(desk.preferences_path)
            os.mkdir(desk.preferences_path)  # nothing can be stored there
            self.open_panel(desk)
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Idle — press Alt+Super+L to arm")
            alert = wait_for(lambda: desk.window_ids("Cendrel", visible=True), 5, "the alert")
            self.assertEqual(desk.log_lines()[-1],
                             "Cendrel: could not save the shortcut; it will be forgotten when Cendrel quits")
            wait_for(lambda: desk.focused_window() in alert, 5, "the alert to take the focus")
            desk.xdotool("key", "Return")
            wait_for(lambda: not desk.window_ids("Cendrel", visible=True), 5, "the alert to close")
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            # The old combination is free again.
            desk.hold_grab(X_KEYCODE_K, X_CONTROL_SHIFT).stdin.close()

    def test_recorder_takes_the_current_shortcut_and_its_panel_locks_on_input_while_armed(self):
        with self.desktop(launch=True) as desk:
            for touch in (["key", "a"], ["click", 1]):
                desk.arm()  # leaves the pointer where the panel opens
                self.open_panel(desk)
                self.assert_locks_once(desk, *touch)
                self.panel_closes(desk)
            self.open_panel(desk)
            # Shift alone with a letter would take its capital from every program.
            desk.xdotool("key", "shift+a")
            # Once another window has the focus, what is typed goes there.
            other = desk.other_window()
            desk.xdotool("windowfocus", desk.window_ids("Other")[0])
            wait_for(lambda: desk.xdotool("key", "b") or select.select([other.stdout], [], [], 0.2)[0], 5,
                     "a key typed into the other window")
            self.assertTrue(desk.window_ids(PANEL, visible=True), "shift+a was refused")
            desk.xdotool("key", "super+alt+l")  # recorded, not taken as the hot key
            self.panel_closes(desk)
            time.sleep(QUIET)
            self.assertTrue(desk.status_line().startswith("Idle — press Alt+Super+L"), desk.status_line())
            self.assertIn("shortcut.keyCode=37\n", Path(desk.preferences_path).read_text())

    def test_tray_menu_entries_lock_now_launch_at_login_one_icon_and_quit(self):
        with self.desktop(launch=True) as desk:
            # What the core's menu says is the core's business; here, what a
            # host is told of it.
            items = desk.menu_items()
            self.assertEqual(sum(item["separator"] for item in items), 4)
            self.assertEqual([item["label"] for item in items if not item["enabled"]][:1],
                             ["Idle — press Alt+Super+L to arm"])
            desk.click_menu("Lock Screen Now")
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")
            entry = os.path.join(desk.config, "autostart", ENTRY + ".desktop")
            desk.click_menu("Launch at Login")
            wait_for(lambda: os.path.exists(entry) and desk.menu_item("Launch at Login")["checked"], 5, "both")
            # Installed, a copy of the package's desktop entry; else the path.
            installed = os.path.join(os.path.dirname(BINARY), "..", "share", "applications", ENTRY + ".desktop")
            if os.path.exists(installed):
                self.assertEqual(Path(entry).read_text(), Path(installed).read_text())
            else:
                self.assertIn('Exec="%s"\n' % os.path.realpath(BINARY), Path(entry).read_text())
            desk.click_menu("Launch at Login")
            wait_for(lambda: not os.path.exists(entry) and not desk.menu_item("Launch at Login")["checked"], 5,
                     "the entry and its check mark to go")
            self.assertEqual(len(Path(desk.watcher_log).read_text().splitlines()), 1, "one icon")
            self.assertEqual(desk.quit(), 0)


if __name__ == "__main__":
    run_script(globals(), "helper")
