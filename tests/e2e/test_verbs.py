#!/usr/bin/python3
"""End-to-end tests of `cendrel --toggle`, `--arm` and `--disarm`, which act
on the running instance over its session-bus name.

    test_verbs.py --binary PATH --helper PATH [unittest names...]
"""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Desktop, run_script, wait_for, without_tray  # noqa: E402

BINARY = None
HELPER = None
GRACE = 2.0


class CendrelVerbs(unittest.TestCase):
    def verb(self, desk, name, env=None):
        result = subprocess.run([BINARY, "--" + name], env=desk.env if env is None else env, capture_output=True,
                                text=True, timeout=15)
        return result.returncode, result.stderr

    def test_each_verb_fails_without_a_running_instance_then_acts_on_it_and_never_locks(self):
        with Desktop(BINARY, HELPER) as desk:
            # No display needed either: the request only goes over the bus.
            env = {key: value for key, value in desk.env.items() if key != "DISPLAY"}
            for name in ("toggle", "arm", "disarm"):
                self.assertEqual(self.verb(desk, name, env), (1, "cendrel: Cendrel is not running\n"), name)
            del env["DBUS_SESSION_BUS_ADDRESS"]
            env["XDG_RUNTIME_DIR"] = os.path.join(desk.dir, "nowhere")
            self.assertEqual(self.verb(desk, "toggle", env),
                             (1, "cendrel: no session bus, so no running Cendrel can be reached\n"))
            desk.launch()
            for name, status in [("arm", "Arming…"), ("arm", "Arming…"), ("toggle", "Idle — "), ("disarm", "Idle — "),
                                 ("toggle", "● Armed — any input will lock"), ("arm", "● Armed"), ("toggle", "Idle — ")]:
                self.assertEqual(self.verb(desk, name), (0, ""), name)
                desk.wait_for_status(status, timeout=GRACE + 5)
            self.assertEqual(desk.lock_count(), 0)
            self.assertEqual(desk.notifications(), [])
            self.assertIsNone(desk.app.poll())

    def test_without_a_tray_the_owner_is_told_how_to_arm_and_the_command_still_arms(self):
        with Desktop(BINARY, HELPER) as desk:
            without_tray(desk)
            desk.launch(wait=False)
            self.assertEqual(wait_for(desk.notifications, 15, "a notice"), [
                "Cendrel|Cendrel has no icon in the panel|Press Alt+Super+L or run cendrel --toggle to arm or disarm "
                "it. Its icon and menu need a tray in the panel: on GNOME, the AppIndicator extension."])
            self.assertEqual(self.verb(desk, "arm"), (0, ""))


if __name__ == "__main__":
    run_script(globals(), "helper")
