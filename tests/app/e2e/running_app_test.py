#!/usr/bin/python3
"""Veyrune as a real process, end to end. Usage: running_app_test.py VEYRUNE VEYRUNE_VERIFY"""
import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from veyrune_world import Webhook, World, wait_until  # noqa: E402

VEYRUNE, VERIFY = sys.argv[1], sys.argv[2]
USB_DEVICE = """P: /devices/pci0000:00/0000:00:14.0/usb1/1-3
E: SUBSYSTEM=usb
E: DEVTYPE=usb_device
E: ID_VENDOR_ID=05ac
E: ID_MODEL_ID=12a8
A: idVendor=05ac
A: idProduct=12a8
A: manufacturer=Apple Inc.
A: product=iPhone
A: serial=abc123
"""


class RunningApp(unittest.TestCase):
    def setUp(self):
        self.world = World(VEYRUNE)

    def tearDown(self):
        self.world.close()

    def test_records_alerts_keeps_one_instance_and_flushes_on_termination(self):
        world = self.world
        app = world.launch()
        first_owner = wait_until(world.owner, "the bus name")
        self.assertEqual(world.activate_action("toggle-arm").returncode, 0)
        unknown = world.activate_action("no-such-action")
        self.assertNotEqual(unknown.returncode, 0)
        self.assertIn("no action named", unknown.stderr)

        world.emit_wake()
        world.lock_session()
        events = wait_until(lambda: len(world.events()) >= 2 and world.events(), "two events")
        self.assertEqual([e["kind"] for e in events[:2]], ["didWake", "screenLocked"])
        self.assertEqual([e["seq"] for e in events[:2]], [1, 2])
        verdict = subprocess.run([VERIFY, world.log], capture_output=True, text=True)
        self.assertEqual(verdict.returncode, 0, verdict.stdout)
        self.assertIn("Chain intact", verdict.stdout)
        wait_until(lambda: any(b.get("kind") == "didWake" for b in Webhook.bodies), "wake alert")

        # Private files, and no credential in the preferences.
        for path in (world.log, world.outbox, world.preferences):
            self.assertEqual(os.stat(path).st_mode & 0o777, 0o600, path)
        with open(world.preferences) as preferences:
            self.assertNotIn("localhost", preferences.read())

        second = world.launch()
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertEqual(world.owner(), first_owner)
        self.assertIsNone(app.poll())

        # The server now refuses, so the burst stays in the outbox for the next start.
        Webhook.status = 503
        world.testbed.add_from_string(USB_DEVICE)
        wait_until(lambda: any(e["kind"] == "usbAttached" for e in world.events()), "USB event")
        started = time.monotonic()
        app.send_signal(signal.SIGTERM)
        app.wait(timeout=30)
        self.assertLess(time.monotonic() - started, 2.5)
        self.assertIn("usbAttached", world.unsent_outbox_kinds())

        Webhook.status = 200
        restarted = world.launch()
        world.wait_for_alert(restarted, "usbAttached", "the held USB alert after the restart")

    def test_ending_during_an_unanswered_send_takes_at_most_the_budget_and_the_alert_survives(self):
        world = self.world
        ways_to_end = {
            "SIGTERM": lambda app: app.send_signal(signal.SIGTERM),
            "Quit Veyrune": lambda app: world.activate_action("quit"),
        }
        for way, end in ways_to_end.items():
            with self.subTest(way):
                world.stall_webhook()
                Webhook.stalled.clear()
                app = world.launch()
                wait_until(world.owner, "the bus name")
                self.assertEqual(world.activate_action("toggle-arm").returncode, 0)
                world.emit_wake()
                wait_until(lambda: any(b.get("kind") == "didWake" for b in Webhook.stalled),
                           "the wake alert at the silent server")

                started = time.monotonic()
                end(app)
                self.assertEqual(app.wait(timeout=30), 0)
                # The flush budget is 2 s; the rest is the process ending.
                self.assertLess(time.monotonic() - started, 2.5)
                self.assertIn("didWake", world.unsent_outbox_kinds())

                world.answer_webhook()
                Webhook.bodies.clear()
                restarted = world.launch()
                world.wait_for_alert(restarted, "didWake", "the cut alert after the restart")
                wait_until(lambda: not world.unsent_outbox_kinds(), "an empty outbox")
                restarted.send_signal(signal.SIGTERM)
                self.assertEqual(restarted.wait(timeout=30), 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
