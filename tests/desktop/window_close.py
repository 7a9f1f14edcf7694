"""Closes the main window the way a window manager's close button does, with the analysis window
in each state, and checks that the program ends with status 0 every time."""

import os
import subprocess
import sys
import time

from Xlib import X, display, protocol

RUNS = int(os.environ.get("CLOSE_RUNS", "10"))
STATES = ["never opened", "open", "hidden by Esc", "opened again after Esc", "minimised"]


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], check=False, capture_output=True,
                          text=True, timeout=20).stdout.split()


def visible(name):
    return xdotool("search", "--onlyvisible", "--name", f"^{name}$")


def wait_for(what, probe, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = probe()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def keys(window, *names):
    # twm gives the focus to the window under the pointer, and takes it back from a window
    # given it while the pointer is elsewhere: the pointer goes where the keys go, as a user's.
    xdotool("mousemove", "--window", window, "--sync", "1", "1")
    xdotool("windowfocus", "--sync", window)
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def menu_shown(x):
    # A menu is the program's one visible window the window manager does not frame (Qt does not
    # always mark a menu shown again as a menu).
    for window_id in xdotool("search", "--onlyvisible", "--class", "pravik"):
        window = x.create_resource_object("window", int(window_id))
        try:
            if window.get_attributes().override_redirect:
                return True
        except Exception:  # the window went between the search and this look
            continue
    return False


def open_analysis(x, main):
    # As a user does: P once the View menu shows.
    keys(main, "alt+v")
    wait_for("the View menu", lambda: menu_shown(x))
    xdotool("key", "--clearmodifiers", "p")
    return wait_for("the analysis window", lambda: visible("Position Analysis"))[0]


def ask_to_close(x, window_id):
    # WM_DELETE_WINDOW, which is what a window manager sends for its close button.
    window = x.create_resource_object("window", int(window_id))
    protocols = x.intern_atom("WM_PROTOCOLS")
    delete = x.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=0)
    x.flush()


def one_run(program, state, x):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
    process = subprocess.Popen([program], env=env)
    try:
        main = wait_for("the main window", lambda: visible("Veltrane"))[0]
        if state != "never opened":
            analysis = open_analysis(x, main)
            if state in ("hidden by Esc", "opened again after Esc"):
                keys(analysis, "Escape")
                wait_for("the analysis window to hide", lambda: not visible("Position Analysis"))
            if state == "opened again after Esc":
                open_analysis(x, main)
            if state == "minimised":
                xdotool("windowminimize", "--sync", analysis)
        ask_to_close(x, main)
        status = process.wait(timeout=10)
    except AssertionError as failure:
        return str(failure)
    except subprocess.TimeoutExpired:
        return "still running 10 s after the close"
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    return None if status == 0 else f"ended with status {status}"


def main():
    program = sys.argv[1]
    x = display.Display()
    failures = []
    for state in STATES:
        for run in range(RUNS):
            problem = one_run(program, state, x)
            if problem:
                failures.append(f"{state}, run {run + 1}: {problem}")
        print(f"{state}: {RUNS} runs", flush=True)
    for failure in failures:
        print(failure)
    print(f"{len(STATES) * RUNS - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
