#!/usr/bin/env python3
"""A stand-in for the update host, on 127.0.0.1 only.

Every reply the update check must handle gets a listening port of its own, so
one server serves all cases at once. Writes "case port" lines to
<dir>/ports when ready (the "refused" port is one that was bound and closed
again, so nothing listens there) and each raw request to
<dir>/requests-<case>.log. Ends by itself after --lifetime seconds.
"""

import argparse
import os
import socket
import sys
import threading
import time

LETTERS_62 = b"x" * 62
LETTERS_63 = b"x" * 63

# case: (status, body pieces); the pieces are sent with a pause between them,
# and a None piece stalls the reply for good, after headers that announce the
# whole body.
CASES = {
    "latest": (200, [b"20261104"]),
    "newer_line_end": (200, [b"20261105\r\n"]),
    "letter_first": (200, [b"v20261105"]),
    "minus_first": (200, [b"-20261105"]),
    "zero": (200, [b"0"]),
    "empty": (200, [b""]),
    "no_digit": (200, [b"no version here, " + b"y" * 80]),
    "digit_is_byte_64": (200, [LETTERS_63 + b"20261105"]),
    "digit_is_byte_63": (200, [LETTERS_62 + b"20261105"]),
    "status_404": (404, [b"20261105"]),
    "status_500": (500, [b"20261105"]),
    "in_pieces": (200, [b"2026", b"1105\n"]),
    "stalls_in_body": (200, [b"2026", None, b"1105\n"]),
    "too_long_for_32_bits": (200, [b"99999999999"]),
    "silent": (None, []),
}
REASONS = {200: "OK", 404: "Not Found", 500: "Internal Server Error"}


def read_request(connection):
    data = b""
    connection.settimeout(5)
    try:
        while b"\r\n\r\n" not in data and len(data) < 16384:
            chunk = connection.recv(4096)
            if not chunk:
                break
            data += chunk
    except OSError:
        pass
    return data


def serve(connection, case, folder, stop):
    status, pieces = CASES[case]
    with connection:
        request = read_request(connection)
        with open(os.path.join(folder, "requests-%s.log" % case), "ab") as log:
            log.write(request + b"\n=== end of request\n")
        if status is None:
            # Accepts and never answers: the client's own time limits must end it.
            stop.wait()
            return
        body = b"".join(piece for piece in pieces if piece is not None)
        head = "HTTP/1.1 %d %s\r\nContent-Type: text/plain\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (
            status, REASONS[status], len(body))
        try:
            connection.sendall(head.encode("ascii"))
            for number, piece in enumerate(pieces):
                if piece is None:
                    stop.wait()
                    return
                if number > 0:
                    time.sleep(0.3)
                connection.sendall(piece)
        except OSError:
            pass


def listen(case, listener, folder, stop):
    while not stop.is_set():
        try:
            connection, _ = listener.accept()
        except OSError:
            return
        threading.Thread(target=serve, args=(connection, case, folder, stop), daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()

    stop = threading.Event()
    lines = []
    for case in CASES:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        lines.append("%s %d" % (case, listener.getsockname()[1]))
        threading.Thread(target=listen, args=(case, listener, args.dir, stop), daemon=True).start()
    closed = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    closed.bind(("127.0.0.1", 0))
    lines.append("refused %d" % closed.getsockname()[1])
    closed.close()

    ready = os.path.join(args.dir, "ports")
    with open(ready + ".tmp", "w") as out:
        out.write("\n".join(lines) + "\n")
    os.rename(ready + ".tmp", ready)

    time.sleep(args.lifetime)
    stop.set()
    return 0


if __name__ == "__main__":
    sys.exit(main())
