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
    "long_body": (200, [b"20261105" + b"x" * 80]),
}
REASONS = {200: "OK", 404: "Not Found", 500: "Internal Server Error"}

OK = b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
CHUNKED = OK + b"Transfer-Encoding: chunked\r\n\r\n"
VALID = OK + b"Content-Length: 10\r\n\r\n20261105\r\n"


def endless_header():
    yield OK + b"X-Pad: "
    while True:
        yield b"a"


# case: (raw pieces, or a function giving them; seconds between pieces; whether
# the connection stays open after the last piece). "{self}" and "{latest}"
# stand for the ports of this case and of "latest".
RAW = {
    "cut_body": ([OK + b"Content-Length: 10\r\n\r\n2026"], 0, False),
    "chunked": ([CHUNKED + b"4\r\n2026\r\n", b"4\r\n1105\r\n0\r\n\r\n"], 0.3, False),
    "long_chunk": ([CHUNKED + b"58\r\n20261105" + b"x" * 80 + b"\r\n0\r\n\r\n"], 0, False),
    "cut_chunked": ([CHUNKED + b"8\r\n2026"], 0, False),
    "cut_after_chunk": ([CHUNKED + b"8\r\n20261105\r\n"], 0, False),
    "stays_open": ([VALID], 0, True),
    "stays_open_chunked": ([CHUNKED + b"8\r\n20261105\r\n0\r\n\r\n"], 0, True),
    "redirect": ([b"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:{latest}/version.txt\r\n"
                  b"Content-Length: 0\r\n\r\n"], 0, False),
    "moved": ([b"HTTP/1.1 301 Moved Permanently\r\nLocation: http://127.0.0.1:{latest}/version.txt\r\n"
               b"Content-Length: 0\r\n\r\n"], 0, False),
    # One byte every 1.5 s: each wait is short, the whole reply is not.
    "drip": (lambda: (bytes([b]) for b in VALID), 1.5, False),
    "endless_header": (endless_header, 1.5, False),
    "redirect_chain": ([b"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:{self}/version.txt\r\n"
                        b"Content-Length: 0\r\n\r\n"], 1.5, False),
}
PORTS = {}


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


def serve_raw(connection, case, stop):
    pieces, pause, stays_open = RAW[case]
    if callable(pieces):
        pieces = pieces()
    try:
        for number, piece in enumerate(pieces):
            if number > 0 or case == "redirect_chain":
                if stop.wait(pause):
                    return
            piece = piece.replace(b"{self}", str(PORTS[case]).encode()).replace(
                b"{latest}", str(PORTS["latest"]).encode())
            connection.sendall(piece)
        if stays_open:
            # Open until the client lets go.
            while connection.recv(4096):
                pass
    except OSError:
        pass


def serve(connection, case, folder, stop):
    if case in RAW:
        with connection:
            request = read_request(connection)
            with open(os.path.join(folder, "requests-%s.log" % case), "ab") as log:
                log.write(request + b"\n=== end of request\n")
            serve_raw(connection, case, stop)
        return
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
    for case in list(CASES) + list(RAW):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        PORTS[case] = listener.getsockname()[1]
        lines.append("%s %d" % (case, PORTS[case]))
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
