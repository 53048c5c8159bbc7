#!/usr/bin/python3
"""A screen reader's view of the running Kestrel window, over AT-SPI.

Finds the camera screen's five buttons by name, presses the shutter through
its accessible action, then presses Use the same way; the photo must land in
the camera roll. Usage: screen_reader.py DCIM_FOLDER [KESTREL_PID]

With Kestrel's process id, a wait ends as soon as Kestrel has exited: a
window that never came up is told at once, not after the whole deadline.
"""
import os
import pathlib
import sys
import time

import pyatspi

# Seconds, for Kestrel to appear and for each step; longer for a build run emulated.
DEADLINE = 20 * int(os.environ.get("KESTREL_TEST_TIME_FACTOR", "1"))


def exited(pid):
    """Whether the process has ended (a zombie not yet reaped counts as ended)."""
    if pid is None:
        return False
    try:
        state = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return True
    return state in ("Z", "X")


KESTREL_PID = None


def wait_for(what, probe):
    end = time.monotonic() + DEADLINE
    last_error = None
    while time.monotonic() < end:
        if exited(KESTREL_PID):
            sys.exit(f"screen reader: Kestrel exited before {what} was found")
        try:
            found = probe()
        except Exception as error:  # an object that went away mid-walk, as a screen changes
            last_error = error
            found = None
        if found:
            return found
        time.sleep(0.1)
    cause = f" (last AT-SPI error: {last_error})" if last_error else ""
    sys.exit(f"screen reader: {what} not found within {DEADLINE} s{cause}")


def kestrel():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "Kestrel":
            return app
    return None


def buttons(app):
    found = {}
    def walk(node, depth=0):
        if node is None or depth > 8:
            return
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            found[node.name] = node
        for child in node:
            walk(child, depth + 1)
    walk(app)
    return found


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "press" not in [n.lower() for n in names]:
        sys.exit(f"screen reader: {button.name} offers no press action ({names})")
    action.doAction([n.lower() for n in names].index("press"))


def main():
    global KESTREL_PID
    dcim = pathlib.Path(sys.argv[1])
    KESTREL_PID = int(sys.argv[2]) if len(sys.argv) > 2 else None
    app = wait_for("the Kestrel application", kestrel)
    wanted = ["Take Picture", "Album", "Settings", "Flash", "Switch Camera"]
    def camera_buttons():
        named = buttons(app)
        have = {w: next((n for n in named if n == w or n.startswith(w + ":")), None) for w in wanted}
        return (named, have) if all(have.values()) else None
    named, have = wait_for("the camera screen's five buttons", camera_buttons)
    print("buttons: " + ", ".join(have[w] for w in wanted))
    press(named["Take Picture"])
    use = wait_for("the Use button of the review", lambda: buttons(app).get("Use"))
    press(use)
    photos = wait_for("the photo in the camera roll",
                      lambda: [p for p in dcim.rglob("*.JPG") if p.parent.name != ".MISC"])
    print(f"photos: {len(photos)}")
    if len(photos) != 1:
        sys.exit(f"screen reader: {len(photos)} photos for one press")


if __name__ == "__main__":
    main()
