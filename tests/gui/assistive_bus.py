#!/usr/bin/python3
"""What a screen reader hears of the desktop program, read from the
accessibility bus (AT-SPI) as a screen reader reads it.

Run by assistive-bus.sh with the program already started on an X display
and the bus up. Starts the lab with the splash's Start button, types as a
learner with xdotool and checks:
  - a typed key tells of that key only, not of the whole input line;
  - a line the router prints tells of the lines that are new on the console,
    not of all twenty-one;
  - the status strip and the network plan name themselves and say what they
    show.
Prints the figures it measured. Waits only for what it observes on the bus;
the deadline is a safety net.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

DEADLINE = 120  # seconds, far above what a busy machine needs
started = time.monotonic()
told = []  # (control, text) of every text change since the last look


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, condition):
    while time.monotonic() - started < DEADLINE:
        pump()
        try:
            found = condition()
        except Exception:  # a control going away while it is read
            found = None
        if found:
            return found
        time.sleep(0.05)
    fail("gave up waiting for " + what)


def descendants(node):
    for k in range(node.childCount):
        child = node.getChildAtIndex(k)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for k in range(desktop.childCount):
        app = desktop.getChildAtIndex(k)
        if app is not None and app.name == "pellix":
            return app
    return None


def control(name, role=None):
    app = program()
    if app is None:
        return None
    for node in descendants(app):
        if node.name == name and (role is None or node.getRoleName() == role):
            return node
    return None


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def input_line():
    """The focused console line: where the learner types."""
    app = program()
    for node in descendants(app):
        if node.getRoleName() == "text" and node.getState().contains(pyatspi.STATE_FOCUSED):
            return node
    return None


def on_text_changed(event):
    told.append((hash(event.source), event.type, str(event.any_data)))


def typed(keys, until):
    """Types with xdotool and waits until the input line reads `until`;
    returns the text changes told meanwhile."""
    pump()
    told.clear()
    subprocess.run(["xdotool"] + keys, check=True)
    wait_for("the input line to read %r" % until,
             lambda: input_line() is not None and text_of(input_line()) == until)
    # The round trip above comes after every change the program sent before
    # it: take in those still queued.
    pump()
    changes = list(told)
    told.clear()
    return changes


def main():
    start = wait_for("the splash's Start button", lambda: control("Start", "push button"))
    start.queryAction().doAction(0)
    wait_for("the console's input line to read Router>",
             lambda: input_line() is not None and text_of(input_line()) == "Router>")
    pyatspi.Registry.registerEventListener(on_text_changed, "object:text-changed")

    key = typed(["type", "--delay", "0", "e"], "Router>e")
    print("a typed key: %d text changes: %s" % (len(key), key))
    if len(key) != 1 or key[0][2] != "e":
        fail("a typed key should tell of that key alone")
    typed(["type", "--delay", "0", "nable"], "Router>enable")

    enter = typed(["key", "Return"], "Router#")
    controls = {source for source, _, _ in enter}
    print("Enter, one new line: %d text changes from %d line controls: %s"
          % (len(enter), len(controls), enter))
    # One line moved into the console's output (the line typed); the input
    # line shows the new prompt.
    if len(controls) > 2:
        fail("one new line told by %d line controls" % len(controls))

    subprocess.run(["xdotool", "key", "F2"], check=True)
    strip = wait_for("the strip to tell of the plan",
                     lambda: (s := control("Status strip")) is not None
                     and s.description == "Network Plan displayed" and s)
    plan = wait_for("the network plan's picture", lambda: control("Network plan"))
    print("strip: name %r, description %r" % (strip.name, strip.description))
    print("plan: name %r, description %r" % (plan.name, plan.description))
    if "Router2 210.16.54.2" not in plan.description:
        fail("the plan's description names no device")
    print("PASS")


main()
