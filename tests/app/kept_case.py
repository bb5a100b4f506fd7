#!/usr/bin/env python3
"""The case on screen survives kill -9 of the desktop program.

The real `tessalyn` runs in a folder of its own with its screen served over
VNC (Qt's "vnc" platform), so this script types into it as a person at the
keyboard would: twelve rows, one of them with a "+" link. Once the program
has written the case to its state file it is killed with SIGKILL; started
again (with --startup-probe, headless) it must name the case on its first
screen, and the state file must still be the one the first run wrote,
private to the user.

Usage: kept_case.py TESSALYN
Exit code 77 (skipped) when the program cannot serve its screen over VNC.
"""
import os
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
LIMIT = 60.0  # seconds: only a safety limit, every wait ends on its condition
ROWS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11+20", "12"]
RETURN = 0xFF0D


def until(condition, what):
    end = time.monotonic() + LIMIT
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    sys.exit(f"FAIL: {what} within {LIMIT:.0f} seconds")


def recv_exactly(sock, size):
    data = b""
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise EOFError("the VNC server closed the connection")
        data += chunk
    return data


def vnc_connect(port, program):
    """An RFB client session without authentication, past the server's init."""

    def attempt():
        if program.poll() is not None:
            program.stderr.seek(0)
            err = program.stderr.read().decode(errors="replace")
            if 'platform plugin "vnc"' in err:
                print("SKIP: this Qt has no VNC platform")
                sys.exit(SKIPPED)
            sys.exit(f"FAIL: tessalyn ended with {program.returncode} before it served "
                     f"its screen\n{err}")
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=LIMIT)
        except OSError:
            return None

    sock = until(attempt, "the program's VNC screen came up")
    version = recv_exactly(sock, 12)
    sock.sendall(version)
    if version >= b"RFB 003.007":
        types = recv_exactly(sock, recv_exactly(sock, 1)[0])
        if 1 not in types:
            sys.exit("FAIL: the VNC screen asks for authentication")
        sock.sendall(b"\x01")
        recv_exactly(sock, 4)
    elif struct.unpack(">I", recv_exactly(sock, 4))[0] != 1:
        sys.exit("FAIL: the VNC screen asks for authentication")
    sock.sendall(b"\x01")  # shared session
    recv_exactly(sock, 20)
    recv_exactly(sock, struct.unpack(">I", recv_exactly(sock, 4))[0])
    return sock


def key(sock, keysym):
    sock.sendall(struct.pack(">BBxxI", 4, 1, keysym) + struct.pack(">BBxxI", 4, 0, keysym))


def type_row(sock, text):
    for ch in text:
        key(sock, ord(ch))
    key(sock, RETURN)


def kept_rows(path):
    """The rubric rows of a whole state file, or None while there is none."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return None
    lines = data.split(b"\r\n")
    if not lines or lines[0] != b"Tessalyn-Fall 1" or not data.endswith(b"\r\n"):
        return None
    return [line for line in lines if line.startswith(b"Zeile\t") and line.split(b"\t")[1] != b"0"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    work = tempfile.mkdtemp(prefix="tessalyn-kept.")
    try:
        run(sys.argv[1], work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def run(program, work):
    praxis = os.path.join(work, "praxis")
    config = os.path.join(work, "config", "Korvanei")
    runtime = os.path.join(work, "runtime")
    for folder in (praxis, config, runtime):
        os.makedirs(folder)
    os.chmod(runtime, 0o700)
    # No waiting at the splash window.
    with open(os.path.join(config, "Tessalyn.conf"), "w", encoding="ascii") as f:
        f.write("[General]\nStartverz%F6gerung=0\n")
    state_folder = os.path.join(work, "state", "Korvanei", "Tessalyn")
    state = os.path.join(state_folder, "aktueller-fall.txt")
    env = {**os.environ, "HOME": work, "XDG_CONFIG_HOME": os.path.join(work, "config"),
           "XDG_STATE_HOME": os.path.join(work, "state"), "XDG_RUNTIME_DIR": runtime}

    port = free_port()
    first = subprocess.Popen([program], cwd=praxis,
                             env={**env, "QT_QPA_PLATFORM": f"vnc:size=1024x768:port={port}"},
                             stdout=subprocess.DEVNULL,
                             stderr=open(os.path.join(work, "err"), "w+b"))
    try:
        sock = vnc_connect(port, first)
        # Keys sent before the main window has the focus go nowhere: the
        # first row is typed again until the program has kept it (should it
        # arrive twice, the rows that follow are one fewer).
        end = time.monotonic() + LIMIT
        while not kept_rows(state):
            if time.monotonic() > end or first.poll() is not None:
                sys.exit("FAIL: the first typed row never reached the state file")
            type_row(sock, ROWS[0])
            again = time.monotonic() + 3
            while time.monotonic() < again and not kept_rows(state):
                time.sleep(0.02)
        typed = len(kept_rows(state))
        for text in ROWS[typed:]:
            type_row(sock, text)
            expected = typed + 1
            until(lambda n=expected: (rows := kept_rows(state)) and len(rows) == n,
                  f"row {text} was kept")
            typed = expected
        before = open(state, "rb").read()
        first.send_signal(signal.SIGKILL)
        first.wait(timeout=LIMIT)
        sock.close()
    finally:
        if first.poll() is None:
            first.kill()
            first.wait()

    failures = []
    if b"Glied\t20\t" not in before:
        failures.append("the kept case lacks the + link of row 11+20")
    probe = subprocess.run([program, "--startup-probe"], cwd=praxis,
                           env={**env, "QT_QPA_PLATFORM": "offscreen"},
                           capture_output=True, timeout=LIMIT, check=False)
    lines = probe.stdout.decode("utf-8").splitlines()
    expected = ["Tessalyn – Fall ohne Namen (nicht abgelegt)",
                f"Der Fall ohne Namen mit {len(ROWS)} Rubriken aus dem letzten Programmlauf "
                "ist wiederhergestellt; er ist noch nicht abgelegt."]
    if probe.returncode != 0 or lines != expected:
        failures.append(f"the next start shows {lines} (exit {probe.returncode}), not {expected}")
    if open(state, "rb").read() != before:
        failures.append("the next start changed the state file")
    if stat.S_IMODE(os.stat(state).st_mode) != 0o600:
        failures.append(f"the state file has mode {oct(os.stat(state).st_mode)}")
    if stat.S_IMODE(os.stat(state_folder).st_mode) != 0o700:
        failures.append(f"the state folder has mode {oct(os.stat(state_folder).st_mode)}")
    if sorted(os.listdir(state_folder)) != ["aktueller-fall.txt"]:
        failures.append(f"the state folder holds {sorted(os.listdir(state_folder))}")
    if os.listdir(praxis):
        failures.append(f"the start-up folder holds {os.listdir(praxis)}")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print(f"the case of {len(ROWS)} rows came back after kill -9")


if __name__ == "__main__":
    main()
