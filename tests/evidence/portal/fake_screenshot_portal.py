#!/usr/bin/python3
"""Veyrune's stand-in for the desktop portal's Screenshot interface.

    fake_screenshot_portal.py MODE PICTURE FOLDER

Owns org.freedesktop.portal.Desktop on the session bus and answers every
Screenshot request on the request object the caller predicts from its bus name
and handle token, 100 ms after the call:

    grant   copies PICTURE into a new file in FOLDER and answers 0 with its URI
    refuse  answers 1 (the user said no)
    end     answers 2 (the desktop ended the request, e.g. a stored "no")
    silent  never answers
    late    like grant, but 6 seconds after the call

Reports on standard output, one line each: "ready" once the name is owned,
"request TOKEN interactive=BOOL" per call, "answered PATH" when a file is
handed over, "closed" when a request is closed.
"""
import os
import shutil
import sys
import tempfile

from gi.repository import Gio, GLib

INTERFACES = """
<node>
  <interface name="org.freedesktop.portal.Screenshot">
    <method name="Screenshot">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
    <signal name="Response">
      <arg type="u" name="response"/>
      <arg type="a{sv}" name="results"/>
    </signal>
  </interface>
</node>
"""

mode, picture, folder = sys.argv[1:4]
node = Gio.DBusNodeInfo.new_for_xml(INTERFACES)
screenshot_interface = node.lookup_interface("org.freedesktop.portal.Screenshot")
request_interface = node.lookup_interface("org.freedesktop.portal.Request")
requests = {}


def report(line):
    print(line, flush=True)


def respond(connection, path, code, results):
    connection.emit_signal(None, path, "org.freedesktop.portal.Request", "Response",
                           GLib.Variant("(ua{sv})", (code, results)))
    connection.unregister_object(requests.pop(path))
    return False


def answer(connection, path):
    if mode in ("grant", "late"):
        handle, copy = tempfile.mkstemp(prefix="Screenshot-", suffix=".png", dir=folder)
        os.close(handle)
        shutil.copyfile(picture, copy)
        report("answered " + copy)
        return respond(connection, path, 0, {"uri": GLib.Variant("s", "file://" + copy)})
    return respond(connection, path, {"refuse": 1, "end": 2}[mode], {})


def on_request_call(connection, sender, path, interface, method, parameters, invocation):
    report("closed")
    invocation.return_value(None)


def on_portal_call(connection, sender, path, interface, method, parameters, invocation):
    parent, options = parameters.unpack()
    token = options.get("handle_token", "fallback%d" % len(requests))
    report("request %s interactive=%s" % (token, options.get("interactive")))
    handle = "/org/freedesktop/portal/desktop/request/%s/%s" % (
        sender[1:].replace(".", "_"), token)
    requests[handle] = connection.register_object(handle, request_interface, on_request_call,
                                                  None, None)
    invocation.return_value(GLib.Variant("(o)", (handle,)))
    if mode != "silent":
        delay = 6000 if mode == "late" else 100
        GLib.timeout_add(delay, answer, connection, handle)


def on_get_property(connection, sender, path, interface, name):
    return GLib.Variant("u", 2)


def on_bus(connection, name):
    connection.register_object("/org/freedesktop/portal/desktop", screenshot_interface,
                               on_portal_call, on_get_property, None)


loop = GLib.MainLoop()
Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.portal.Desktop",
                 Gio.BusNameOwnerFlags.NONE, on_bus, lambda c, n: report("ready"),
                 lambda c, n: loop.quit())
loop.run()
