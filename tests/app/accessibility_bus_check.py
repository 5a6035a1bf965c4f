"""Reads the running program over AT-SPI, as a screen reader does.

Run by accessibility-bus.sh inside a D-Bus session on a virtual display:
    accessibility_bus_check.py PROGRAM HOME
Controls are found by their accessible description, which is the control name
with TINCTARA_AUTOMATION=1; everything checked is read over the bus. Keys and
clicks go through xdotool, as a user's would.
"""

import os
import signal
import subprocess
import sys
import time

import pyatspi

# The wall's cells report their selected state once the cell accessibility
# lands; until then a missing state is reported as expected to come.
SELECTED_CELL_STATE_READY = True

failures = []


def check(what, actual, expected):
    if actual == expected:
        print("ok   %s: %r" % (what, actual))
    else:
        print("FAIL %s: %r, expected %r" % (what, actual, expected))
        failures.append(what)


def wait_for(what, probe, timeout=20.0):
    """Polls probe() until it returns something truthy."""
    end = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except Exception:  # the tree changes while it is read
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(0.2)


def program_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(root, description):
    for node in descendants(root):
        if node.description == description:
            return node
    return None


def xdo(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def click(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdo("mousemove", str(extents.x + extents.width // 2), str(extents.y + extents.height // 2), "click", "1")


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    action.doAction(0)


def drive(program, home, body):
    """Starts the program so that it joins the bus, runs body(pid) and ends
    the program; 1 when a check failed."""
    # Qt joins the accessibility bus only when it is there at start (it does not
    # start it): asking for the desktop starts the bus and its registry first.
    pyatspi.Registry.getDesktop(0).childCount
    process = subprocess.Popen([program, "--home", home, "--hardware", "virtual"])
    try:
        body(process.pid)
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
    if failures:
        print("%d check(s) failed: %s" % (len(failures), ", ".join(failures)))
        return 1
    print("all checks passed")
    return 0


def main():
    program, home = sys.argv[1], sys.argv[2]
    return drive(program, home, run)


def run(pid):
    app = wait_for("the program on the accessibility bus", lambda: program_app(pid), 60)
    main_window = wait_for("the main window", lambda: find(app, "MDIHaupt"))

    # The title is the program's status line: what the title bar shows.
    wait_for("the wall window", lambda: find(main_window, "frmWand"))
    time.sleep(1.0)
    shown = subprocess.run(["xdotool", "search", "--all", "--pid", str(pid), "--name", "."],
                           capture_output=True, text=True).stdout.split()
    titles = [subprocess.run(["xdotool", "getwindowname", w], capture_output=True, text=True).stdout.strip()
              for w in shown]
    title = main_window.name
    check("main window title is read as shown", title in titles and title not in ("", "TINCTARA"), True)
    print("     main window title: %r" % title)

    # A click on a cell while the patch window is open reports on the wall's status line.
    xdo("key", "F5")
    wait_for("the patch window", lambda: find(main_window, "frmElement"))
    wall = find(main_window, "frmWand")
    wait_for("cell 1", lambda: find(wall, "lblWand_0"))
    # The patch window opens inside the work area, possibly over the wall: the
    # click goes to a cell the user can see.
    patch = find(main_window, "frmElement").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    def visible_cell():
        for index in range(121):
            node = find(wall, "lblWand_%d" % index)
            if node is None:
                return None
            e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            cx, cy = e.x + e.width // 2, e.y + e.height // 2
            if not (patch.x <= cx < patch.x + patch.width and patch.y <= cy < patch.y + patch.height):
                return node
        return None

    cell = wait_for("a cell beside the patch window", visible_cell)
    click(cell)
    wall_status = find(wall, "lblStatus")
    wait_for("the wall status", lambda: wall_status.name, 10)
    check("wall status line after a click on a cell", wall_status.name, "Zeige Patchdaten des ausgewälten Elements")

    selected = cell.getState().contains(pyatspi.STATE_SELECTED)
    if selected or SELECTED_CELL_STATE_READY:
        check("selected cell reports the selected state", selected, True)
    else:
        print("SKIPPED (expected to come): the selected cell does not report the selected state yet; "
              "set SELECTED_CELL_STATE_READY once the wall's cell accessibility is in")

    # 256 typed into a colour value field is refused on the colour window's status line.
    xdo("key", "F7")
    colour = wait_for("the colour window", lambda: find(main_window, "frmColor"))
    field = find(colour, "txtFarbe_0")
    field.queryComponent().grabFocus()
    wait_for("the value field's focus", lambda: field.getState().contains(pyatspi.STATE_FOCUSED), 10)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "50", "256")
    xdo("key", "Tab")
    colour_status = find(colour, "lblStatus")
    wait_for("the colour status", lambda: "255" in colour_status.name, 10)
    check("colour window status after 256", colour_status.name, "Es sind nur Werte zwischen 0 und 255 möglich!")
    check("value field reads its text", field.queryText().getText(0, -1), "0")

    # A value that fits goes onto the selected cell and changes the scene.
    field.queryComponent().grabFocus()
    wait_for("the value field's focus", lambda: field.getState().contains(pyatspi.STATE_FOCUSED), 10)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "50", "200")
    xdo("key", "Tab")
    fader = find(colour, "ScrFarbe_0")
    wait_for("the fader to follow", lambda: fader.queryValue().currentValue == 200, 10)
    check("fader reads its name and value", (fader.name, fader.queryValue().currentValue), ("Rot", 200.0))

    # The test-mode button is read by its caption, before and after it is pressed.
    xdo("key", "F8")
    dmx = wait_for("the DMX test window", lambda: find(main_window, "frmDMX"))
    button = find(dmx, "cmdDMX_0")
    check("test-mode button before", button.name, "Testmode starten")
    press(button)
    wait_for("the caption to change", lambda: button.name != "Testmode starten", 10)
    check("test-mode button after", button.name, "Testmode beenden")
    press(button)
    wait_for("the caption to change back", lambda: button.name == "Testmode starten", 10)

    # A colour stored in the colour table changes it: leaving then asks whether to save it.
    press(find(colour, "cmdColor_3"))
    press(find(colour, "txtUserColor_0"))
    time.sleep(0.5)
    xdo("key", "ctrl+F4")
    try:
        box = wait_for("a message box", lambda: message_box(app), 20)
    except TimeoutError:
        if os.environ.get("ACCESSIBILITY_SHOT"):
            subprocess.run(["import", "-window", "root", os.environ["ACCESSIBILITY_SHOT"]], check=False)
        raise
    if os.environ.get("ACCESSIBILITY_SHOT"):  # a picture of the question, for looking at by hand
        time.sleep(0.5)
        subprocess.run(["import", "-window", "root", os.environ["ACCESSIBILITY_SHOT"]], check=False)
    texts = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL and n.name]
    buttons = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    print("     message box: %r, buttons %r" % (texts, buttons))
    check("message box text is read", any("Farbtabelle verändert" in t for t in texts), True)
    check("message box buttons in German", sorted(buttons), sorted(["Ja", "Nein", "Abbrechen"]))
    press(next(n for n in descendants(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Abbrechen"))


def descendants(node):
    """Breadth first; menus are left out, their entries are many and not looked for."""
    queue = [node]
    while queue:
        for child in queue.pop(0):
            if child is None or child.getRole() in (pyatspi.ROLE_MENU_BAR, pyatspi.ROLE_MENU):
                continue
            yield child
            queue.append(child)


def message_box(app):
    for window in app:
        if window is not None and window.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG):
            if any(n.getRole() == pyatspi.ROLE_PUSH_BUTTON for n in descendants(window)):
                return window
    return None


if __name__ == "__main__":
    sys.exit(main())
