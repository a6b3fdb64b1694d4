#!/usr/bin/env python3
"""Signals an unattended nxa-manager run, as a hostile scheduler would, right
after the exec and at random moments, and counts the runs that ended without
a record (killed by the signal), the runs whose exit status is not the code
of their log.txt record, and the runs that left a file besides log.txt,
preferences.pref and the output. Every run gets a folder of its own; the
tester is nxa-tester-sim dripping the datalogger so that the run lasts long
enough to be signalled in every phase.

    scripts/signal-trials.py BUILD_DIR [TRIALS] [JOBS] [SIGNAL ...]

TRIALS (default 300) is per signal and moment. With SIGNAL names (TERM,
USR1, ...) only those signals are tried. Prints one line per case: signal,
format, delays, trials, no record, status != record, files left.
"""
import concurrent.futures
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

# Every signal that ends a process by default and that a run takes as a
# close request.
SIGNALS = ["TERM", "INT", "HUP", "QUIT", "USR1", "USR2", "ALRM", "PWR", "VTALRM",
           "PROF", "SYS", "TRAP", "STKFLT", "XCPU", "IO", "RTMIN", "RTMAX"]


def signal_number(name):
    if name == "RTMIN":
        return signal.SIGRTMIN
    if name == "RTMAX":
        return signal.SIGRTMAX
    return getattr(signal, "SIG" + name)


def cases(names):
    # name, signal, format, largest delay in s (0: right after the exec),
    # second signal, ignored by the parent
    result = []
    for name in names:
        number = signal_number(name)
        result.append(("SIG%s after exec" % name, number, "/TXT", 0.0, False, False))
        result.append(("SIG%s" % name, number, "/TXT", 0.35, False, False))
    if not names or "TERM" in names:
        result.append(("second SIGTERM", signal.SIGTERM, "/XLSX", 3.0, True, False))
    if not names or "INT" in names:
        result.append(("SIGINT ignored by the parent", signal.SIGINT, "/TXT", 0.35, False, True))
    return result


def start_simulator(simulator, records, drip_bytes):
    process = subprocess.Popen(
        [simulator, "--port", "0", "--records", str(records), "--scenario", "drip",
         "--drip-bytes", str(drip_bytes), "--drip-interval", "20"],
        stdout=subprocess.PIPE, text=True)
    port = int(process.stdout.readline().split()[3].rsplit(":", 1)[1])
    subprocess.Popen(["cat"], stdin=process.stdout, stdout=subprocess.DEVNULL)
    return process, port


def logged_code(folder):
    try:
        with open(os.path.join(folder, "log.txt"), "rb") as log:
            lines = log.read().split(b"\r\n")
    except OSError:
        return None
    if len(lines) != 4 or not lines[2].startswith(b"     "):
        return None
    return int(lines[2][5:6])


def trial(manager, port, case):
    _, sig, switch, largest, twice, ignored = case
    output = "out.xlsx" if switch == "/XLSX" else "out.txt"
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    environment["NXA_TESTER_PORT"] = str(port)
    environment.setdefault("ASAN_OPTIONS", "detect_leaks=0")

    def dispositions():
        for name in SIGNALS:
            signal.signal(signal_number(name), signal.SIG_DFL)
        if ignored:
            signal.signal(signal.SIGINT, signal.SIG_IGN)

    with tempfile.TemporaryDirectory() as folder:
        delay = random.uniform(0, largest)
        process = subprocess.Popen([manager, "127.0.0.1", "583041", switch, output],
                                   cwd=folder, env=environment, preexec_fn=dispositions,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Popen returns once the exec has happened: without a delay the
        # signal comes within a millisecond of it.
        if delay > 0:
            time.sleep(delay)
        process.send_signal(sig)
        if twice:
            time.sleep(random.uniform(0, 0.1))
            process.send_signal(sig)
        status = process.wait()
        left = sorted(set(os.listdir(folder)) - {"log.txt", "preferences.pref", output})
        mismatch = status != logged_code(folder) or (ignored and status != 0)
        return mismatch, bool(left), delay, status, status < 0


def main():
    build = os.path.abspath(sys.argv[1])
    trials = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    jobs = int(sys.argv[3]) if len(sys.argv) > 3 else 2
    names = [name.upper().removeprefix("SIG") for name in sys.argv[4:]]
    manager = os.path.join(build, "src/app/nxa-manager")
    simulator = os.path.join(build, "tools/tester-sim/nxa-tester-sim")
    text_tester, text_port = start_simulator(simulator, 2, 8000)
    book_tester, book_port = start_simulator(simulator, 10000, 64000)
    try:
        print("%-30s %-6s %-8s %6s %9s %16s %10s" %
              ("signal", "format", "delays", "trials", "no record", "status != record",
               "files left"))
        for case in cases(names or SIGNALS):
            port = book_port if case[2] == "/XLSX" else text_port
            with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
                results = list(pool.map(lambda _: trial(manager, port, case), range(trials)))
            mismatches = [r for r in results if r[0]]
            left = sum(1 for r in results if r[1])
            killed = sum(1 for r in results if r[4])
            delays = "0-1ms" if case[3] == 0 else "0-%gs" % case[3]
            print("%-30s %-6s %-8s %6d %9d %16d %10d" %
                  (case[0], case[2], delays, trials, killed, len(mismatches), left), flush=True)
            for _, _, delay, status, _ in mismatches[:5]:
                print("    mismatch: delay %.3f s, exit status %d" % (delay, status))
    finally:
        text_tester.terminate()
        book_tester.terminate()


if __name__ == "__main__":
    main()
