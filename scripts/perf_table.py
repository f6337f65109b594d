#!/usr/bin/env python3
"""Runs every benchmark program of a build and prints one table.

Usage: perf_table.py BUILD_DIR DATA_DIR

Besides the Google Benchmark programs (bench/bench_*), it measures start-up
(process start to the first presented title frame, then to the sounds
decoded, and the title's paced frames meanwhile and after, printed by the
gloomfall_startup probe) and the peak memory of a played game. Programs that
open a window run under a private Xvfb.
"""
import json
import os
import statistics
import subprocess
import sys
import time

build, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
bench_dir = os.path.join(build, "bench")
rows = []


def fmt_time(value, unit):
    ns = value * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[unit]
    if ns < 1e3:
        return f"{ns:.1f} ns"
    if ns < 1e6:
        return f"{ns / 1e3:.2f} µs"
    return f"{ns / 1e6:.2f} ms"


def fmt_rate(value, what):
    for scale, prefix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if value >= scale:
            return f"{value / scale:.2f} {prefix}{what}/s"
    return f"{value:.1f} {what}/s"


class Xvfb:
    def __enter__(self):
        for n in range(150, 400):
            if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
                break
        self.display = f":{n}"
        self.proc = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.05)
        self.env = dict(os.environ, DISPLAY=self.display, SDL_AUDIODRIVER="dummy")
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()


with Xvfb() as x:
    for name in sorted(os.listdir(bench_dir)):
        path = os.path.join(bench_dir, name)
        if not name.startswith("bench_") or not os.access(path, os.X_OK):
            continue
        out = subprocess.run([path, "--benchmark_format=json"], env=x.env, cwd=bench_dir,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            report = json.loads(out.stdout)
        except json.JSONDecodeError:
            rows.append((name, "(failed to run)", "", ""))
            continue
        for b in report["benchmarks"]:
            if b.get("run_type") == "aggregate" or b.get("error_occurred"):
                continue
            rate = ""
            if "items_per_second" in b:
                rate = fmt_rate(b["items_per_second"], "items")
            elif "bytes_per_second" in b:
                rate = fmt_rate(b["bytes_per_second"] / 1e6 * 1e6, "B")
            extra = [f"{k}={v:.4g}" for k, v in b.items()
                     if isinstance(v, float) and k not in ("real_time", "cpu_time", "items_per_second",
                                                           "bytes_per_second")]
            rows.append((name[len("bench_"):], b["name"], fmt_time(b["cpu_time"], b["time_unit"]),
                         " ".join([rate] + extra).strip()))

    probe = os.path.join(bench_dir, "gloomfall_startup")
    if os.access(probe, os.X_OK):
        runs = []  # each run's presented title frames: ms since the process started, sounds still decoding
        for _ in range(5):
            out = subprocess.run([probe], env=x.env, cwd=data, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True, timeout=60)
            frames = [(int(f[1]), f[2] == "1") for f in map(str.split, out.stdout.splitlines()) if f[0] == "frame_ms"]
            if frames:
                runs.append(frames)
        if runs:
            first = [r[0][0] for r in runs]
            ready = [next((t for t, pending in r if not pending), r[-1][0]) for r in runs]
            for what, times in (("first title frame", first), ("the sounds decoded", ready)):
                rows.append(("game", f"start-up to {what} (median of 5)", f"{statistics.median(times):.0f} ms",
                             f"min {min(times)} ms, max {max(times)} ms"))
            # The paced frames, from one presented frame to the next, while the sounds decode and after.
            for decoding, what in ((True, "while the sounds decode"), (False, "for a second after")):
                gaps = [[b[0] - a[0] for a, b in zip(r, r[1:]) if b[1] == decoding] or [0] for r in runs]
                rows.append(("game", f"title frame {what} (median of 5 runs)",
                             f"{statistics.median(statistics.median(g) for g in gaps):.1f} ms",
                             f"longest {statistics.median(max(g) for g in gaps):.1f} ms, "
                             f"{statistics.median(len(g) for g in gaps):.0f} frames"))

    game = os.path.join(build, "game", "gloomfall")
    if os.access(game, os.X_OK):
        # A played game: Space, walking and firing for 20 s, then peak memory.
        proc = subprocess.Popen([os.path.abspath(game)], env=x.env, cwd=data,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xdo = lambda *a: subprocess.run(["xdotool", *a], env=x.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        time.sleep(2)
        xdo("mousemove", "400", "300")
        xdo("key", "space")
        xdo("keydown", "w")
        xdo("mousedown", "1")
        for step in range(20):
            xdo("mousemove", str(200 + 20 * step), str(150 + 15 * step))
            time.sleep(1)
        peak = ""
        with open(f"/proc/{proc.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    peak = line.split(":")[1].strip()
        proc.kill()
        proc.wait()
        rows.append(("game", "peak memory (max resident set) over 20 s of play", peak, ""))

widths = [max(len(r[i]) for r in rows + [("subject", "benchmark", "CPU time", "throughput / counters")])
          for i in range(4)]
header = ("subject", "benchmark", "CPU time", "throughput / counters")
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
