#!/usr/bin/env python3
"""A download server that misbehaves on demand, for what nginx will not do.

Addresses look like /t/<token>/<options>/<any>/<name>. The last two segments are free
(the client takes the second-to-last one as the package digest); <options> is a
comma-separated list that says what to serve and how to misbehave:

  file=NAME      serve NAME from the package folder (required for bodies)
  drop=N         close the connection after N body bytes of a GET
  once           with drop: only the first GET of this token drops
  head=STATUS    answer HEAD with STATUS (the length is still announced)
  get=STATUS     answer GET with STATUS and a short error body
  getonce        with get: only the first GET of this token gets STATUS
  nolength       announce no Content-Length (the body ends when the connection closes)
  lie=N          announce a Content-Length of N whatever the file's size
  norange        ignore Range and always send the whole file with 200
  rate=B         send the body at about B bytes per second
  stall          send 1 byte, then one byte every 3 seconds (slower than 1 byte/s)
  hops=N         redirect (302) N times before answering, each hop one option lower

GET /_log/<token> answers one line per request seen for <token>:
  "<METHOD> <range or -> <status>".
"""

import argparse
import http.server
import os
import re
import socketserver
import sys
import threading
import time

LOCK = threading.Lock()
LOG = {}        # token -> list of lines
COUNTS = {}     # (token, method) -> requests seen


def parse_options(text):
    options = {}
    for item in text.split(","):
        if not item:
            continue
        key, _, value = item.partition("=")
        options[key] = value
    return options


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    package_dir = "."

    def log_message(self, fmt, *args):  # quiet
        pass

    def record(self, token, status):
        with LOCK:
            LOG.setdefault(token, []).append(
                "%s %s %d" % (self.command, self.headers.get("Range", "-"), status))

    def count(self, token):
        with LOCK:
            key = (token, self.command)
            COUNTS[key] = COUNTS.get(key, 0) + 1
            return COUNTS[key]

    def send_plain(self, status, body=b"", close=False):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_HEAD(self):
        self.answer()

    def do_GET(self):
        self.answer()

    def answer(self):
        parts = self.path.split("?")[0].split("/")
        if len(parts) == 3 and parts[1] == "_log":
            with LOCK:
                body = ("\n".join(LOG.get(parts[2], [])) + "\n").encode()
            return self.send_plain(200, body)
        if len(parts) < 6 or parts[1] != "t":
            return self.send_plain(404, b"not found\n")
        token, options = parts[2], parse_options(parts[3])
        nth = self.count(token)

        hops = int(options.get("hops", "0") or 0)
        if hops > 0:
            options_text = re.sub(r"hops=\d+", "hops=%d" % (hops - 1), parts[3])
            location = "/".join(parts[:3] + [options_text] + parts[4:])
            self.record(token, 302)
            self.send_response(302)
            self.send_header("Location", location)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return

        path = os.path.join(self.package_dir, os.path.basename(options.get("file", "")))
        if not os.path.isfile(path):
            self.record(token, 404)
            return self.send_plain(404, b"no such file\n")
        size = os.path.getsize(path)

        status = 200
        if self.command == "HEAD" and "head" in options:
            status = int(options["head"])
        if self.command == "GET" and "get" in options and ("getonce" not in options or nth == 1):
            status = int(options["get"])
            self.record(token, status)
            return self.send_plain(status, b"error page\n")

        start = 0
        range_header = self.headers.get("Range")
        if self.command == "GET" and range_header and "norange" not in options:
            m = re.match(r"bytes=(\d+)-(\d*)$", range_header)
            if m:
                start = int(m.group(1))
                if start >= size:
                    self.record(token, 416)
                    return self.send_plain(416, b"")
                status = 206
        length = size - start
        self.record(token, status)

        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        if "nolength" in options:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            announced = int(options["lie"]) if "lie" in options else length
            self.send_header("Content-Length", str(announced))
            if announced != length:
                self.send_header("Connection", "close")
                self.close_connection = True
        self.end_headers()
        if self.command == "HEAD":
            return

        limit = length
        drop = "drop" in options and ("once" not in options or nth == 1)
        if drop:
            limit = min(length, int(options["drop"]))
        rate = int(options.get("rate", "0") or 0)
        stall = "stall" in options
        with open(path, "rb") as f:
            f.seek(start)
            sent = 0
            while sent < limit:
                if stall:
                    chunk, pause = 1, (3.0 if sent else 0.0)
                elif rate:
                    chunk, pause = max(1, rate // 10), 0.1
                else:
                    chunk, pause = 256 * 1024, 0.0
                if pause:
                    time.sleep(pause)
                data = f.read(min(chunk, limit - sent))
                if not data:
                    break
                try:
                    self.wfile.write(data)
                    self.wfile.flush()
                except OSError:
                    return
                sent += len(data)
        if drop or "nolength" in options or self.close_connection:
            self.close_connection = True
            try:
                self.wfile.flush()
                self.connection.shutdown(2)
            except OSError:
                pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Clients that hang up (aborted or dropped transfers) are part of the game.
        if isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", required=True, help="package folder")
    parser.add_argument("--port-file", required=True, help="where to write the chosen port")
    args = parser.parse_args()
    Handler.package_dir = args.dir
    server = Server(("127.0.0.1", 0), Handler)
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
