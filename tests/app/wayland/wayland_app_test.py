#!/usr/bin/python3
"""Veyrune on a real Wayland desktop with the real screenshot portal.

    wayland_app_test.py VEYRUNE

Runs as root: sway refuses to, so this creates (once) the unprivileged user
"veyrune-wayland", copies the program and these scripts where that user can
read them, and runs the session as that user on a private session bus with a
fresh HOME and runtime folder. Anything missing is a failure, never a skip.
"""
import glob
import json
import os
import pwd
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import unittest

USER = "veyrune-wayland"
APP_ID = "org.veyrune.Veyrune"
HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = ["sway", "swaybar", "grim", "pipewire", "dbus-run-session", "dbus-daemon", "runuser",
         "useradd", "convert"]
PROGRAMS = ["/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-wlr",
            "/usr/libexec/xdg-desktop-portal-gtk"]
QT_WAYLAND_PLUGIN = "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"


def fail(message):
    print("wayland test: " + message, file=sys.stderr)
    sys.exit(1)


def check_machine():
    if os.getuid() != 0:
        fail("must run as root, to run the desktop as the user %s (sway refuses root)" % USER)
    missing = [t for t in TOOLS if shutil.which(t) is None]
    missing += [p for p in PROGRAMS if not os.access(p, os.X_OK)]
    if not glob.glob(QT_WAYLAND_PLUGIN):
        missing.append("Qt's Wayland platform plugin (qt6-wayland)")
    if missing:
        fail("missing: %s; scripts/install-deps installs them" % ", ".join(missing))


def ensure_user():
    try:
        return pwd.getpwnam(USER)
    except KeyError:
        pass
    result = subprocess.run(["useradd", "--system", "--user-group", "--no-create-home",
                             "--home-dir", "/nonexistent", "--shell", "/usr/sbin/nologin", USER],
                            capture_output=True, text=True)
    # 9: another run created it meanwhile.
    if result.returncode not in (0, 9):
        fail("cannot create the user %s: %s" % (USER, result.stderr.strip()))
    return pwd.getpwnam(USER)


def user_processes(uid):
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.stat("/proc/" + entry).st_uid == uid:
                    pids.append(int(entry))
            except FileNotFoundError:
                pass
    return pids


def run_as_session_user(veyrune):
    """Root's part: prepares the user's world, runs this file's tests as that
    user and returns their exit status."""
    check_machine()
    user = ensure_user()
    # The wlroots portal has grim write every picture to this one path; a
    # picture an earlier run left there would make grim fail.
    stale = "/tmp/out.png"
    if os.path.exists(stale):
        if os.stat(stale).st_uid != user.pw_uid:
            fail("%s belongs to another user; the wlroots portal could not write there" % stale)
        os.remove(stale)
    scratch = tempfile.mkdtemp(prefix="veyrune-wayland.")
    try:
        os.chmod(scratch, 0o755)
        program = os.path.join(scratch, "veyrune")
        shutil.copy(veyrune, program)
        os.chmod(program, 0o755)
        tests = os.path.join(scratch, "tests")
        shutil.copytree(os.path.join(HERE, ".."), tests,
                        ignore=lambda d, names: [n for n in names if n.endswith(".cpp")])
        for folder, mode in (("home", 0o700), ("runtime", 0o700), ("work", 0o700)):
            path = os.path.join(scratch, folder)
            os.mkdir(path, mode)
            os.chown(path, user.pw_uid, user.pw_gid)
        home = os.path.join(scratch, "home")
        command = ["runuser", "-u", USER, "--", "env", "-i", "PATH=/usr/bin:/bin",
                   "LANG=C.UTF-8", "NO_AT_BRIDGE=1", "USER=" + USER, "HOME=" + home,
                   "XDG_RUNTIME_DIR=" + os.path.join(scratch, "runtime"),
                   "XDG_CONFIG_HOME=" + os.path.join(home, ".config"),
                   "XDG_DATA_HOME=" + os.path.join(home, ".local", "share"),
                   "dbus-run-session", "--", "/usr/bin/python3",
                   os.path.join(tests, "wayland", os.path.basename(__file__)), "--inside",
                   program, os.path.join(scratch, "work")]
        status = subprocess.call(command, cwd=scratch, stdin=subprocess.DEVNULL)
        stop_leftovers(user.pw_uid)
        return status
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def stop_leftovers(uid):
    """Services the session bus started end with it, shortly; whatever of
    this user still runs after that is stopped."""
    deadline = time.monotonic() + 5
    while user_processes(uid) and time.monotonic() < deadline:
        time.sleep(0.1)
    for pid in user_processes(uid):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


class WaylandDesktop(unittest.TestCase):
    """The user's part, inside the session: each case its own compositor,
    portal and program, with fresh preferences and data."""
    veyrune = None
    work = None

    def start_desktop(self, outputs):
        from wayland_session import WaylandSession
        folder = os.path.join(self.work, self.id().rsplit(".", 1)[-1])
        os.mkdir(folder)
        self.session = WaylandSession(folder, outputs)
        self.addCleanup(self.session.close)
        # On xdg-desktop-portal 1.16 a host program is never asked, and this
        # stored answer is not consulted; a portal that asks host programs
        # too (they have the empty app id here) finds the user's "Allow".
        self.session.allow_screenshots("")
        self.data = os.path.join(folder, "data")
        config = os.path.join(folder, "config", "Veyrune")
        os.makedirs(config)
        with open(os.path.join(config, "Veyrune.conf"), "w") as f:
            f.write("[General]\ncaptureScreenshots=true\nhasCompletedOnboarding=true\n")
        self.assertNotIn("DISPLAY", self.session.env)
        self.app = self.session.start("veyrune", [self.veyrune], dict(
            self.session.env, QT_QPA_PLATFORM="wayland", XDG_DATA_HOME=self.data,
            XDG_CONFIG_HOME=os.path.dirname(config)))
        self.wait_while_running(lambda: self.session.bus.name_has_owner(APP_ID),
                                "Veyrune on the bus")

    def wait_while_running(self, condition, what):
        """Waits for `condition`; a failure tells what each process logged."""
        from wayland_session import wait_until

        def check():
            if self.app.poll() is not None:
                raise AssertionError("Veyrune exited with %d" % self.app.returncode)
            return condition()
        try:
            return wait_until(check, what)
        except AssertionError as error:
            raise AssertionError("%s\n%s" % (error, self.session.log_tail())) from None

    def screenshot_after_wake(self):
        """Arms Veyrune, wakes the session and returns the saved picture."""
        application = self.session.bus.get_object(APP_ID, "/org/veyrune/Veyrune")
        application.ActivateAction("toggle-arm", [], {},
                                   dbus_interface="org.freedesktop.Application")
        self.session.emit_wake()
        evidence = os.path.join(self.data, "Veyrune", "Evidence")
        pictures = self.wait_while_running(
            lambda: glob.glob(os.path.join(evidence, "*", "evidence-*.png")),
            "a screenshot in the evidence folder")
        index = os.path.join(self.data, "Veyrune", "evidence-items.jsonl")
        self.wait_while_running(lambda: os.path.exists(index) and os.path.getsize(index),
                                "the screenshot's evidence entry")
        self.assertEqual(len(pictures), 1, pictures)
        self.assertEqual(stat.S_IMODE(os.stat(pictures[0]).st_mode) & 0o077, 0)
        with open(index) as f:
            entry = json.loads(f.readline())
        self.assertEqual(entry["kind"], "screenshot")
        self.assertTrue(entry["fileURL"].endswith(os.path.basename(pictures[0])), entry)
        return pictures[0]

    def assertPicture(self, path, size, pixels):
        """`pixels`: (x, y, "rrggbb" or None for fully transparent)."""
        spots = " ".join("%%[hex:p{%d,%d}]" % (x, y) for x, y, _ in pixels)
        decoded = subprocess.run(["convert", path, "-format", "%m %w %h " + spots, "info:"],
                                 capture_output=True, text=True)
        self.assertEqual(decoded.returncode, 0, decoded.stderr)
        kind, width, height, *found = decoded.stdout.lower().split()
        self.assertEqual((kind, int(width), int(height)), ("png",) + size)
        for (x, y, colour), hex_value in zip(pixels, found):
            if colour is None:
                self.assertTrue(len(hex_value) == 8 and hex_value.endswith("00"),
                                "(%d, %d) is %s, not transparent" % (x, y, hex_value))
            else:
                self.assertEqual(hex_value[:6], colour, "pixel (%d, %d)" % (x, y))

    def test_starts_without_x_shows_its_tray_item_and_saves_the_portals_screenshot_on_wake(self):
        from wayland_session import Output
        output = Output(1280, 720, colour="3a6ea5")
        self.start_desktop([output])
        session = self.session
        # An item is "SERVICE/PATH" or a bus name; Qt may use a connection of its own.
        items = self.wait_while_running(
            lambda: [i for i in session.status_notifier_items()
                     if session.process_of(i.split("/")[0]) == self.app.pid],
            "Veyrune's item at the bar's StatusNotifier host")
        self.assertEqual(len(items), 1, items)
        picture = self.screenshot_after_wake()
        self.assertPicture(picture, (1280, 720), [(40, 40, "3a6ea5"), (1200, 300, "3a6ea5")])

    def test_saves_the_portals_desktop_at_its_logical_size_with_a_high_density_display(self):
        from wayland_session import Output
        # The second display is a high-density one: 1280x720 pixels, 640x360
        # logical; the portal's picture of the desktop is 3840x1440.
        self.start_desktop([Output(1280, 720, colour="3a6ea5"),
                            Output(1280, 720, x=1280, scale=2, colour="a53a6e")])
        picture = self.screenshot_after_wake()
        # The desktop as the compositor lays it out, at logical size; nothing
        # is shown below the smaller display. (Each display's bottom rows are the bar.)
        self.assertPicture(picture, (1920, 720), [
            (40, 40, "3a6ea5"), (1270, 600, "3a6ea5"),
            (1290, 10, "a53a6e"), (1910, 300, "a53a6e"),
            (1290, 370, None), (1910, 710, None)])


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inside":
        WaylandDesktop.veyrune, WaylandDesktop.work = sys.argv[2], sys.argv[3]
        sys.path.insert(0, HERE)
        unittest.main(argv=sys.argv[:1], verbosity=2)
    elif len(sys.argv) == 2:
        sys.exit(run_as_session_user(sys.argv[1]))
    else:
        fail("usage: wayland_app_test.py VEYRUNE")


if __name__ == "__main__":
    main()
