#!/usr/bin/env python3
"""A screen reader reads the case grid and the result table of the real program.

The real `tessalyn` runs on an X display of its own (Xvfb, with openbox as
window manager) beside a session bus with the accessibility bus of AT-SPI,
and with Qt's accessibility switched on, as while Orca runs. Two rubrics are
typed into the case grid with xdotool; the accessibility library's Python
bindings (pyatspi) then read the grid as a screen reader does: the table
"Rubriken des Falls", its column headers, the text of its cells and which
cell has the focus. "Berechnen" (Alt+B) opens the result view, whose table
"Rubriken und Mittel" must name the first remedy of the ranking as the
header of its first remedy column. The texts expected come from
`tessalyn-cli`, which reads the same content.

Usage: screen_reader.py TESSALYN TESSALYN_CLI
Run with the system's Python, which has pyatspi (python3-pyatspi).
Exit code 77 (skipped) when Xvfb, openbox, xdotool, xprop, dbus-daemon, the
AT-SPI bus launcher or pyatspi is missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
LIMIT = 60.0  # seconds: only a safety limit, every wait ends on its condition
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
RUBRICS = ["12", "40"]


def until(condition, what):
    end = time.monotonic() + LIMIT
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    sys.exit(f"FAIL: {what} within {LIMIT:.0f} seconds")


def skip_when_missing():
    missing = [tool for tool in ("Xvfb", "openbox", "xdotool", "xprop", "dbus-daemon")
               if shutil.which(tool) is None]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append(BUS_LAUNCHER)
    try:
        import gi  # noqa: F401  (pyatspi needs it; imported here only to see it is there)
        import importlib.util
        if importlib.util.find_spec("pyatspi") is None:
            missing.append("pyatspi")
    except ImportError:
        missing.append("pyatspi")
    if missing:
        print("SKIP: missing " + ", ".join(missing))
        sys.exit(SKIPPED)


def cli_fields(cli, *args):
    """The "name<TAB>value" lines of a tessalyn-cli command as a dict."""
    out = subprocess.run([cli, *args], capture_output=True, check=True, timeout=LIMIT).stdout
    return dict(line.split("\t", 1) for line in out.decode("utf-8").splitlines() if "\t" in line)


class Session:
    """Xvfb, a session bus with the AT-SPI bus, openbox: started here, ended here."""

    def __init__(self, work):
        self.work = work
        self.processes = []
        self.env = None

    def begin(self):
        """Starts everything; end() ends what was started, also after a failure here."""
        work = self.work
        read_display, write_display = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_display), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp"], pass_fds=(write_display,))
        os.close(write_display)
        with os.fdopen(read_display) as display:
            number = display.readline().strip()
        if not number:
            sys.exit("FAIL: Xvfb named no display")
        self.env = {**os.environ, "DISPLAY": ":" + number,
                    "XDG_RUNTIME_DIR": os.path.join(work, "runtime"),
                    "HOME": work, "XDG_CONFIG_HOME": os.path.join(work, "config"),
                    "XDG_STATE_HOME": os.path.join(work, "state"),
                    "XDG_DATA_HOME": os.path.join(work, "data")}
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.env.pop("AT_SPI_BUS_ADDRESS", None)
        self.start([BUS_LAUNCHER, "--launch-immediately"])
        self.start(["openbox"])
        # The program must start once openbox is the window manager (which
        # it names on the root window), or its window is never managed.
        until(lambda: b"window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True,
            timeout=LIMIT).stdout, "openbox became the window manager")

    def start(self, command, **options):
        options.setdefault("stdout", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=self.env,
                                   stderr=subprocess.DEVNULL, start_new_session=True, **options)
        self.processes.append(process)
        return process

    def end(self):
        # Each in its own process group, which its helpers (the accessibility
        # bus, the registry) share: the group goes with it.
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()


def find(node, predicate, depth=0):
    """The first accessible below `node` (itself included) that `predicate` accepts."""
    if node is None or depth > 12:
        return None
    try:
        if predicate(node):
            return node
        children = [node.getChildAtIndex(i) for i in range(min(node.childCount, 200))]
    except Exception:  # an object that went away while it was read
        return None
    for child in children:
        found = find(child, predicate, depth + 1)
        if found is not None:
            return found
    return None


def table_named(app, name):
    import pyatspi
    return find(app, lambda a: a.getRole() == pyatspi.ROLE_TABLE and a.name == name)


def read_table(table):
    """Column headers, row headers and cell texts of a table, as a screen
    reader gets them."""
    t = table.queryTable()

    def name(header):
        return header.name if header is not None else None

    columns = [name(t.getColumnHeader(c)) for c in range(t.nColumns)]
    rows = [name(t.getRowHeader(r)) for r in range(t.nRows)]
    cells = [[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)]
    return columns, rows, cells


def focused_cell(table):
    """Row and column of the cell with the focus, as a screen reader finds
    them from the cell's place among the table's children (which is what it
    says: "Zeile 2"); None while no cell has it."""
    import pyatspi
    t = table.queryTable()
    for r in range(t.nRows):
        for c in range(t.nColumns):
            cell = t.getAccessibleAt(r, c)
            if cell.getState().contains(pyatspi.STATE_FOCUSED):
                index = cell.getIndexInParent()
                return t.getRowAtIndex(index), t.getColumnAtIndex(index)
    return None


def wait_for_keyboard(grid, env):
    """Waits until a cell of the case grid has the keyboard focus, so that
    typed keys reach it. Until then the window manager is asked now and then
    to activate the program's window: it may have come up before the window
    manager was ready to give it the focus."""
    end = time.monotonic() + LIMIT
    ask = 0.0
    while focused_cell(grid) is None:
        now = time.monotonic()
        if now > end:
            sys.exit(f"FAIL: the case grid never had the keyboard focus within {LIMIT:.0f} seconds")
        if now >= ask:
            # The window manager activates the window, or the X server gives
            # it the focus directly; both fail while it is not shown yet.
            shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tessalyn"],
                                   env=env, capture_output=True, timeout=LIMIT,
                                   check=False).stdout.split()
            for command in ("windowactivate", "windowfocus"):
                for window in shown:
                    subprocess.run(["xdotool", command, window], env=env, capture_output=True,
                                   timeout=LIMIT, check=False)
            ask = now + 2.0
        time.sleep(0.05)


def run(program, cli, work):
    for folder in ("praxis", "config/Korvanei", "runtime", "state", "data"):
        os.makedirs(os.path.join(work, folder))
    os.chmod(os.path.join(work, "runtime"), 0o700)
    # No waiting at the splash window.
    with open(os.path.join(work, "config", "Korvanei", "Tessalyn.conf"), "w",
              encoding="ascii") as f:
        f.write("[General]\nStartverz%F6gerung=0\n")
    rubrics = {n: cli_fields(cli, "rubric", n) for n in RUBRICS}
    ranking = subprocess.run([cli, "evaluate", *RUBRICS], capture_output=True, check=True,
                             timeout=LIMIT).stdout.decode("utf-8").splitlines()
    first_remedy = ranking[0].split("\t")[0]

    session = Session(work)
    failures = []
    try:
        session.begin()
        # pyatspi finds the accessibility bus through the session bus.
        os.environ.update(session.env)
        import pyatspi
        program_env = {**session.env, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                       "QT_QPA_PLATFORM": "xcb", "LC_ALL": "C.UTF-8"}
        tessalyn = subprocess.Popen([program], cwd=os.path.join(work, "praxis"),
                                    env=program_env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, start_new_session=True)
        session.processes.append(tessalyn)

        def application():
            if tessalyn.poll() is not None:
                sys.exit(f"FAIL: tessalyn ended with {tessalyn.returncode}")
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == "Tessalyn":
                    return app
            return None

        app = until(application, "the program appeared on the accessibility bus")
        grid = until(lambda: table_named(app, "Rubriken des Falls"),
                     'the case grid appeared as the table "Rubriken des Falls"')
        wait_for_keyboard(grid, session.env)
        # Each row is typed once the one before has reached the grid: keys
        # typed while a row is still being taken could go into its editor.
        # The table's rows are the grid's rows below its header row: rubric
        # n is row n - 1, the new input row follows the last.
        for row, number in enumerate(RUBRICS):
            subprocess.run(["xdotool", "type", "--delay", "20", number], env=session.env,
                           check=True, timeout=LIMIT)
            subprocess.run(["xdotool", "key", "Return"], env=session.env, check=True,
                           timeout=LIMIT)
            until(lambda r=row, n=number: grid.queryTable().nRows > r + 1
                  and grid.queryTable().getAccessibleAt(r, 0).name == n,
                  f"rubric {number} reached row {row + 1} of the case grid")

        headers, _, cells = read_table(grid)
        if headers != ["Nummer", "Symptom", "Kapitel"]:
            failures.append(f"the case grid's column headers read {headers}")
        for row, number in enumerate(RUBRICS):
            expected = [number, rubrics[number]["symptom"], rubrics[number]["location"]]
            if cells[row] != expected:
                failures.append(f"row {row + 1} of the case grid reads {cells[row]}, "
                                f"not {expected}")
        focus = until(lambda: focused_cell(grid), "a cell of the case grid had the focus")
        if focus != (len(RUBRICS), 0):
            failures.append(f"the focus is on cell {focus}, not on the new input row")

        # The result: a column for each remedy, a row for each rubric, which
        # is its row header.
        subprocess.run(["xdotool", "key", "alt+b"], env=session.env, check=True, timeout=LIMIT)
        result = until(lambda: table_named(app, "Rubriken und Mittel"),
                       'the result view showed its table "Rubriken und Mittel"')
        headers, row_headers, _ = read_table(result)
        if not headers or headers[0] != first_remedy:
            failures.append(f"the first remedy column's header reads {headers[:1]}, "
                            f"not {first_remedy!r}")
        if not row_headers or not (row_headers[0] or "").startswith(
                rubrics[RUBRICS[0]]["symptom"]):
            failures.append(f"the first rubric row's header reads {row_headers[:1]}")
    finally:
        session.end()

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("a screen reader read the case grid and the result table")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: screen_reader.py TESSALYN TESSALYN_CLI")
    skip_when_missing()
    # Stopped from outside (a time limit), it still ends what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAIL: stopped from outside"))
    work = tempfile.mkdtemp(prefix="tessalyn-a11y.")
    try:
        run(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
