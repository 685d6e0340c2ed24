"""A real Wayland desktop for one unprivileged user, without any X server: a
headless sway (wlroots) with a status bar that hosts StatusNotifier items,
PipeWire, and the real xdg-desktop-portal with its wlroots back end (which
takes screenshots with grim) and its gtk back end (which provides the Access
dialog the Screenshot portal needs). Runs inside the private session bus of
the caller (dbus-run-session) with a fresh HOME and XDG_RUNTIME_DIR. A private
system bus carries a dbusmock logind, so a test can wake the session.
"""
import glob
import os
import subprocess
import sys

import dbus

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from veyrune_world import wait_until  # noqa: E402

PORTAL = "org.freedesktop.portal.Desktop"
PERMISSION_STORE = "org.freedesktop.impl.portal.PermissionStore"
WATCHER = "org.kde.StatusNotifierWatcher"


class Output:
    """One headless output: its mode in device pixels, its place in the
    layout, its scale and the solid colour the compositor paints on it."""

    def __init__(self, width, height, x=0, y=0, scale=1, colour="3a6ea5"):
        self.width, self.height, self.x, self.y = width, height, x, y
        self.scale, self.colour = scale, colour


def sway_config(outputs):
    lines = ["output HEADLESS-%d resolution %dx%d position %d %d scale %d bg #%s solid_color"
             % (n, o.width, o.height, o.x, o.y, o.scale, o.colour)
             for n, o in enumerate(outputs, start=1)]
    return "\n".join(lines + ["xwayland disable", "bar {", "  tray_output *", "}", ""])


class WaylandSession:
    def __init__(self, scratch, outputs):
        self.scratch = scratch
        self.outputs = outputs
        self.logs = os.path.join(scratch, "logs")
        os.makedirs(self.logs, exist_ok=True)
        self.children = []
        self.runtime = os.environ["XDG_RUNTIME_DIR"]
        self.env = dict(os.environ)
        self.env.pop("DISPLAY", None)
        self.env["XDG_CURRENT_DESKTOP"] = "sway"
        self.env["XDG_SESSION_TYPE"] = "wayland"
        self.bus = dbus.SessionBus()
        try:
            self._start_compositor()
            self._start_portal()
            self._start_system_bus()
        except BaseException:
            self.close()
            raise

    def close(self):
        for process in reversed(self.children):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
            if process.stdout:
                process.stdout.close()

    def log_tail(self, lines=15):
        """The end of every child's log, for a failure message."""
        parts = []
        for path in sorted(glob.glob(os.path.join(self.logs, "*.log"))):
            with open(path, errors="replace") as log:
                tail = log.readlines()[-lines:]
            parts.append("--- " + os.path.basename(path) + "\n" + "".join(tail))
        return "\n".join(parts)

    def start(self, name, command, env=None, stdout=None):
        log = open(os.path.join(self.logs, name + ".log"), "w")
        process = subprocess.Popen(command, env=env or self.env, stdin=subprocess.DEVNULL,
                                   stdout=stdout or log, stderr=log, cwd=self.env["HOME"])
        log.close()
        self.children.append(process)
        return process

    def _start_compositor(self):
        config = os.path.join(self.scratch, "sway.conf")
        with open(config, "w") as f:
            f.write(sway_config(self.outputs))
        env = dict(self.env, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                   WLR_RENDERER="pixman", WLR_HEADLESS_OUTPUTS=str(len(self.outputs)))
        def sockets():
            return {os.path.basename(p) for p in glob.glob(os.path.join(self.runtime, "wayland-*"))
                    if not p.endswith(".lock")}
        earlier = sockets()
        sway = self.start("sway", ["sway", "-c", config], env)

        def socket():
            if sway.poll() is not None:
                raise AssertionError("sway exited with %d\n%s" % (sway.returncode,
                                                                   self.log_tail()))
            return next(iter(sockets() - earlier), None)
        self.env["WAYLAND_DISPLAY"] = wait_until(socket, "the compositor's Wayland socket")
        wait_until(lambda: self.bus.name_has_owner(WATCHER), "the bar's StatusNotifier host")

    def _start_portal(self):
        # Back ends the portal activates must find the compositor.
        dbus.Interface(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                       "org.freedesktop.DBus").UpdateActivationEnvironment(
            {k: self.env[k] for k in ("WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
                                      "XDG_SESSION_TYPE")})
        # The wlroots back end exits when PipeWire is not there.
        self.start("pipewire", ["pipewire"])
        wait_until(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")),
                   "the PipeWire socket")
        self.start("portal-wlr", ["/usr/libexec/xdg-desktop-portal-wlr"])
        wait_until(lambda: self.bus.name_has_owner("org.freedesktop.impl.portal.desktop.wlr"),
                   "xdg-desktop-portal-wlr on the bus")
        self.start("portal", ["/usr/libexec/xdg-desktop-portal", "-r"])
        wait_until(lambda: self.bus.name_has_owner(PORTAL), "xdg-desktop-portal on the bus")
        portal = self.bus.get_object(PORTAL, "/org/freedesktop/portal/desktop")
        try:
            portal.Get("org.freedesktop.portal.Screenshot", "version",
                       dbus_interface="org.freedesktop.DBus.Properties")
        except dbus.DBusException as error:
            raise AssertionError("the portal offers no Screenshot interface (%s)\n%s"
                                 % (error.get_dbus_message(), self.log_tail()))

    def allow_screenshots(self, app_id, answer="yes"):
        """Stores the answer the desktop asks the user for once; a host
        (unsandboxed) program has the empty app id."""
        store = self.bus.get_object(PERMISSION_STORE,
                                    "/org/freedesktop/impl/portal/PermissionStore")
        store.SetPermission("screenshot", True, "screenshot", app_id, [answer],
                            dbus_interface="org.freedesktop.impl.portal.PermissionStore")

    def _start_system_bus(self):
        daemon = self.start("system-bus", ["dbus-daemon", "--session", "--nofork", "--nosyslog",
                                           "--print-address=1"], stdout=subprocess.PIPE)
        address = daemon.stdout.readline().decode().strip()
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        self.system_bus = dbus.bus.BusConnection(address)
        self.start("logind", ["/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                              "logind"])
        wait_until(lambda: self.system_bus.name_has_owner("org.freedesktop.login1"), "logind")
        mock = self.logind_mock()
        mock.AddSession("c1", "seat0", dbus.UInt32(os.getuid()), os.environ.get("USER", "user"),
                        True)
        mock.AddMethod("org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                       'ret = "/org/freedesktop/login1/session/c1"')

    def logind_mock(self):
        return dbus.Interface(self.system_bus.get_object("org.freedesktop.login1",
                                                         "/org/freedesktop/login1"),
                              "org.freedesktop.DBus.Mock")

    def emit_wake(self):
        self.logind_mock().EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                                      [False])

    def status_notifier_items(self):
        watcher = self.bus.get_object(WATCHER, "/StatusNotifierWatcher")
        return [str(item) for item in watcher.Get(
            WATCHER, "RegisteredStatusNotifierItems",
            dbus_interface="org.freedesktop.DBus.Properties")]

    def process_of(self, name):
        bus = dbus.Interface(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                             "org.freedesktop.DBus")
        try:
            return int(bus.GetConnectionUnixProcessID(name))
        except dbus.DBusException:
            return None
