"""Drives the program as an operator did: the sequencer window open (F6), a
click into "Blendezeit", ten seconds there, then PLAY. Writes the wall-clock
times (ns) at which the field got and left the focus to MARKS.
Run by focus-keeps-wire.sh inside a D-Bus session on a virtual display:
    focus_keeps_wire.py PROGRAM HOME MARKS
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app"))
import accessibility_bus_check as bus  # noqa: E402  (the bus helpers)

FOCUS_SECONDS = 10


def title(main_window):
    return main_window.name


def run(pid, marks):
    app = bus.wait_for("the program on the accessibility bus", lambda: bus.program_app(pid), 60)
    main_window = bus.wait_for("the main window", lambda: bus.find(app, "MDIHaupt"))
    bus.wait_for("the wall window", lambda: bus.find(main_window, "frmWand"))
    time.sleep(2.0)  # streaming
    bus.xdo("key", "--clearmodifiers", "F6")
    blend = bus.wait_for("the blend field", lambda: bus.find(app, "txtSequence_1"))
    play = bus.wait_for("the PLAY button", lambda: bus.find(app, "cmdSequence_2"))
    time.sleep(1.0)

    bus.click(blend)
    focused = time.time_ns()
    bus.wait_for("the stopped title", lambda: title(main_window).endswith("....stopped"), 5)
    time.sleep(FOCUS_SECONDS)
    bus.check("title while the field has the focus", title(main_window).endswith("....stopped"), True)
    bus.click(play)
    left = time.time_ns()
    time.sleep(2.0)
    with open(marks, "w") as out:
        out.write("%d %d\n" % (focused, left))


def main():
    program, home, marks = sys.argv[1:4]
    return bus.drive(program, home, lambda pid: run(pid, marks))


if __name__ == "__main__":
    sys.exit(main())
