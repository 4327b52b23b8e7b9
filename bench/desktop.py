#!/usr/bin/env python3
"""What a user feels of the running application, measured on the real binary.

Starts `velloq` with private data, settings and runtime folders under the X
server in $DISPLAY (scripts/bench starts one), a fresh one for each part, and
prints one table:
- whether a text and a picture copied the moment `velloq list` first
  answers are recorded;
- resident (RSS) and proportional (PSS) memory idle with an empty history,
  and the wake-ups (context switches of all its threads) over an idle period;
- copy → seen by `velloq list` run as a script runs it (median of 7) for a
  short text and a 9.6 MB photo-like PNG, and → in the history (asked on the
  socket) for a 5 MB text;
- memory after 200 texts and 20 screenshot-like PNGs (430 kB), after seven
  5 MB texts, and after 27 photo-like PNGs;
- the wall time of `velloq list` with 27 entries, process start included;
- the peak resident memory while the overlay shows those photos (opened and
  closed five times), and the memory 15 s after the last opening.

With --wayland, Velloq runs as a client of the compositor in
$WAYLAND_DISPLAY and the copies are made with `wl-copy`: a 1 KB text, a
1920×1080 screenshot-like PNG and a 5 MB text, then the memory after them.
Those rows are headed by $VELLOQ_BENCH_DESKTOP (the compositor's name,
"Wayland" unless given).

With --gnome COPIER KEYS, the same under GNOME Shell with Velloq's
extension: Velloq runs as nobody, the Shell's user, on the session bus in
$DBUS_SESSION_BUS_ADDRESS, and each copy is made by COPIER
(velloq-focused-copy), a window that copies at a key typed into it by KEYS
(velloq-gnome-keys), timed from the moment the window has put its copy on
the clipboard.

usage: desktop.py VELLOQ [IDLE_SECONDS] [--wayland | --gnome COPIER KEYS]
"""
import base64
import json
import os
import random
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib


def png(width, height, noise_rows, seed):
    """A PNG like a screenshot: flat colour with `noise_rows` rows of noise."""
    rng = random.Random(seed)
    flat = bytes([0, 0xF2, 0xF2, 0xF7]) + bytes([0xF2, 0xF2, 0xF7]) * (width - 1)
    lines = [b"\0" + rng.randbytes(width * 3) for _ in range(noise_rows)]
    lines += [flat] * (height - noise_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(b"".join(lines), 6)) + chunk(b"IEND", b""))


GNOME = sys.argv.index("--gnome") if "--gnome" in sys.argv else 0
# Under GNOME the programs run as the Shell's user, whose bus it is.
AS_SHELL_USER = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if GNOME else []


class Velloq:
    def __init__(self, binary, wait=True):
        self.home = tempfile.mkdtemp()
        self.env = dict(os.environ, XDG_DATA_HOME=f"{self.home}/data",
                        XDG_CONFIG_HOME=f"{self.home}/config", XDG_RUNTIME_DIR=f"{self.home}/run",
                        HOME=self.home)
        os.makedirs(f"{self.home}/run", mode=0o700)
        if GNOME:
            subprocess.run(["chown", "-R", "nobody:nogroup", self.home], check=True)
        self.socket = f"{self.home}/run/velloq/instance"
        self.binary = binary
        self.process = subprocess.Popen(AS_SHELL_USER + [binary, "-SkipOnboarding"], env=self.env,
                                        stderr=None if os.environ.get("VELLOQ_BENCH_LOG") else subprocess.DEVNULL)
        while wait and not self.answers():
            time.sleep(0.005)

    def run_command(self, *arguments):
        """`velloq ARGUMENTS` run as its own process, as a script runs it."""
        return subprocess.run(AS_SHELL_USER + [self.binary, *arguments], env=self.env,
                              capture_output=True, text=True)

    def newest_listed(self):
        fields = self.run_command("list", "--limit", "1").stdout.split()
        return fields[1] if len(fields) > 1 else None

    def reset_peak(self):
        with open(f"/proc/{self.process.pid}/clear_refs", "w") as f:
            f.write("5")

    def peak(self):
        """The largest resident memory since reset_peak, in MiB."""
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024

    def ask(self, *arguments):
        request = json.dumps({"arguments": list(arguments), "input": "",
                              "workingDirectory": "/"}) + "\n"
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(10)
            # Velloq answers only its own user, told by the connection.
            if GNOME:
                os.seteuid(65534)
            try:
                s.connect(self.socket)
            finally:
                if GNOME:
                    os.seteuid(0)
            s.sendall(request.encode())
            return json.loads(s.makefile().readline())

    def answers(self):
        try:
            return self.ask("list", "--limit", "1") is not None
        except (OSError, ValueError):
            return False

    def newest_id(self):
        """The short id of the newest entry; the plain listing, unlike --json,
        costs the same for a large entry as for a small one."""
        listed = base64.b64decode(self.ask("list", "--limit", "1")["out"]).decode()
        fields = listed.split()
        return fields[1] if len(fields) > 1 else None

    def memory(self):
        """RSS and PSS in MiB."""
        values = {}
        with open(f"/proc/{self.process.pid}/smaps_rollup") as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("Rss", "Pss"):
                    values[key] = int(rest.split()[0]) / 1024
        return values["Rss"], values["Pss"]

    def context_switches(self):
        total = 0
        for task in os.listdir(f"/proc/{self.process.pid}/task"):
            with open(f"/proc/{self.process.pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        return total

    def quit(self):
        self.process.terminate()
        self.process.wait()


WAYLAND = "--wayland" in sys.argv or GNOME


class FocusedCopier:
    """Copies from a window of its own at a key typed into it; each window
    serves its copy until the next one has copied."""

    def __init__(self, copier, keys, env):
        self.copier, self.keys, self.env = copier, keys, env
        self.serving = None
        self.typing = None

    def start(self, path, target):
        window = subprocess.Popen(AS_SHELL_USER + [self.copier, target, "@" + path], env=self.env,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if window.stdout.readline().strip() != "focused":
            raise RuntimeError("the copying window did not get the keyboard")
        return window

    def copy(self, window):
        keys = subprocess.Popen(AS_SHELL_USER + [self.keys, "42"], env=self.env)
        if window.stdout.readline().strip() != "ready":
            raise RuntimeError("the copying window did not copy")
        ready = time.monotonic()
        # Reaped at the next copy: the key helper lingers a moment.
        if self.typing:
            self.typing.wait()
        self.typing = keys
        if self.serving:
            self.serving.kill()
        self.serving = window
        return ready


FOCUSED_COPIER = None


def copy(path, target):
    if GNOME:
        # The window opens first: the copy is the key typed in it.
        window = FOCUSED_COPIER.start(path, target)
        return lambda: FOCUSED_COPIER.copy(window)
    if WAYLAND:
        # wl-copy returns once its copy is on the clipboard, leaving a process
        # that serves it until the next copy.
        with open(path, "rb") as data:
            subprocess.run(["wl-copy", "--type", target], stdin=data, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return
    subprocess.run(["xclip", "-selection", "clipboard", "-t", target, "-i", path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def copy_to_history_ms(velloq, folder, make, target, rounds=7, by_command=False):
    """From the copy until the newest entry is another: asked on the socket,
    or, `by_command`, by running `velloq list` as a script would."""
    newest = velloq.newest_listed if by_command else velloq.newest_id
    times = []
    for round_number in range(rounds):
        path = os.path.join(folder, "copy")
        with open(path, "wb") as f:
            f.write(make(round_number))
        if GNOME:
            os.chmod(path, 0o644)
            copy_now = copy(path, target)
        before = newest()
        start = time.monotonic()
        if GNOME:
            start = copy_now()
        else:
            copy(path, target)
        deadline = start + 10
        while newest() == before and time.monotonic() < deadline:
            time.sleep(0.0005)
        times.append((time.monotonic() - start) * 1000)
    return statistics.median(times)


class Table:
    """Prints each row as it is measured."""

    def append(self, row):
        name, value = row
        print(f"{name.ljust(58)}  {value}", flush=True)


def main():
    global FOCUSED_COPIER
    arguments = [a for a in sys.argv[1:GNOME or None] if a != "--wayland"]
    binary = arguments[0]
    idle = int(arguments[1]) if len(arguments) > 1 else 60
    folder = tempfile.mkdtemp()
    os.chmod(folder, 0o755)
    if not WAYLAND:
        measure(binary, folder, idle)
        return
    velloq = Velloq(binary)
    if GNOME:
        FOCUSED_COPIER = FocusedCopier(sys.argv[GNOME + 1], sys.argv[GNOME + 2], velloq.env)
    try:
        measure_wayland(velloq, folder)
    finally:
        velloq.quit()
        if FOCUSED_COPIER and FOCUSED_COPIER.serving:
            FOCUSED_COPIER.serving.kill()
        elif WAYLAND:
            subprocess.run(["pkill", "-x", "-u", str(os.getuid()), "wl-copy"])


def measure_wayland(velloq, folder):
    time.sleep(2)
    rows = Table()
    desktop = os.environ.get("VELLOQ_BENCH_DESKTOP", "Wayland")
    rss, pss = velloq.memory()
    rows.append((f"{desktop}: resident memory, empty history, idle", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))
    kinds = [
        (f"{desktop}: copy of a 1 KB text → in the history", "text/plain;charset=utf-8",
         lambda n: (f"{n} {time.time()} " + "one kilobyte " * 80)[:1024].encode()),
        (f"{desktop}: copy of a 1920×1080 screenshot PNG → in the history", "image/png",
         lambda n: png(1920, 1080, 73, 100 + n)),
        (f"{desktop}: copy of a 5 MB text → in the history", "text/plain;charset=utf-8",
         lambda n: (f"{n} " + "five megabytes of text " * 230000)[:5_000_000].encode()),
    ]
    for name, target, make in kinds:
        rows.append((name, f"{copy_to_history_ms(velloq, folder, make, target):.0f} ms median"))
    rss, pss = velloq.memory()
    rows.append((f"{desktop}: resident memory after those copies", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))


def photo(seed):
    """A PNG like a photo, which compresses hardly at all: 1792×1792 of noise, 9.6 MB."""
    return png(1792, 1792, 1792, seed)


def list_ms(velloq, rounds=21):
    """Wall time of `velloq list` as a script runs it, process start included."""
    times = []
    for _ in range(rounds):
        start = time.monotonic()
        velloq.run_command("list")
        times.append((time.monotonic() - start) * 1000)
    return statistics.median(times)


def startup_copy_recorded(binary, folder):
    """Copies a text and then a picture the moment `velloq list` first
    answers, as a login script would, and tells whether both were kept."""
    velloq = Velloq(binary, wait=False)
    try:
        deadline = time.monotonic() + 20
        while velloq.run_command("list").returncode != 0 and time.monotonic() < deadline:
            pass
        text = f"start-up copy {time.time()}"
        path = os.path.join(folder, "startup-text")
        with open(path, "w") as f:
            f.write(text)
        copy(path, "UTF8_STRING")
        time.sleep(0.1)
        path = os.path.join(folder, "startup-picture")
        with open(path, "wb") as f:
            f.write(png(1920, 1080, 73, 7))
        copy(path, "image/png")
        time.sleep(1)
        listed = velloq.run_command("list").stdout
        kept = [text in listed, " image " in listed]
        return {(True, True): "recorded (text and picture)", (True, False): "text only, picture lost",
                (False, True): "picture only, text lost"}.get(tuple(kept), "both lost")
    finally:
        velloq.quit()


def measure(velloq_binary, folder, idle):
    rows = Table()
    rows.append(("a copy made the moment `velloq list` first answers",
                 startup_copy_recorded(velloq_binary, folder)))

    velloq = Velloq(velloq_binary)
    try:
        measure_everyday(velloq, folder, idle, rows)
    finally:
        velloq.quit()
    velloq = Velloq(velloq_binary)
    try:
        measure_photos(velloq, folder, rows)
    finally:
        velloq.quit()


def measure_everyday(velloq, folder, idle, rows):
    time.sleep(2)
    rss, pss = velloq.memory()
    rows.append(("resident memory, empty history, idle", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))

    before = velloq.context_switches()
    time.sleep(idle)
    switches = velloq.context_switches() - before
    rows.append((f"idle wake-ups over {idle} s", f"{switches} context switches"))

    rows.append(("copy of a short text → seen by `velloq list`", f"{copy_to_history_ms(velloq, folder, lambda n: f'short text {n} {time.time()}'.encode(), 'UTF8_STRING', by_command=True):.0f} ms median"))
    for n in range(200):
        path = os.path.join(folder, "text")
        with open(path, "wb") as f:
            f.write(f"text number {n} ".encode() * 20)
        copy(path, "UTF8_STRING")
        if n % 10 == 0:
            path = os.path.join(folder, "shot")
            with open(path, "wb") as f:
                f.write(png(1920, 1080, 73, 1000 + n))
            copy(path, "image/png")
        time.sleep(0.02)
    time.sleep(2)
    rss, pss = velloq.memory()
    rows.append(("resident memory after 200 texts + 20 screenshots (430 kB PNG)",
                 f"{rss:.1f} MB (PSS {pss:.1f} MB)"))
    rows.append(("copy of a 5 MB text → in the history", f"{copy_to_history_ms(velloq, folder, lambda n: (f'{n} ' + 'five megabytes of text ' * 230000)[:5_000_000].encode(), 'UTF8_STRING'):.0f} ms median"))
    rss, pss = velloq.memory()
    rows.append(("resident memory after 7 texts of 5 MB more", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))


def measure_photos(velloq, folder, rows):
    time.sleep(1)
    rows.append(("copy of a 9.6 MB photo-like PNG → seen by `velloq list`",
                 f"{copy_to_history_ms(velloq, folder, photo, 'image/png', by_command=True):.0f} ms median"))
    for n in range(20):
        path = os.path.join(folder, "photo")
        with open(path, "wb") as f:
            f.write(photo(300 + n))
        copy(path, "image/png")
        time.sleep(1)
    time.sleep(2)
    rows.append(("`velloq list`, 27 entries, process start included", f"{list_ms(velloq):.1f} ms median"))
    rss, pss = velloq.memory()
    rows.append(("resident memory after 27 photo-like pictures (9.6 MB PNG)", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))
    velloq.reset_peak()
    for _ in range(5):
        velloq.ask("toggle")
        time.sleep(1.5)
        velloq.ask("toggle")
        time.sleep(0.5)
    rows.append(("resident memory at its peak while the overlay shows them", f"{velloq.peak():.1f} MB"))
    time.sleep(15)
    rss, pss = velloq.memory()
    rows.append(("resident memory 15 s after the fifth opening", f"{rss:.1f} MB (PSS {pss:.1f} MB)"))


main()
