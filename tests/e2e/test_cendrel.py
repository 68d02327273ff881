#!/usr/bin/python3
"""End-to-end tests of the cendrel binary on a private X server.

    test_cendrel.py --binary PATH --helper PATH [unittest names...]
"""
import argparse
import math
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SCREEN, Desktop, wait_for  # noqa: E402

BINARY = None
HELPER = None

GRACE = 2.0
THRESHOLD = 0.03 * math.hypot(*SCREEN)  # 45.3 points on 1280x800
# How long "nothing happens" is watched: a dozen pointer polls.
QUIET = 0.5

CENTRE = (SCREEN[0] // 2, SCREEN[1] // 2)
X_SUPER_ALT = 0x40 | 0x08
X_KEYCODE_L = 46


class CendrelEndToEnd(unittest.TestCase):
    def desktop(self, **options):
        return Desktop(BINARY, HELPER, **options)

    def arm(self, desk):
        desk.xdotool("mousemove", *CENTRE)
        desk.xdotool("key", "super+alt+l")
        desk.wait_for_status("Arming…")
        desk.wait_for_status("● Armed — any input will lock", timeout=GRACE + 5)

    def assert_locks_once(self, desk, action):
        self.arm(desk)
        action()
        wait_for(lambda: desk.lock_count() >= 1, 5, "a Lock call")
        desk.wait_for_status("Idle — press ")
        time.sleep(QUIET)
        self.assertEqual(desk.lock_count(), 1)
        self.assertEqual(desk.log_lines(), [])
        self.assertEqual(desk.xset_calls(), [])

    def assert_stays_armed(self, desk):
        time.sleep(QUIET)
        self.assertTrue(desk.status_line().startswith("● Armed"), desk.status_line())
        self.assertEqual(desk.lock_count(), 0)

    # -- arming --------------------------------------------------------------

    def test_default_hot_key_arms(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming… take your hand off the trackpad")
            self.assertEqual(desk.menu_items()[2]["label"], "Disarm")
            started = time.monotonic()
            desk.wait_for_status("● Armed — any input will lock", timeout=GRACE + 5)
            self.assertGreater(time.monotonic() - started, GRACE - 0.5)
            self.assertEqual(desk.lock_count(), 0)

    def test_held_hot_key_toggles_once(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("keydown", "super+alt+l")
            # Held past the server's auto-repeat delay (660 ms), so it repeats.
            time.sleep(1.2)
            desk.xdotool("keyup", "super+alt+l")
            self.assertTrue(desk.status_line().startswith("Arming…"), desk.status_line())
            desk.wait_for_status("● Armed", timeout=GRACE + 5)

    def test_input_during_grace_period_does_not_lock(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("mousemove", *CENTRE)
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            desk.xdotool("mousemove", CENTRE[0] + 300, CENTRE[1] + 200)
            desk.xdotool("click", 3)
            desk.xdotool("keydown", "a", "mousedown", 1)
            desk.wait_for_status("● Armed", timeout=GRACE + 5)
            # Released once armed: releases are no input. The baseline is where
            # the pointer rests at the end of the grace period.
            desk.xdotool("keyup", "a", "mouseup", 1)
            self.assert_stays_armed(desk)

    # -- each watched input locks exactly once -----------------------------

    def test_left_click_locks_once(self):
        with self.desktop() as desk:
            desk.launch()
            self.assert_locks_once(desk, lambda: desk.xdotool("click", 1))

    def test_right_click_locks_once(self):
        with self.desktop() as desk:
            desk.launch()
            self.assert_locks_once(desk, lambda: desk.xdotool("click", 3))

    def test_scroll_locks_once(self):
        with self.desktop() as desk:
            desk.launch()
            self.assert_locks_once(desk, lambda: desk.xdotool("click", 5))

    def test_key_press_locks_once(self):
        with self.desktop() as desk:
            desk.launch()
            self.assert_locks_once(desk, lambda: desk.xdotool("key", "a"))

    def test_drift_beyond_threshold_locks_once(self):
        with self.desktop() as desk:
            desk.launch()
            self.assert_locks_once(desk, lambda: desk.xdotool("mousemove", CENTRE[0] + 40, CENTRE[1] + 40))

    def test_drift_within_threshold_does_not_lock(self):
        with self.desktop() as desk:
            desk.launch()
            self.arm(desk)
            # 42.4 points from the baseline, under the 45.3 allowed.
            desk.xdotool("mousemove", CENTRE[0] + 30, CENTRE[1] - 30)
            self.assert_stays_armed(desk)
            desk.xdotool("mousemove", CENTRE[0] + 33, CENTRE[1] - 33)  # 46.7: beyond
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")

    def test_hot_key_while_armed_disarms_without_lock(self):
        with self.desktop() as desk:
            desk.launch()
            self.arm(desk)
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Idle — press ")
            time.sleep(QUIET)
            self.assertEqual(desk.lock_count(), 0)
            self.assertEqual(desk.xset_calls(), [])
            # Disarmed, so input is no longer watched.
            desk.xdotool("click", 1)
            time.sleep(QUIET)
            self.assertEqual(desk.lock_count(), 0)

    def test_modifier_key_alone_does_not_lock(self):
        with self.desktop() as desk:
            desk.launch()
            self.arm(desk)
            for modifier in ("shift", "ctrl", "alt", "super", "Caps_Lock", "Caps_Lock"):
                desk.xdotool("key", modifier)
            self.assert_stays_armed(desk)
            # The watch is live: an ordinary key does lock.
            desk.xdotool("key", "a")
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")

    # -- the lock and its fallback -------------------------------------------

    def test_without_login_manager_falls_back_to_xset(self):
        with self.desktop(login1=None) as desk:
            desk.launch()
            self.arm(desk)
            desk.xdotool("click", 1)
            calls = wait_for(desk.xset_calls, 5, "the fallback command")
            self.assertEqual(len(calls), 1)
            self.assertIn("args: dpms force off\n", calls[0])
            # The lines were written before the command started; no screen saver answers either.
            lines = ["Cendrel: could not reach login1, falling back",
                     "Cendrel: could not reach the screen saver, falling back"]
            self.assertIn("\n".join(lines) + "\n", calls[0])
            self.assertEqual(desk.log_lines(), lines)

    def test_refused_lock_falls_back_to_xset(self):
        with self.desktop(login1="refuse") as desk:
            desk.launch()
            self.arm(desk)
            desk.xdotool("key", "space")
            calls = wait_for(desk.xset_calls, 5, "the fallback command")
            self.assertIn("args: dpms force off\n", calls[0])
            self.assertIn("Cendrel: login1 Lock failed, falling back\n", calls[0])
            self.assertEqual(desk.log_lines()[0], "Cendrel: login1 Lock failed, falling back")
            self.assertEqual(desk.lock_count(), 0)

    # -- the hot key and the stored shortcut ---------------------------------

    def test_hot_key_held_by_another_client_fails_to_register(self):
        with self.desktop() as desk:
            desk.hold_grab(X_KEYCODE_L, X_SUPER_ALT)
            desk.launch()
            line = "Cendrel: failed to register hotkey (another program already holds this key combination)"
            wait_for(lambda: desk.log_lines() == [line], 5, "the registration failure line alone")
            # Still running, and arming from the menu still works.
            desk.click_menu("Arm Now")
            desk.wait_for_status("Arming…")

    def test_hot_key_works_whatever_num_lock_and_caps_lock_say(self):
        with self.desktop() as desk:
            desk.launch()
            # Caps Lock on; then Num Lock on and Caps Lock off; then both on.
            for locks, status in ((["Caps_Lock"], "Arming…"), (["Caps_Lock", "Num_Lock"], "Idle"),
                                  (["Caps_Lock"], "Arming…")):
                desk.xdotool("key", *locks)
                desk.xdotool("key", "super+alt+l")
                desk.wait_for_status(status)

    def test_stored_shortcut_is_registered_at_start(self):
        # Control+Shift+K: the key at K's position, Carbon control|shift.
        prefs = b"[General]\nshortcut.keyCode=40\nshortcut.carbonModifiers=4608\n"
        with self.desktop(preferences=prefs) as desk:
            desk.launch()
            self.assertEqual(desk.status_line(), "Idle — press Ctrl+Shift+K to arm")
            desk.xdotool("key", "super+alt+l")
            time.sleep(QUIET)
            self.assertTrue(desk.status_line().startswith("Idle"), "the default is not registered")
            desk.xdotool("key", "ctrl+shift+k")
            desk.wait_for_status("Arming…")

    def test_corrupt_preferences_start_with_default_and_stay_untouched(self):
        garbage = b"\x89PNG\r\n\x1a\n\x00\x00[[[\xff\xfe shortcut.keyCode=5\n\x00\x01"
        with self.desktop(preferences=garbage) as desk:
            desk.launch()
            self.assertEqual(desk.status_line(), "Idle — press Alt+Super+L to arm")
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            self.assertEqual(desk.quit(), 0)
            with open(desk.preferences_path, "rb") as prefs:
                self.assertEqual(prefs.read(), garbage)

    # -- the run loop while the menu is open --------------------------------

    def test_open_menu_holds_the_grace_period_until_it_closes(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("mousemove", *CENTRE)
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            desk.open_menu()
            time.sleep(GRACE + 0.5)
            self.assertTrue(desk.status_line().startswith("Arming…"), desk.status_line())
            desk.close_menu()
            desk.wait_for_status("● Armed", timeout=2)

    def test_menu_never_said_closed_holds_the_grace_period_only_for_a_while(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("mousemove", *CENTRE)
            desk.prepare_menu()
            desk.xdotool("key", "super+alt+l")
            desk.wait_for_status("Arming…")
            desk.wait_for_status("● Armed", timeout=10)

    def test_pointer_poll_keeps_running_while_the_menu_is_open(self):
        with self.desktop() as desk:
            desk.launch()
            self.arm(desk)
            desk.open_menu()
            desk.xdotool("mousemove", CENTRE[0] + 100, CENTRE[1])
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call with the menu open")
            desk.close_menu()

    # -- the menu --------------------------------------------------------------

    def test_menu_lock_now_and_quit(self):
        with self.desktop() as desk:
            desk.launch()
            items = desk.menu_items()
            labels = [item["label"] for item in items if not item["separator"]]
            self.assertEqual(labels, ["Idle — press Alt+Super+L to arm", "Arm Now", "Lock Screen Now",
                                      "Arm Shortcut:  Alt+Super+L", "Change Shortcut…", "Launch at Login",
                                      "Quit Cendrel"])
            self.assertEqual(sum(item["separator"] for item in items), 4)
            self.assertFalse(items[0]["enabled"])
            quit_item = [item for item in items if item["label"] == "Quit Cendrel"][0]
            self.assertEqual(quit_item["shortcut"], [["Control", "Q"]])
            desk.click_menu("Lock Screen Now")
            wait_for(lambda: desk.lock_count() == 1, 5, "a Lock call")
            self.assertEqual(desk.quit(), 0)

    def test_recorded_shortcut_is_stored_and_registered(self):
        with self.desktop() as desk:
            desk.launch()
            desk.click_menu("Change Shortcut…")
            wait_for(lambda: desk.window_ids("Set Lock Shortcut"), 5, "the recorder panel")
            desk.xdotool("key", "k")  # no modifier: the panel stays and asks for one
            time.sleep(QUIET)
            self.assertTrue(desk.window_ids("Set Lock Shortcut", visible=True))
            desk.xdotool("key", "ctrl+shift+k")
            wait_for(lambda: "Arm Shortcut:  Ctrl+Shift+K" in [i["label"] for i in desk.menu_items()], 5,
                     "the new shortcut in the menu")
            self.assertFalse(desk.window_ids("Set Lock Shortcut", visible=True))
            with open(desk.preferences_path) as prefs:
                text = prefs.read()
            self.assertIn("shortcut.keyCode=40\n", text)
            self.assertIn("shortcut.carbonModifiers=4608\n", text)
            desk.xdotool("key", "ctrl+shift+k")
            desk.wait_for_status("Arming…")
            # The old combination is free again.
            desk.hold_grab(X_KEYCODE_L, X_SUPER_ALT).stdin.close()

    def test_clicking_and_typing_into_our_own_recorder_panel_while_armed_lock(self):
        with self.desktop() as desk:
            desk.launch()
            desk.xdotool("mousemove", *CENTRE)  # where the panel opens
            desk.click_menu("Change Shortcut…")
            wait_for(lambda: desk.focused_window() in desk.window_ids("Set Lock Shortcut"), 5, "the focused panel")
            for locks, touch in ((1, ["click", 1]), (2, ["key", "a"])):
                desk.open_menu()  # lifts the hold on arming from the menu that follows a lock
                desk.close_menu()
                desk.click_menu("Arm Now")
                desk.wait_for_status("● Armed", timeout=GRACE + 5)
                desk.xdotool(*touch)
                wait_for(lambda: desk.lock_count() == locks, 5, "a Lock call")

    def test_escape_closes_the_recorder_without_change(self):
        with self.desktop() as desk:
            desk.launch()
            desk.click_menu("Change Shortcut…")
            wait_for(lambda: desk.window_ids("Set Lock Shortcut", visible=True), 5, "the recorder panel")
            desk.xdotool("key", "Escape")
            wait_for(lambda: not desk.window_ids("Set Lock Shortcut", visible=True), 5, "the panel to hide")
            self.assertIn("Arm Shortcut:  Alt+Super+L", [i["label"] for i in desk.menu_items()])
            self.assertFalse(os.path.exists(desk.preferences_path))

    def test_launch_at_login_writes_autostart_entry(self):
        with self.desktop() as desk:
            desk.launch()
            entry = os.path.join(desk.config, "autostart", "cendrel.desktop")
            desk.click_menu("Launch at Login")
            wait_for(lambda: os.path.exists(entry), 5, "the autostart entry")
            with open(entry) as text:
                self.assertIn('Exec="%s"\n' % os.path.realpath(BINARY), text.read())
            wait_for(lambda: [i for i in desk.menu_items() if i["label"] == "Launch at Login"][0]["checked"], 5,
                     "the check mark")
            desk.click_menu("Launch at Login")
            wait_for(lambda: not os.path.exists(entry), 5, "the entry to go")


    def test_refused_launch_at_login_is_logged_and_shown(self):
        with self.desktop() as desk:
            # A plain file where the autostart directory should be: nothing can go in it.
            with open(os.path.join(desk.config, "autostart"), "w") as blocker:
                blocker.write("in the way\n")
            desk.launch()
            desk.click_menu("Launch at Login")
            line = wait_for(lambda: [l for l in desk.log_lines() if l.startswith("Cendrel: launch-at-login change failed: ")],
                            5, "the failure line")
            self.assertEqual(len(line), 1)
            self.assertIn("autostart", line[0])
            alert = wait_for(lambda: desk.window_ids("Cendrel", visible=True), 5, "the alert")
            wait_for(lambda: desk.focused_window() in alert, 5, "the alert to take the focus")
            desk.xdotool("key", "Return")
            wait_for(lambda: not desk.window_ids("Cendrel", visible=True), 5, "the alert to close")
            item = [i for i in desk.menu_items() if i["label"] == "Launch at Login"][0]
            self.assertFalse(item["checked"])
            self.assertIsNone(desk.app.poll())


def main():
    global BINARY, HELPER
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--helper", required=True)
    options, rest = parser.parse_known_args()
    BINARY = os.path.abspath(options.binary)
    HELPER = os.path.abspath(options.helper)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
