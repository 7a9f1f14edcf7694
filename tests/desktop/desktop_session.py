"""What the desktop tests share: starting the program, finding it over AT-SPI, waiting, keys."""

import os
import subprocess
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 20.0

INPUTS = ["Option Price", "Strike Price", "Current share price", "Number of Shares"]
WORKED_EXAMPLE = ["1.25", "30", "28.50", "500"]
WORKED_EXAMPLE_MONTHS = 3
RESULTS = [
    ("Received from Options", "$625.00"),
    ("Total If Assigned", "$15,000.00"),
    ("Total Receipts", "$15,625.00"),
    ("Total Stock Cost", "$14,250.00"),
    ("Net Gain", "$1,375.00"),
    ("Divide Into Cost", "0.096"),
    ("Annual % Return", "38.40%"),
]
TITLE = "Veltrane"


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except GLib.GError:  # an object went away while the program was changing its windows
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.1)


def start_program(program):
    # The reference regional settings, so the figures read back are the worked example's texts.
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               LC_ALL="C.UTF-8")
    return subprocess.Popen([program], env=env)


def stop_program(process):
    if process.poll() is None:
        process.kill()
        process.wait()


def fresh(accessible):
    accessible.clearCache()
    return accessible


def descendants(root, predicate):
    return pyatspi.findAllDescendants(root, predicate)


def one(root, what, predicate):
    found = descendants(root, predicate)
    if len(found) != 1:
        raise Failure(f"expected one {what}, found {len(found)}")
    return found[0]


def is_text_field(accessible):
    return accessible.getRole() != pyatspi.ROLE_LABEL and "Text" in pyatspi.listInterfaces(
        accessible)


def field_named(window, name):
    return one(window, f'text field named "{name}"',
               lambda a: a.name == name and is_text_field(a))


def text_of(accessible):
    return accessible.queryText().getText(0, -1)


def has_focus(accessible):
    return fresh(accessible).getState().contains(pyatspi.STATE_FOCUSED)


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is not None and application.get_process_id() == pid:
            return application
    return None


def top_level(application, predicate):
    for index in range(fresh(application).childCount):
        child = application.getChildAtIndex(index)
        if child is not None and predicate(child):
            return child
    return None


def window_named(application, name):
    return top_level(application, lambda child: child.name == name and child.getRole() in (
        pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_WINDOW))


def attach(process):
    """The program's application and main window on the accessibility bus, the window active."""
    application = wait_for("the program on the accessibility bus",
                           lambda: find_application(process.pid))
    window = wait_for(f'the window "{TITLE}"', lambda: window_named(application, TITLE))
    activate_window(process.pid)
    wait_for("the main window to become active",
             lambda: fresh(window).getState().contains(pyatspi.STATE_ACTIVE))
    return application, window


def activate_window(pid):
    # With no window manager nobody gives a window the keyboard; do what one would.
    windows = wait_for(
        "the main window on the X display",
        lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", f"^{TITLE}$"],
            capture_output=True, text=True, timeout=10).stdout.split())
    subprocess.run(["xdotool", "windowfocus", "--sync", windows[0]], check=True, timeout=10)


def press(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    time.sleep(0.05)


def type_text(text):
    for character in text:
        press(ord(character))


def alt(letter):
    # AT-SPI presses modifiers by key code, which differs between keyboards; xdotool maps it.
    subprocess.run(["xdotool", "key", f"alt+{letter}"], check=True, timeout=10)
    time.sleep(0.05)


KEY_RETURN = 0xFF0D
KEY_DOWN = 0xFF54
KEY_TAB = 0xFF09


def months_list(window):
    return one(window, "months list", lambda a: a.getRole() == pyatspi.ROLE_COMBO_BOX)


def button_named(window, name):
    return one(window, f'button "{name}"',
               lambda a: a.name == name and a.getRole() == pyatspi.ROLE_PUSH_BUTTON)


def enter_worked_example(window):
    """Types the worked example with the keyboard alone, from the first field to Calculate."""
    fields = [field_named(window, name) for name in INPUTS]
    months = months_list(window)
    calculate = button_named(window, "Calculate")
    wait_for(f'the focus in "{INPUTS[0]}"', lambda: has_focus(fields[0]))
    for field, text, following in zip(fields, WORKED_EXAMPLE, fields[1:] + [months]):
        type_text(text)
        wait_for(f'"{text}" in "{field.name}"',
                 lambda field=field, text=text: text_of(field) == text)
        press(KEY_RETURN)
        wait_for(f'the focus to move on from "{field.name}"',
                 lambda following=following: has_focus(following))
    for _ in range(WORKED_EXAMPLE_MONTHS):
        press(KEY_DOWN)
    # A combo box's accessible name is its current text.
    wanted = str(WORKED_EXAMPLE_MONTHS)
    wait_for(f'"{wanted}" chosen in the months list', lambda: fresh(months).name == wanted)
    press(KEY_RETURN)
    wait_for('the focus on "Calculate"', lambda: has_focus(calculate))
    press(KEY_RETURN)


def read_results(window):
    """The seven result texts, once the last one has been written."""
    fields = [field_named(window, name) for name, _ in RESULTS]
    wait_for("the results", lambda: text_of(fields[-1]) != "")
    return [(field.name, text_of(field)) for field in fields]
