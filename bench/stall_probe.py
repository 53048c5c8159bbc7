#!/usr/bin/python3
"""Asks the running Kestrel window over the session bus every 5 ms and
reports how long its main loop kept it waiting: the longest answer while a
photo is shot and processed, and the longest at rest.

    stall_probe.py SHOTS SPACING_S

Each shot is `ActivateAction take-picture`; the SPACING_S seconds after it
count as "shooting", the second before the next shot as "at rest". The
question is an action the window does not have: the window's main loop
answers it (with an error), so its round trip is how long that loop was busy.
(A Peer.Ping would not do: Qt's D-Bus thread answers it by itself.)"""
import sys
import time

from gi.repository import Gio, GLib

NAME = "org.kestrelcamera.Kestrel"
PATH = "/org/kestrelcamera/Kestrel"


def main():
    shots = int(sys.argv[1])
    spacing = float(sys.argv[2])
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def ping():
        start = time.monotonic()
        try:
            bus.call_sync(NAME, PATH, "org.freedesktop.Application", "ActivateAction",
                          GLib.Variant("(sava{sv})", ("stall-probe", [], {})), None,
                          Gio.DBusCallFlags.NONE, 10000, None)
        except GLib.Error as error:
            if "no action" not in error.message:
                raise
        return time.monotonic() - start

    def shoot():
        bus.call_sync(NAME, PATH, "org.freedesktop.Application", "ActivateAction",
                      GLib.Variant("(sava{sv})", ("take-picture", [], {})), None,
                      Gio.DBusCallFlags.NONE, 10000, None)

    shooting, resting = [], []
    for _ in range(shots):
        rest_until = time.monotonic() + 1.0
        while time.monotonic() < rest_until:
            resting.append(ping())
            time.sleep(0.005)
        shoot()
        until = time.monotonic() + spacing
        while time.monotonic() < until:
            shooting.append(ping())
            time.sleep(0.005)
    worst = sorted(shooting, reverse=True)
    print("shots %d, pings %d while shooting, %d at rest" % (shots, len(shooting), len(resting)))
    print("longest answer while shooting: %.1f ms (then %s ms)" %
          (worst[0] * 1000, ", ".join("%.1f" % (w * 1000) for w in worst[1:4])))
    print("longest answer at rest: %.1f ms" % (max(resting) * 1000))


if __name__ == "__main__":
    main()
