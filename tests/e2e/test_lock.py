#!/usr/bin/python3
# End-to-end tests of the lock chain, with stand-in lockers on the test buses.
#
# test_lock.py --binary PATH --helper PATH [unittest names...]
import os
from pathlib import Path
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Desktop, run_script, wait_for  # noqa: E402

BINARY = None
HELPER = None
# Evidence is waited for this long before the owner is told.
DEADLINE = 4.0
TOLD = "Cendrel|Cendrel could not lock the screen|"
NO_DISPLAY_OFF = ["Cendrel: the X server has no DPMS, so the display cannot be switched off",
                  "Cendrel: could not put the display to sleep either; the screen is NOT locked"]
SAVERS = ["org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.mate.ScreenSaver", "org.cinnamon.ScreenSaver"]


class CendrelLock(unittest.TestCase):
    def desktop(self, **options):
        return Desktop(BINARY, HELPER, **options)

    def lock(self, desk, told):
        # Arms, clicks, and gives the log lines of the lock once it is over:
        # the owner told, or the deadline passed without it.
        lines, notices = len(desk.log_lines()), len(desk.notifications())
        desk.arm()
        desk.xdotool("click", 1)
        if told:
            wait_for(lambda: len(desk.notifications()) > notices, DEADLINE + 3, "the owner told")
            self.assertTrue(desk.notifications()[-1].startswith(TOLD), desk.notifications())
        else:
            # Nothing must come, however late.
            time.sleep(DEADLINE + 0.5)
            self.assertEqual(desk.notifications()[notices:], [])
            self.assertNotIn(NO_DISPLAY_OFF[1], desk.log_lines()[lines:])
        return desk.log_lines()[lines:]

    def test_screen_saver_that_answers_after_a_second_and_a_half_raises_no_alarm(self):
        with self.desktop(login1=None, screensaver=["org.freedesktop.ScreenSaver:slow"], launch=True) as desk:
            lines = self.lock(desk, told=False)
            # The others were asked while it took its time.
            self.assertEqual((lines[0], desk.screen_savers_asked()),
                             ("Cendrel: could not reach login1, falling back", SAVERS[:1]))

    def test_each_screen_saver_name_is_asked_in_turn(self):
        with self.desktop(login1="refuse", screensaver=[SAVERS[0] + ":inactive", SAVERS[1] + ":refuse",
                                                        SAVERS[2] + ":refuse", SAVERS[3] + ":late"], launch=True) as desk:
            self.assertEqual(self.lock(desk, told=False),
                             ["Cendrel: login1 Lock failed, falling back",
                              "Cendrel: screen saver Lock accepted, but nothing shows the screen locked; going on",
                              "Cendrel: org.gnome.ScreenSaver Lock failed, falling back",
                              "Cendrel: org.mate.ScreenSaver Lock failed, falling back"])
            self.assertEqual(desk.screen_savers_asked(), SAVERS)

    def test_cinnamons_lock_is_given_its_message_and_an_activatable_gnome_locker_is_started(self):
        with self.desktop(login1=None, screensaver=[SAVERS[3] + ":lock"], launch=True) as desk:
            self.lock(desk, told=False)
            self.assertEqual(desk.screen_savers_asked(), SAVERS[3:])
        with self.desktop(login1=None) as desk:
            desk.activatable(SAVERS[1] + ":lock")
            desk.launch()
            self.lock(desk, told=False)
            self.assertEqual((desk.screen_savers_asked(), desk.notifications()), (SAVERS[1:2], []))

    def test_login_manager_whose_locked_hint_never_turns_true_gets_the_owner_told(self):
        with self.desktop(login1="nolistener", launch=True) as desk:
            lines = self.lock(desk, told=True)
            self.assertEqual(desk.lock_count(), 1)
            self.assertEqual(lines[:2], ["Cendrel: login1 Lock accepted, but nothing shows the screen locked; "
                                         "going on", "Cendrel: could not reach the screen saver, falling back"])
            self.assertEqual(lines[-2:], NO_DISPLAY_OFF)

    def test_lock_command_from_the_preferences_file_is_run_without_a_shell(self):
        with self.desktop(login1=None) as desk:
            script, arguments, status = (os.path.join(desk.dir, name) for name in ("locker", "arguments", "status"))
            Path(script).write_text('#!/bin/sh\nprintf "%%s\\n" "$@" > %s\necho 1 >> %s\nread -r status < %s\nexit "$status"\n'
                                    % (arguments, desk.lock_log, status))
            os.chmod(script, 0o755)
            Path(status).write_text("0\n")
            os.makedirs(os.path.dirname(desk.preferences_path))
            Path(desk.preferences_path).write_text("[General]\nlock.command=\"%s 'two words' $HOME;x\"\n" % script)
            desk.launch()
            self.lock(desk, told=False)
            self.assertEqual(Path(arguments).read_text().splitlines(), ["two words", "$HOME;x"])
            Path(status).write_text("3\n")
            lines = self.lock(desk, told=True)
            self.assertIn("Cendrel: the lock command failed, falling back", lines)

    def test_locker_that_holds_the_keyboard_and_never_exits_is_evidence(self):
        prefs = ("[General]\nlock.command=%s grab-keyboard\n" % HELPER).encode()
        with self.desktop(login1=None, preferences=prefs, launch=True) as desk:
            self.lock(desk, told=False)


if __name__ == "__main__":
    run_script(globals(), "helper")
