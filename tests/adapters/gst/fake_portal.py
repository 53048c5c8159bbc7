#!/usr/bin/env python3
"""The desktop's camera portal as the tests need it, on a private session bus.

    dbus-run-session -- fake_portal.py MODE [PIPEWIRE_SOCKET]

MODE: allow (AccessCamera answers 0), refuse (1: the user said no), fail (2),
ask (no answer: the user has not decided), nocamera (IsCameraPresent is
false) or absent (the bus, without the portal).
OpenPipeWireRemote returns a socket connected to PIPEWIRE_SOCKET when given,
else one end of a socket pair (no PipeWire behind it).

Says on stdout, one line each: "bus ADDRESS" once the portal is there,
"remote INODE" for each descriptor it hands out, and in ask mode "asked"
for each AccessCamera. Ends when stdin closes.
"""
import os
import socket
import sys

from gi.repository import Gio, GLib

PATH = "/org/freedesktop/portal/desktop"
XML = """<node><interface name="org.freedesktop.portal.Camera">
  <method name="AccessCamera">
    <arg type="a{sv}" name="options" direction="in"/><arg type="o" name="handle" direction="out"/>
  </method>
  <method name="OpenPipeWireRemote">
    <arg type="a{sv}" name="options" direction="in"/><arg type="h" name="fd" direction="out"/>
  </method>
  <property name="IsCameraPresent" type="b" access="read"/>
  <property name="version" type="u" access="read"/>
</interface></node>"""
RESPONSES = {"allow": 0, "refuse": 1, "fail": 2, "nocamera": 2}

mode = sys.argv[1]
pipewire = sys.argv[2] if len(sys.argv) > 2 else ""
loop = GLib.MainLoop()
kept = []  # the sockets handed out, kept open for the life of the portal


def say(line):
    print(line, flush=True)


def method_call(conn, sender, _path, _interface, method, params, invocation):
    if method == "AccessCamera":
        token = params.unpack()[0].get("handle_token", "t")
        request = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        invocation.return_value(GLib.Variant("(o)", (request,)))
        if mode == "ask":
            say("asked")
            return
        # The answer comes later, as the user's would.
        GLib.timeout_add(20, lambda: conn.emit_signal(
            sender, request, "org.freedesktop.portal.Request", "Response",
            GLib.Variant("(ua{sv})", (RESPONSES[mode], {}))) and False)
    elif method == "OpenPipeWireRemote":
        if pipewire:
            remote = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            remote.connect(pipewire)
        else:
            remote, ours = socket.socketpair()
            kept.append(ours)
        kept.append(remote)
        fds = Gio.UnixFDList.new()
        index = fds.append(remote.fileno())
        say("remote %d" % os.fstat(remote.fileno()).st_ino)
        invocation.return_value_with_unix_fd_list(GLib.Variant("(h)", (index,)), fds)


def get_property(_conn, _sender, _path, _interface, name):
    if name == "IsCameraPresent":
        return GLib.Variant("b", mode != "nocamera")
    return GLib.Variant("u", 1)


def stdin_closed(_fd, _condition):
    loop.quit()
    return False


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
if mode != "absent":
    node = Gio.DBusNodeInfo.new_for_xml(XML)
    bus.register_object(PATH, node.interfaces[0], method_call, get_property, None)
    owned = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "RequestName", GLib.Variant("(su)", ("org.freedesktop.portal.Desktop", 4)),
                          GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, -1, None)
    if owned.unpack()[0] != 1:
        sys.exit("fake portal: the portal's name is taken")
GLib.io_add_watch(sys.stdin.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, stdin_closed)
say("bus " + os.environ["DBUS_SESSION_BUS_ADDRESS"])
loop.run()
