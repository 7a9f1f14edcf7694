#!/usr/bin/python3
"""Reads and drives the calculator the way a screen reader user does, over AT-SPI.

Starts the program, finds every field by the accessible name its label gives it, types the
worked example with the keyboard alone (the Enter chain, the arrow keys in the months list,
Enter on Calculate), reads the seven results back, opens View, Position Analysis with the
keyboard and reads every figure of the analysis by its caption, reads the About dialog and leaves
with Alt+X.
Usage: atspi_worked_example.py PROGRAM   (inside a D-Bus session, on an X display)
"""

import signal
import subprocess
import sys

import pyatspi

from desktop_session import (INPUTS, RESULTS, TIMEOUT, Failure, KEY_RETURN, KEY_TAB, alt, attach, one,
                             activate_window, button_named, descendants, enter_worked_example,
                             field_named, fresh, has_focus, months_list, press, text_of, read_results, start_program,
                             stop_program, top_level, wait_for, window_named)


def check_names(window):
    for name in INPUTS:
        field_named(window, name)
    for name, _ in RESULTS:
        states = field_named(window, name).getState()
        if states.contains(pyatspi.STATE_EDITABLE) and not states.contains(
                pyatspi.STATE_READ_ONLY):
            raise Failure(f'the result field "{name}" can be edited')
    labels = [
        relation.getTarget(index).name
        for relation in months_list(window).getRelationSet()
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
        for index in range(relation.getNTargets())
    ]
    if "No Months Out" not in labels:
        raise Failure(f'the months list is not labelled by "No Months Out" (but by {labels})')
    for name in ("Calculate", "Clear", "Exit"):
        button_named(window, name)
    menus = {a.name for a in descendants(
        window, lambda a: a.getRole() in (pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM))}
    # The menu bar's entries, named by their captions without the access-key marks.
    wanted = {"File", "Calculate", "PrintForm", "Clear", "Exit", "View", "Position Analysis...",
              "Screen Option Chain...",
              "Help", "About"}
    if menus != wanted:
        raise Failure(f"the menus read {sorted(menus)}, expected {sorted(wanted)}")


# The controls that take the focus, in tab order, from the first input to the last button.
TAB_ORDER = INPUTS + ["months list", "Calculate", "Clear", "Exit"]


def check_clear_and_tab_order(window):
    """Alt+C clears the fields and puts the focus in the first; Tab then walks the tab order."""
    inputs = [field_named(window, name) for name in INPUTS]
    results = [field_named(window, name) for name, _ in RESULTS]
    controls = inputs + [months_list(window)] + [
        button_named(window, name) for name in ("Calculate", "Clear", "Exit")]
    alt("c")
    wait_for("Alt+C to empty the eleven fields",
             lambda: all(text_of(field) == "" for field in inputs + results))
    wait_for(f'the focus in "{INPUTS[0]}" after Clear', lambda: has_focus(inputs[0]))
    for name, following in zip(TAB_ORDER[1:], controls[1:]):
        press(KEY_TAB)
        wait_for(f'Tab to reach "{name}"', lambda following=following: has_focus(following))


# The analysis of the worked example, every figure by its caption. Days to expiry stays empty:
# the time to expiry is given in months.
ANALYSIS = [
    ("Premium received", "$625.00"),
    ("Dividends", "$0.00"),
    ("Fees", "$0.00"),
    ("Stock cost", "$14,250.00"),
    ("Proceeds if assigned", "$15,000.00"),
    ("Maximum profit", "$1,375.00"),
    ("Profit if the price is unchanged", "$625.00"),
    ("Maximum loss", "$13,625.00"),
    ("Breakeven price", "$27.25"),
    ("Static return (price unchanged)", "4.39%"),
    ("Return if called", "9.65%"),
    ("Downside protection", "4.39%"),
    ("Upside to strike", "5.26%"),
    ("Static return per year (simple)", "17.54%"),
    ("Return if called per year (simple)", "38.60%"),
    ("Static return per year (compounded)", "18.73%"),
    ("Return if called per year (compounded)", "44.55%"),
    ("Days to expiry", ""),
]


def read_analysis(application):
    """Opens View, Position Analysis by keyboard and reads every figure by its caption."""
    alt("v")
    press(ord("p"))
    try:
        window = wait_for('the "Position Analysis" window',
                          lambda: window_named(application, "Position Analysis"))
    except Failure:
        names = [(fresh(application).getChildAtIndex(i).name, application.getChildAtIndex(i).getRoleName()) for i in range(application.childCount)]
        print(f"  the program's windows: {names}")
        raise
    fields = [field_named(window, caption) for caption, _ in ANALYSIS]
    wait_for("the analysis's figures", lambda: text_of(fields[0]) != "")
    figures = [(field.name, text_of(field)) for field in fields]
    for caption, text in figures:
        print(f"  {caption}: {text}")
    if figures != ANALYSIS:
        raise Failure(f"read back {figures}, expected {ANALYSIS}")
    chart = one(window, "payoff chart", lambda a: a.name == "Payoff chart")
    description = chart.description
    print(f"  Payoff chart: {description}")
    if "Breakeven $27.25" not in description:
        raise Failure(f'the chart\'s description does not name the breakeven: "{description}"')
    return window


def read_about(application):
    alt("h")
    press(ord("b"))
    dialog = wait_for("the About dialog", lambda: top_level(
        application, lambda child: child.name.startswith("About ")))
    print(f'  title: "{dialog.name}"')
    texts = [a.name for a in descendants(dialog, lambda a: a.getRole() == pyatspi.ROLE_LABEL)]
    for text in texts:
        print(f"  label: {text}")
    for wanted in ("Veltrane", "Version 1.0.2"):
        if wanted not in texts:
            raise Failure(f'no label reads "{wanted}" in the About dialog')
    press(KEY_RETURN)
    wait_for("the About dialog to close", lambda: window_named(application, dialog.name) is None)


def main():
    process = start_program(sys.argv[1])
    try:
        application, window = attach(process)
        check_names(window)
        print("found every field by its label's name, the months list by its relation, "
              "the buttons and menus by their captions")
        enter_worked_example(window)
        results = read_results(window)
        for name, text in results:
            print(f"  {name}: {text}")
        if results != RESULTS:
            raise Failure(f"read back {results}, expected {RESULTS}")
        print("typed the worked example with the keyboard alone and read the seven results back")
        read_analysis(application)
        print("opened View, Position Analysis with Alt+V, P and read every figure by its caption")
        # Back to the main window, as a window manager would on a click there.
        activate_window(process.pid)
        wait_for("the main window active again",
                 lambda: fresh(window).getState().contains(pyatspi.STATE_ACTIVE))
        check_clear_and_tab_order(window)
        print("Alt+C cleared the fields; Tab walked " + ", ".join(TAB_ORDER))
        read_about(application)
        print("read the About dialog and closed it with Enter")
        # A window manager hands the keyboard back to the main window when a dialog closes.
        activate_window(process.pid)
        wait_for("the main window active again",
                 lambda: fresh(window).getState().contains(pyatspi.STATE_ACTIVE))
        alt("x")
        try:
            status = process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("Alt+X did not end the program") from None
        if status != 0:
            raise Failure(f"Alt+X ended the program with status {status}")
        print("Alt+X ended the program")
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        stop_program(process)
    return 0


if __name__ == "__main__":
    # A timeout's SIGTERM unwinds through the clean-up, so nothing is left running.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: stopped by a timeout"))
    sys.exit(main())
