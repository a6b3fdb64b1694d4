#!/usr/bin/env python3
"""Resident memory of nxa-tester-sim before and after many downloads, each on
a connection of its own (login, datalogger, close), as in days of training
and demos. A simulator that frees its sessions stays flat.

    bench/simulator-memory.py build-release/tools/tester-sim/nxa-tester-sim [DOWNLOADS]
"""
import socket
import subprocess
import sys

DATALOGGER_BYTES = 192192


def request(word):
    return (word + "583041").ljust(64).encode()


def receive(connection, count):
    got = 0
    while got < count:
        chunk = connection.recv(min(65536, count - got))
        if not chunk:
            raise RuntimeError("connection closed after %d of %d bytes" % (got, count))
        got += len(chunk)


def download(port):
    with socket.create_connection(("127.0.0.1", port)) as connection:
        connection.sendall(request("NXAC"))
        receive(connection, 64)
        connection.sendall(request("NXAD"))
        receive(connection, DATALOGGER_BYTES)


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    simulator = sys.argv[1]
    downloads = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    process = subprocess.Popen([simulator, "--port", "0", "--records", "10000"],
                               stdout=subprocess.PIPE, text=True)
    try:
        first = process.stdout.readline()
        port = int(first.split()[3].rsplit(":", 1)[1])
        # The served lines are read away so the pipe never fills.
        subprocess.Popen(["cat"], stdin=process.stdout, stdout=subprocess.DEVNULL)
        warm_up = 20
        for _ in range(warm_up):
            download(port)
        before = resident_kb(process.pid)
        for _ in range(downloads):
            download(port)
        after = resident_kb(process.pid)
        print("downloads            %d" % downloads)
        print("resident before      %.1f MB" % (before / 1024))
        print("resident after       %.1f MB" % (after / 1024))
        print("growth per 1,000     %.2f MB" % ((after - before) / 1024 / downloads * 1000))
    finally:
        process.terminate()
        process.wait()


if __name__ == "__main__":
    main()
