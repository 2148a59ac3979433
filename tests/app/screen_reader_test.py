#!/usr/bin/python3
"""The utility as a screen reader meets it: on an X server of its own (Xvfb), with a session bus
and the accessibility bus, every object the main window and the set-up editor say can take the
focus has a name over AT-SPI, and a drop-down list's name says what it is for, not the entry it
shows.

    screen_reader_test.py QUVANE_UTILITY
"""
import ctypes
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

pyatspi = None  # imported once the buses of the test's own session are in the environment

APP = "Quvane Utility"


def dies_with_the_test():
    """Run in a child before it starts: it ends when this test's process does, even when the
    test is killed (a test run's timeout), so that no X server outlives the run."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def start_display():
    """An X server of the test's own. Two servers started at once can be told the same free
    number; the one that lost is started again."""
    for _ in range(5):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                   "1024x600x24", "-nolisten", "tcp"], pass_fds=[write],
                                  stderr=subprocess.DEVNULL, preexec_fn=dies_with_the_test)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        display = number.decode().strip()
        if display and reachable(display) and server.poll() is None:
            return server, ":" + display
        server.terminate()
        server.wait()
    sys.exit("no X server could be started")


def reachable(display):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
        try:
            connection.connect("/tmp/.X11-unix/X" + display)
            return True
        except OSError:
            return False


# Generous waits: a loaded machine starts the program slowly.
def application(process=None):
    """The utility on the bus; None when its process ended first (it found no X server)."""
    for _ in range(600):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP and app.childCount > 0:
                return app
        if process is not None and process.poll() is not None:
            return None
        time.sleep(0.1)
    sys.exit("the utility did not appear on the accessibility bus")


# The exit status of a run whose utility could not reach its X server: on a loaded machine an
# X server has been seen to go away between its start and the utility's. The whole run (X
# server, session bus, accessibility bus) is then made again, in a process of its own.
AGAIN = 75


def window(app, title_start):
    for _ in range(300):
        for w in app:
            if w is not None and w.name.startswith(title_start) and \
                    w.getState().contains(pyatspi.STATE_SHOWING):
                return w
        time.sleep(0.1)
    sys.exit("no window " + title_start)


def problems(node, found):
    """What a screen reader would announce without a purpose, below node."""
    states = node.getState()
    role = node.getRoleName()
    if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING) \
            and role != "list item":
        if not node.name.strip():
            found.append("%s in %s: no name" % (role, node.parent.name or node.parent.getRoleName()))
        elif role == "combo box":
            # A list's name is one of its own entries when it is named by what it shows.
            entries = {item.name for view in node if view is not None
                       for item in view if item is not None}
            if node.name in entries:
                found.append("combo box named by its entry %r" % node.name)
    for child in node:
        if child is not None:
            problems(child, found)
    return found


def main():
    utility = sys.argv[1]
    server, display = start_display()
    home = tempfile.TemporaryDirectory()
    os.chmod(home.name, 0o700)
    environment = dict(os.environ, DISPLAY=display, QUVANE_PORT="sim",
                       XDG_CONFIG_HOME=home.name, XDG_RUNTIME_DIR=home.name,
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    bus = subprocess.run(["dbus-launch", "--sh-syntax"], env=environment, check=True,
                         capture_output=True, text=True).stdout
    for line in bus.splitlines():
        if line.startswith("DBUS_SESSION_BUS_ADDRESS=") or line.startswith("DBUS_SESSION_BUS_PID="):
            name, value = line.rstrip(";").split("=", 1)
            environment[name] = value.strip("'")
    os.environ.update(environment)
    processes = [subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                  env=environment, stderr=subprocess.DEVNULL,
                                  preexec_fn=dies_with_the_test)]
    global pyatspi
    import pyatspi as module
    pyatspi = module
    try:
        time.sleep(0.5)
        processes.append(subprocess.Popen([utility], env=environment,
                                          preexec_fn=dies_with_the_test))
        app = application(processes[-1])
        if app is None:
            print("the utility could not reach the X server " + display, file=sys.stderr)
            return AGAIN
        found = []
        main_window = window(app, "Quvane QV45 Utility")
        problems(main_window, found)
        # The set-up editor, behind its shortcut.
        subprocess.run(["xdotool", "search", "--sync", "--name", "Quvane QV45 Utility",
                        "windowfocus", "--sync", "key", "ctrl+shift+e"], env=environment,
                       check=True, stdout=subprocess.DEVNULL)
        problems(window(application(), "Product Set-up"), found)
        for problem in found:
            print(problem)
        return 1 if found else 0
    finally:
        for process in reversed(processes):
            process.terminate()
            process.wait()
        subprocess.run(["kill", environment["DBUS_SESSION_BUS_PID"]])
        server.terminate()
        server.wait()


if __name__ == "__main__":
    if os.environ.get("QUVANE_SCREEN_READER_RUN"):
        sys.exit(main())
    for _ in range(3):
        run = subprocess.run([sys.executable, __file__] + sys.argv[1:],
                             env=dict(os.environ, QUVANE_SCREEN_READER_RUN="1"),
                             preexec_fn=dies_with_the_test)
        if run.returncode != AGAIN:
            sys.exit(run.returncode)
    sys.exit("the utility could not reach an X server three times")
