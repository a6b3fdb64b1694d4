#!/usr/bin/env python3
"""A whole unattended /TXT run of the manager next to the least client.

Starts nxa-tester-sim with a full datalogger, then runs, turn about,
`nxa-manager HOST PASSWORD /TXT file` (headless) and bench/download-client.py
against it, and prints the medians of wall and CPU time (user + system of the
process and its children) of each and their ratio.

Usage: download-vs-client.py BUILD_DIR [RUNS [OTHER_BUILD_DIR]]
With OTHER_BUILD_DIR, that build's manager runs in the same turns too (before
and after a change, under the same load).
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

build, runs = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 9
other = sys.argv[3] if len(sys.argv) > 3 else None
here = os.path.dirname(os.path.abspath(__file__))
password = "583041"
simulator = subprocess.Popen(
    [os.path.join(build, "tools/tester-sim/nxa-tester-sim"), "--port", "0", "--records", "10000",
     "--names", "--flags", "--password", password],
    stdout=subprocess.PIPE, text=True)
port = simulator.stdout.readline().split(":")[-1].split()[0]
folder = tempfile.mkdtemp()
env = dict(os.environ, NXA_TESTER_PORT=port)
env.pop("DISPLAY", None)
env.pop("WAYLAND_DISPLAY", None)
commands = {
    "manager /TXT": [os.path.join(build, "src/app/nxa-manager"), "127.0.0.1", password, "/TXT",
                     os.path.join(folder, "log.txt")],
    "python client": [sys.executable, os.path.join(here, "download-client.py"), "127.0.0.1", port,
                      password, os.path.join(folder, "image.bin")],
}
if other:
    commands["other manager"] = [os.path.join(other, "src/app/nxa-manager")] + \
        commands["manager /TXT"][1:]


def timed(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


try:
    for command in commands.values():  # warm-up
        timed(command)
    figures = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            figures[name].append(timed(command))
finally:
    simulator.terminate()
    simulator.wait()
print("load average: %.2f %.2f %.2f" % os.getloadavg())
medians = {}
for name, values in figures.items():
    walls = sorted(v[0] for v in values)
    cpus = sorted(v[1] for v in values)
    medians[name] = (statistics.median(walls), statistics.median(cpus))
    print("%-14s wall median %6.1f ms (min %6.1f, max %6.1f)  CPU median %6.1f ms" % (
        name, 1000 * medians[name][0], 1000 * walls[0], 1000 * walls[-1], 1000 * medians[name][1]))
manager, client = medians["manager /TXT"], medians["python client"]
print("ratio manager / client: wall %.2f, CPU %.2f" % (manager[0] / client[0], manager[1] / client[1]))
