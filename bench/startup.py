"""Start until first paint, and peak memory, of Quenlark against a minimal Qt
window (empty, and with one Japanese label), alternating runs under one
private X server.

    tests/e2e/run-in-xvfb.sh /usr/bin/python3 bench/startup.py build [runs]
"""
import os
import statistics
import subprocess
import sys
import time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def not_measured(why):
    """What the benchmark needs is not there: no figure, status 1."""
    print("not measured: " + why, flush=True)
    sys.exit(1)


if runs < 1:
    not_measured("at least one run is needed")
minimal = os.path.join(build, "bench", "minimal_window")
programs = {
    "quenlark": [os.path.join(build, "bin", "quenlark")],
    "minimal": [minimal],
    "label": [minimal, "label"],
}

# A configured store, so start-up shows the window and no first-run message.
config = os.path.join(os.environ["XDG_CONFIG_HOME"], "Quenlark")
os.makedirs(config, exist_ok=True)
with open(os.path.join(config, "Quenlark.ini"), "w") as f:
    f.write("[setting]\nJavaFileFolder0=/tmp\n[recent]\nNumber=10\n")


def once(path):
    # As on a desktop without a screen reader: accessibility is not forced on.
    env = {k: v for k, v in os.environ.items() if k not in ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY")}
    env["QLK_EXIT_AFTER_FIRST_PAINT"] = "1"
    start = time.monotonic_ns()
    proc = subprocess.Popen(path, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env, text=True)
    out = proc.stdout.read()
    _, status, usage = os.wait4(proc.pid, 0)
    if "first-paint-ns" not in out:
        not_measured(f"{' '.join(path)} ended (status {status}) without telling its first paint")
    painted = int(out.split("first-paint-ns")[1].split()[0])
    return (painted - start) / 1e6, usage.ru_maxrss / 1024.0


results = {name: ([], []) for name in programs}
for name, path in programs.items():  # warm the page cache once
    once(path)
for _ in range(runs):
    for name, path in programs.items():
        ms, rss = once(path)
        results[name][0].append(ms)
        results[name][1].append(rss)

med = {n: (statistics.median(r[0]), max(r[1])) for n, r in results.items()}
for n, (ms, rss) in med.items():
    print(f"{n:9s} first paint median {ms:7.1f} ms   peak RSS {rss:6.1f} MiB   ({runs} runs)")
for base in ("minimal", "label"):
    print(f"quenlark / {base:8s} time {med['quenlark'][0] / med[base][0]:.2f}x   "
          f"peak RSS {med['quenlark'][1] / med[base][1]:.2f}x")
