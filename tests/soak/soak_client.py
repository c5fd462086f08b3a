#!/usr/bin/env python3
"""tests/soak/soak_client.py -- drives two Apache servers with the filter for a bounded time
with a mix of ordinary, malformed and hostile requests, and checks every answer.

Loopback only. Stops by itself after --seconds. Exit status 0 when every answer was the
expected one, 1 otherwise. Prints one summary line per request kind and the totals as JSON
on the last line.
"""
import argparse
import json
import random
import socket
import sys
import threading
import time

PAGE_HEAD = bytes.fromhex("B6D4B2BBC6F0203A3C623E")
PAGE_TAIL = bytes.fromhex(
    "3C2F623E202C20D3C9D3DAC4FAB5C4C0B4C2B7B2BBBACFB7A820B7FECEF1C6F7BEDCBEF8CFECD3A6B1BEB4CEC7EBC7F3202E203C62723E"
) + b"Quorvane v1.0"
PAGE = PAGE_HEAD + b"127.0.0.1" + PAGE_TAIL


def read_all(sock, limit=1 << 20):
    chunks = []
    total = 0
    while total < limit:
        try:
            data = sock.recv(65536)
        except (ConnectionResetError, socket.timeout):
            break
        if not data:
            break
        chunks.append(data)
        total += len(data)
    return b"".join(chunks)


def exchange(port, raw, shut_write=False):
    """Sends raw bytes, reads until the server closes. Returns the bytes received."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as sock:
        sock.sendall(raw)
        if shut_write:
            sock.shutdown(socket.SHUT_WR)
        return read_all(sock)


def request(path, referer=None, host=True, extra=b"", close=True):
    lines = [b"GET " + path + b" HTTP/1.1"]
    if host:
        lines.append(b"Host: 127.0.0.1")
    if referer is not None:
        lines.append(b"Referer: " + referer)
    if close:
        lines.append(b"Connection: close")
    head = b"\r\n".join(lines) + b"\r\n" + extra
    return head + b"\r\n"


class Soak:
    def __init__(self, refuse_port, redirect_port, files):
        self.refuse_port = refuse_port
        self.redirect_port = redirect_port
        self.files = files  # path -> bytes as served
        self.counts = {}
        self.failures = []
        self.lock = threading.Lock()

    def record(self, kind, ok, detail=""):
        with self.lock:
            passed, failed = self.counts.get(kind, (0, 0))
            self.counts[kind] = (passed + ok, failed + (not ok))
            if not ok and len(self.failures) < 20:
                self.failures.append(f"{kind}: {detail}")

    def expect_file(self, response, path):
        head, _, body = response.partition(b"\r\n\r\n")
        return head.startswith(b"HTTP/1.1 200") and body == self.files[path]

    # Each kind sends one request (or one connection's worth) and checks the answer.
    def authorized(self):
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", b"http://127.0.0.1/page.html"))
        return self.expect_file(r, "/img/photo.jpg"), r[:80]

    def authorized_any_case(self):
        r = exchange(self.refuse_port, request(b"/img/photo.JPG?x=1", b"HTTP://127.0.0.1/"))
        return r.startswith(b"HTTP/1.1 404") or r.startswith(b"HTTP/1.1 200"), r[:80]

    def refused(self):
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", b"http://evil.example/page"))
        return r == PAGE, r[:80]

    def refused_without_referer(self):
        r = exchange(self.refuse_port, request(b"/files/sample.zip"))
        return r == PAGE, r[:80]

    def redirected(self):
        r = exchange(self.redirect_port, request(b"/img/photo.jpg", b"http://evil.example/"))
        return self.expect_file(r, "/nolink.svg"), r[:80]

    def unprotected(self):
        r = exchange(self.refuse_port, request(b"/index.html", b"http://evil.example/"))
        return self.expect_file(r, "/index.html"), r[:80]

    def query_after_suffix(self):
        r = exchange(self.refuse_port, request(b"/img/photo.jpg?size=2", b"http://evil.example/"))
        return self.expect_file(r, "/img/photo.jpg"), r[:80]

    def long_referer(self):
        # Near Apache's limit of 8190 bytes a header line: still judged, still refused.
        referer = b"http://evil.example/" + b"x" * (8000 - 20)
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", referer))
        return r == PAGE, r[:80]

    def referer_over_limit(self):
        referer = b"http://127.0.0.1/" + b"x" * 9000
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", referer))
        return r.startswith(b"HTTP/1.1 400"), r[:80]

    def high_bytes_in_referer(self):
        # Bytes 80..FF, lone lead bytes and pairs that are no character of code page 936.
        referer = bytes(random.choice(range(0x80, 0x100)) for _ in range(random.randint(1, 64)))
        referer += random.choice([b"\x81", b"\x81\x30", b"\xFF\xFF", b""])
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", referer))
        return r == PAGE, r[:80]

    def high_bytes_in_url(self):
        # Raw bytes above 7F in the request line: Apache answers 400 or judges the URL; the
        # .jpg at the end makes a foreign request refused when it is judged.
        middle = bytes(random.choice(range(0x80, 0x100)) for _ in range(random.randint(1, 32)))
        r = exchange(self.refuse_port, request(b"/img/" + middle + b"\x81\x30.jpg", b"http://evil.example/"))
        return r == PAGE or r.startswith(b"HTTP/1.1 400"), r[:80]

    def no_host(self):
        # HTTP/1.0 needs no Host; the filter still judges the request.
        r = exchange(self.refuse_port, b"GET /img/photo.jpg HTTP/1.0\r\nReferer: http://evil/\r\n\r\n")
        return r == PAGE, r[:80]

    def no_host_http11(self):
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", b"http://127.0.0.1/", host=False))
        return r.startswith(b"HTTP/1.1 400"), r[:80]

    def many_headers(self):
        extra = b"".join(b"X-Filler-%d: %s\r\n" % (i, b"v" * 40) for i in range(90))
        r = exchange(self.refuse_port, request(b"/img/photo.jpg", b"http://127.0.0.1/", extra=extra))
        return self.expect_file(r, "/img/photo.jpg"), r[:80]

    def pipelined(self):
        # Two passes then a refusal on one connection: both files, then the page, then close.
        raw = (request(b"/img/photo.jpg", b"http://127.0.0.1/", close=False)
               + request(b"/index.html", None, close=False)
               + request(b"/img/photo.jpg", b"http://evil.example/", close=False)
               + request(b"/index.html", None, close=False))
        r = exchange(self.refuse_port, raw)
        ok = r.endswith(PAGE) and r.count(b"HTTP/1.1 200") == 2 and r.count(self.files["/img/photo.jpg"]) == 1
        return ok, r[-80:]

    def keepalive_passes(self):
        raw = b"".join(request(b"/index.html", b"http://evil.example/", close=False) for _ in range(5))
        raw += request(b"/img/photo.jpg", b"http://127.0.0.1/")
        r = exchange(self.refuse_port, raw)
        return r.count(b"HTTP/1.1 200") == 6, r[:80]

    def disconnect_mid_request(self):
        # Half a request, then gone: the server must just drop the connection.
        with socket.create_connection(("127.0.0.1", self.refuse_port), timeout=5) as sock:
            sock.sendall(b"GET /img/photo.jpg HTTP/1.1\r\nHost: 127.0.0.1\r\nReferer: http://ev")
        return True, b""

    def disconnect_before_page(self):
        # A refused request whose client closes before reading the page.
        with socket.create_connection(("127.0.0.1", self.refuse_port), timeout=5) as sock:
            sock.sendall(request(b"/img/photo.jpg", b"http://evil.example/"))
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        return True, b""

    KINDS = [
        ("authorized", 6), ("authorized_any_case", 2), ("refused", 6), ("refused_without_referer", 2),
        ("redirected", 4), ("unprotected", 3), ("query_after_suffix", 2), ("long_referer", 1),
        ("referer_over_limit", 1), ("high_bytes_in_referer", 2), ("high_bytes_in_url", 2), ("no_host", 1),
        ("no_host_http11", 1), ("many_headers", 1), ("pipelined", 2), ("keepalive_passes", 2),
        ("disconnect_mid_request", 1), ("disconnect_before_page", 1),
    ]

    def worker(self, deadline, seed):
        rng = random.Random(seed)
        names = [k for k, _ in self.KINDS]
        weights = [w for _, w in self.KINDS]
        while time.monotonic() < deadline:
            kind = rng.choices(names, weights)[0]
            try:
                ok, detail = getattr(self, kind)()
            except OSError as error:
                ok, detail = False, repr(error)
            self.record(kind, ok, detail)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--refuse-port", type=int, required=True)
    parser.add_argument("--redirect-port", type=int, required=True)
    parser.add_argument("--site", required=True, help="the served document root")
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--clients", type=int, default=8)
    args = parser.parse_args()

    files = {}
    for path in ["/img/photo.jpg", "/index.html", "/nolink.svg"]:
        with open(args.site + path, "rb") as f:
            files[path] = f.read()
    soak = Soak(args.refuse_port, args.redirect_port, files)
    deadline = time.monotonic() + args.seconds
    threads = [threading.Thread(target=soak.worker, args=(deadline, i)) for i in range(args.clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    total_ok = sum(p for p, _ in soak.counts.values())
    total_failed = sum(f for _, f in soak.counts.values())
    for kind, (passed, failed) in sorted(soak.counts.items()):
        print(f"{kind:26} {passed:7} right {failed:5} wrong")
    for failure in soak.failures:
        print("WRONG", failure)
    print(json.dumps({"requests": total_ok + total_failed, "wrong": total_failed}))
    return 0 if total_failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
