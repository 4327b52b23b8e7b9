#!/usr/bin/env python3
"""Start-up, idle memory and idle CPU of the running application.

Starts `velloq` with private data, settings and runtime folders, measures the
time from process start until its instance socket answers a request (the
watcher is running by then), its resident memory once idle, and its CPU use
over an idle period. Run under an X server (scripts/bench starts one).

usage: startup.py VELLOQ [IDLE_SECONDS]
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import uuid


def write_history(folder, pinned):
    items = []
    for i in range(pinned + 27):
        items.append({"id": str(uuid.uuid4()).upper(), "capturedAt": 1.7e9 + i,
                      "isPinned": i < pinned, "kind": "text", "text": f"entry {i} " + "x" * 1000})
    os.makedirs(folder, mode=0o700, exist_ok=True)
    with open(os.path.join(folder, "items.json"), "w") as f:
        json.dump({"items": items}, f, separators=(",", ":"))


def ask(path):
    request = json.dumps({"arguments": ["list", "--limit", "1"], "input": "",
                          "workingDirectory": "/"}) + "\n"
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(5)
        s.connect(path)
        s.sendall(request.encode())
        return s.makefile().readline()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024


def measure(velloq, pinned, idle):
    home = tempfile.mkdtemp()
    env = dict(os.environ, XDG_DATA_HOME=f"{home}/data", XDG_CONFIG_HOME=f"{home}/config",
               XDG_RUNTIME_DIR=f"{home}/run")
    os.makedirs(f"{home}/run", mode=0o700)
    write_history(f"{home}/data/Velloq", pinned)
    path = f"{home}/run/velloq/instance"
    start = time.monotonic()
    process = subprocess.Popen([velloq, "-SkipOnboarding"], env=env, stderr=subprocess.DEVNULL)
    while True:
        try:
            if ask(path):
                break
        except OSError:
            time.sleep(0.001)
    ready = (time.monotonic() - start) * 1000
    time.sleep(2)
    rss = rss_mib(process.pid)
    before = cpu_seconds(process.pid)
    time.sleep(idle)
    cpu = (cpu_seconds(process.pid) - before) / idle * 100
    process.terminate()
    process.wait()
    label = f"27 + {pinned} pinned" if pinned else "empty"
    print(f"history {label}: ready {ready:.0f} ms, idle RSS {rss:.1f} MiB, "
          f"idle CPU {cpu:.3f} % over {idle} s")


def main():
    velloq = sys.argv[1]
    idle = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    for pinned in (0, 1000):
        measure(velloq, pinned, idle)


main()
