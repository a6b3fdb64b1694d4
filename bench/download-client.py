#!/usr/bin/env python3
"""The least a download needs: connect, log in, fetch the datalogger, store it.

The floor that bench/download-vs-client.py sets the manager's /TXT run against.
Usage: download-client.py HOST PORT PASSWORD TARGET
"""
import socket
import sys

DATALOGGER_BYTES = 192192


def request(word, password):
    return (word + password).ljust(64).encode()


def receive(connection, count):
    data = bytearray()
    while len(data) < count:
        chunk = connection.recv(count - len(data))
        if not chunk:
            sys.exit("connection closed after %d of %d bytes" % (len(data), count))
        data += chunk
    return bytes(data)


host, port, password, target = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
with socket.create_connection((host, port), timeout=10) as connection:
    connection.sendall(request("NXAC", password))
    if not receive(connection, 64).startswith(b"NXAOK"):
        sys.exit("login refused")
    connection.sendall(request("NXAD", password))
    image = receive(connection, DATALOGGER_BYTES)
with open(target, "wb") as out:
    out.write(image)
