#!/usr/bin/python3
"""Prints the main window through a real print server, and checks what comes out of it.

Starts CUPS with a PDF queue as the default printer, types the worked example, runs
File > PrintForm in the real program, waits for the PDF, turns it into an image and checks that
the image shows the main window: its proportions and the results' dark-green text. Then, with
CUPS stopped, checks that the same command says plainly that there is no printer.
Usage: print_cups.py PROGRAM OUTPUT_DIR   (as root, inside a D-Bus session, on an X display)
"""

import glob
import os
import pwd
import shutil
import signal
import subprocess
import sys

import pyatspi
from PIL import Image, ImageChops

from desktop_session import (RESULTS, Failure, KEY_RETURN, alt, attach,
                             enter_worked_example, press, read_results, start_program,
                             stop_program, top_level, wait_for)

QUEUE = "VeltraneTestPDF"
PPD = "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"
# The result fields' text colour. Smoothed glyph edges blend it with the white field behind, so
# the page shows it in two ways: glyph cores near the colour itself, and edges that are lighter
# but still greener than they are red or blue (black text blends to greys, never to green).
GREEN = (0, 64, 0)
CORE_TOLERANCE = 32
MIN_CORE_PIXELS = 20
MIN_EDGE_PIXELS = 300
RESOLUTION = "300"


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=30)


class PrintServer:
    def __init__(self, pid_file):
        self.pid_file = pid_file
        self.process = None
        self.previous_default = None

    def start(self):
        os.makedirs("/run/cups", exist_ok=True)
        self.process = subprocess.Popen(["cupsd", "-f"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        with open(self.pid_file, "w") as file:
            file.write(f"{self.process.pid}\n")
        wait_for("cupsd to take requests",
                 lambda: "scheduler is running" in run("lpstat", "-r").stdout)
        default = run("lpstat", "-d").stdout
        if ":" in default:
            self.previous_default = default.split(":", 1)[1].strip()
        for command in (["lpadmin", "-p", QUEUE, "-v", "cups-pdf:/", "-m", PPD, "-E"],
                        ["lpadmin", "-d", QUEUE]):
            result = run(*command)
            if result.returncode != 0:
                raise Failure(f"{' '.join(command)} failed: {result.stderr.strip()}")
        print(f"cupsd is running with {QUEUE} as the default printer")

    def remove_queue(self):
        run("lpadmin", "-x", QUEUE)
        if self.previous_default and self.previous_default != QUEUE:
            run("lpadmin", "-d", self.previous_default)

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            self.remove_queue()
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None
        os.unlink(self.pid_file)


def pdf_folder():
    """Where cups-pdf writes the jobs of the user running this test."""
    user = pwd.getpwuid(os.getuid())
    folder = "/var/spool/cups-pdf/${USER}"
    with open("/etc/cups/cups-pdf.conf") as conf:
        for line in conf:
            words = line.split(None, 1)
            if len(words) == 2 and words[0] == "Out":
                folder = words[1].strip()
    return folder.replace("${HOME}", user.pw_dir).replace("${USER}", user.pw_name)


def print_main_window(program, output_dir):
    folder = pdf_folder()
    before = set(glob.glob(os.path.join(folder, "*.pdf")))
    process = start_program(program)
    try:
        application, window = attach(process)
        extents = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        enter_worked_example(window)
        if read_results(window) != RESULTS:
            raise Failure("the worked example did not give its results")
        alt("f")
        press(ord("p"))
        pdfs = wait_for(f"the printed PDF in {folder}", lambda: sorted(
            set(glob.glob(os.path.join(folder, "*.pdf"))) - before), timeout=60)
        wait_for(f"the queue {QUEUE} to be empty", lambda: run("lpstat", "-o", QUEUE).stdout == "")
        if top_level(application, lambda child: child.getRole() == pyatspi.ROLE_ALERT):
            raise Failure("a message box opened although the page was printed")
    finally:
        stop_program(process)
    if len(pdfs) != 1:
        raise Failure(f"expected one PDF from the job, found {pdfs}")
    pdf = os.path.join(output_dir, "printed-main-window.pdf")
    # cups-pdf writes under the user's home, which may be another file system than the build.
    shutil.move(pdfs[0], pdf)
    print(f"the page arrived: {pdf}")
    return pdf, (extents.width, extents.height)


def check_page(pdf, window_size, output_dir):
    stem = os.path.join(output_dir, "printed-main-window")
    result = subprocess.run(["pdftoppm", "-png", "-r", RESOLUTION, "-singlefile", pdf, stem],
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise Failure(f"pdftoppm failed: {result.stderr.strip()}")
    image = Image.open(stem + ".png").convert("RGB")
    print(f"page image {image.size[0]} x {image.size[1]}: {stem}.png")
    box = ImageChops.difference(image, Image.new("RGB", image.size, "white")).getbbox()
    if box is None:
        raise Failure("the printed page is blank")
    width, height = box[2] - box[0], box[3] - box[1]
    window_width, window_height = window_size
    print(f"printed area {width} x {height} at ({box[0]}, {box[1]}); "
          f"the window is {window_width} x {window_height}")
    ratio = (width / height) / (window_width / window_height)
    if abs(ratio - 1) > 0.03:
        raise Failure(f"the printed area's proportions differ from the window's by "
                      f"{abs(ratio - 1):.1%}")
    if width < image.size[0] / 4:
        raise Failure("the printed window is too small to read")
    # Dark-green pixels in the right half of the printed window, where the results are.
    right_half = image.crop((box[0] + width // 2, box[1], box[2], box[3]))
    pixels = list(right_half.getdata())
    cores = sum(1 for pixel in pixels
                if all(abs(value - wanted) <= CORE_TOLERANCE for value, wanted in zip(pixel, GREEN)))
    edges = sum(1 for red, green, blue in pixels if green - max(red, blue) >= 15)
    print(f"among the results: {cores} pixels of dark-green glyph cores, {edges} greenish pixels")
    if cores < MIN_CORE_PIXELS or edges < MIN_EDGE_PIXELS:
        raise Failure("the results' dark-green text is not on the page")


def check_no_printer(program):
    process = start_program(program)
    try:
        application, _ = attach(process)
        alt("f")
        press(ord("p"))
        alert = wait_for("the no-printer message", lambda: top_level(
            application, lambda child: child.getRole() == pyatspi.ROLE_ALERT))
        texts = [alert.name] + [a.name for a in pyatspi.findAllDescendants(
            alert, lambda a: a.getRole() == pyatspi.ROLE_LABEL)]
        print(f"message box: {texts}")
        if alert.name != "Veltrane":
            raise Failure(f'the message box is titled "{alert.name}", not "Veltrane"')
        if not any("printer" in text.lower() for text in texts[1:]):
            raise Failure("the message does not say that there is no printer")
        press(KEY_RETURN)
        wait_for("the message box to close", lambda: top_level(
            application, lambda child: child.getRole() == pyatspi.ROLE_ALERT) is None)
    finally:
        stop_program(process)


def main():
    program, output_dir = sys.argv[1], sys.argv[2]
    os.makedirs(output_dir, exist_ok=True)
    server = PrintServer(os.path.join(output_dir, "cupsd.pid"))
    try:
        server.start()
        pdf, window_size = print_main_window(program, output_dir)
        server.stop()
        print("cupsd stopped")
        check_page(pdf, window_size, output_dir)
        check_no_printer(program)
        print("with no print server the program says so")
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        server.stop()
    return 0


if __name__ == "__main__":
    # A timeout's SIGTERM unwinds through the clean-up, so nothing is left running.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: stopped by a timeout"))
    sys.exit(main())
