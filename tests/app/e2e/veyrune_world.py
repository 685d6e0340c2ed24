"""A private world for running Veyrune as a real process: a private system
bus with logind and NetworkManager fakes, the session bus and keyring of
scripts/with-test-services, a umockdev testbed for USB (the driver runs under
umockdev-wrapper, so the program inherits the testbed), and a local HTTPS
webhook server whose certificate the program trusts through a private mount
namespace. Nothing on the machine changes. Used by the end-to-end test and by
the latency benchmark.
"""
import http.server
import json
import os
import sqlite3
import ssl
import subprocess
import tempfile
import threading
import time

import dbus
import gi

gi.require_version("Secret", "1")
gi.require_version("UMockdev", "1.0")
from gi.repository import Secret, UMockdev  # noqa: E402

APP_ID = "org.veyrune.Veyrune"


def wait_until(condition, what, limit=30.0):
    """Polls `condition` until it holds; the limit only stops a broken run."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.005)
    raise AssertionError("timed out waiting for " + what)


class Webhook(http.server.BaseHTTPRequestHandler):
    """Keeps each accepted body with its arrival time; answers `status`.
    While `release` is an unset event, reads each request, keeps its body in
    `stalled` and holds the connection open without an answer."""
    bodies = []
    arrivals = []
    status = 200
    stalled = []
    release = None

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        release = Webhook.release
        if release is not None:
            Webhook.stalled.append(json.loads(body))
            release.wait()
            self.close_connection = True
            return
        if Webhook.status == 200:
            Webhook.arrivals.append(time.monotonic())
            Webhook.bodies.append(json.loads(body))
        self.send_response(Webhook.status)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


class World:
    def __init__(self, veyrune):
        Webhook.bodies, Webhook.arrivals, Webhook.stalled = [], [], []
        Webhook.status, Webhook.release = 200, None
        self.veyrune = veyrune
        self.children = []
        self.scratch = tempfile.mkdtemp(prefix="veyrune-world.")
        self.env = dict(os.environ)
        self.env["XDG_DATA_HOME"] = os.path.join(self.scratch, "data")
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.scratch, "config")
        self.env["XDG_SESSION_TYPE"] = "x11"
        self.log = os.path.join(self.env["XDG_DATA_HOME"], "Veyrune", "security-events.jsonl")
        self.outbox = os.path.join(self.env["XDG_DATA_HOME"], "Veyrune", "VeyruneModel.sqlite")
        self.preferences = os.path.join(self.env["XDG_CONFIG_HOME"], "Veyrune", "Veyrune.conf")
        self._start_system_bus()
        self._start_webhook_server()
        self._store_credentials()
        os.makedirs(os.path.join(self.env["XDG_CONFIG_HOME"], "Veyrune"))
        with open(self.preferences, "w") as f:
            f.write("[General]\nenableWebhook=true\nhasCompletedOnboarding=true\n")
        self.testbed = UMockdev.Testbed.new()
        # The testbed sets UMOCKDEV_DIR in the C environment only.
        self.env["UMOCKDEV_DIR"] = self.testbed.get_root_dir()

    def close(self):
        for process in reversed(self.children):
            if process.poll() is None:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()
        self.answer_webhook()
        self.server.shutdown()
        self.server.server_close()

    # The system bus.
    def _start_system_bus(self):
        daemon = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nosyslog", "--print-address=1"],
            stdout=subprocess.PIPE, text=True)
        self.children.append(daemon)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = daemon.stdout.readline().strip()
        self.system_bus = dbus.bus.BusConnection(self.env["DBUS_SYSTEM_BUS_ADDRESS"])
        for template, name in (("logind", "org.freedesktop.login1"),
                               ("networkmanager", "org.freedesktop.NetworkManager")):
            self.children.append(subprocess.Popen(
                ["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", template],
                env=self.env, stdout=subprocess.DEVNULL))
            wait_until(lambda: self.system_bus.name_has_owner(name), name)
        mock = self.logind_mock()
        mock.AddSession("c1", "seat0", dbus.UInt32(1000), "user", True)
        mock.AddMethod("org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                       'ret = "/org/freedesktop/login1/session/c1"')

    def logind_mock(self, path="/org/freedesktop/login1"):
        return dbus.Interface(self.system_bus.get_object("org.freedesktop.login1", path),
                              "org.freedesktop.DBus.Mock")

    def emit_wake(self):
        self.logind_mock().EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                                      [False])

    def lock_session(self):
        session = self.system_bus.get_object("org.freedesktop.login1",
                                             "/org/freedesktop/login1/session/c1")
        session.Lock(dbus_interface="org.freedesktop.login1.Session")

    # The webhook server and the credentials that point at it.
    def _start_webhook_server(self):
        key, cert = (os.path.join(self.scratch, n) for n in ("key.pem", "cert.pem"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-sha256", "-days", "2",
                        "-nodes", "-keyout", key, "-out", cert, "-subj", "/CN=localhost",
                        "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                        "-addext", "basicConstraints=critical,CA:FALSE",
                        "-addext", "extendedKeyUsage=serverAuth"],
                       check=True, capture_output=True)
        self.bundle = os.path.join(self.scratch, "ca-bundle.crt")
        with open(self.bundle, "w") as out:
            for part in ("/etc/ssl/certs/ca-certificates.crt", cert):
                with open(part) as source:
                    out.write(source.read())
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Webhook)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        self.server.socket = context.wrap_socket(self.server.socket, server_side=True)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stall_webhook(self):
        """The server takes requests and never answers them."""
        Webhook.release = threading.Event()

    def answer_webhook(self):
        """Held requests end without a reply; later ones are answered."""
        release, Webhook.release = Webhook.release, None
        if release is not None:
            release.set()

    def _store_credentials(self):
        schema = Secret.Schema.new("org.freedesktop.Secret.Generic", Secret.SchemaFlags.NONE,
                                   {"service": Secret.SchemaAttributeType.STRING,
                                    "account": Secret.SchemaAttributeType.STRING})
        url = "https://localhost:%d/hook" % self.server.server_address[1]
        Secret.password_store_sync(schema, {"service": APP_ID, "account": "webhook.endpoint-url"},
                                   Secret.COLLECTION_DEFAULT, "Veyrune webhook", url, None)

    # The program.
    def launch(self):
        command = ["unshare", "--mount", "--propagation", "private", "sh", "-c",
                   'mount --bind "$0" /etc/ssl/certs/ca-certificates.crt && exec "$@"',
                   self.bundle, self.veyrune]
        process = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.children.append(process)
        return process

    def session_call(self, method, *args):
        return subprocess.run(["gdbus", "call", "--session", "--dest", APP_ID, "--object-path",
                               "/org/veyrune/Veyrune", "--method", method, *args],
                              env=self.env, capture_output=True, text=True)

    def activate_action(self, name):
        return self.session_call("org.freedesktop.Application.ActivateAction", name, "[]", "{}")

    def owner(self):
        result = subprocess.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                                 "--object-path", "/org/freedesktop/DBus", "--method",
                                 "org.freedesktop.DBus.GetNameOwner", APP_ID],
                                env=self.env, capture_output=True, text=True)
        return result.stdout.strip() if result.returncode == 0 else None

    def events(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as log:
            return [json.loads(line) for line in log if line.strip()]

    def outbox_rows(self):
        """Each record's kind, status, attempts and last failure, to explain a failed wait."""
        with sqlite3.connect(self.outbox) as db:
            rows = db.execute(
                "SELECT payload, status, attempts, lastFailure FROM OutboxItem").fetchall()
        return [(json.loads(payload)["kind"], status, attempts, failure)
                for payload, status, attempts, failure in rows]

    def wait_for_alert(self, app, kind, what):
        """Waits for an alert of `kind` at the webhook; on failure says whether the
        program still runs and what the outbox holds, and stops the program."""
        try:
            wait_until(lambda: any(b.get("kind") == kind for b in Webhook.bodies), what)
        except AssertionError as error:
            status = app.poll()
            app.kill()
            raise AssertionError("%s; program %s; outbox: %s; webhook saw: %s" % (
                error, "running" if status is None else "ended with %s" % status,
                self.outbox_rows(), [b.get("kind") for b in Webhook.bodies])) from None

    def unsent_outbox_kinds(self):
        with sqlite3.connect(self.outbox) as db:
            rows = db.execute("SELECT payload, status FROM OutboxItem").fetchall()
        return [json.loads(payload)["kind"] for payload, status in rows if status != "sent"]
