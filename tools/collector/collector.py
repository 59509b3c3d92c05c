#!/usr/bin/env python3
"""Loopback analytics collector for tests, the benchmark and the demo.

Accepts the analytics form post ("data_list=" + percent-encoded base64 of a gzip JSON
array + "&gzip=1"), undoes the encodings, checks that the body is a JSON array and appends
each record of a batch answered 200, byte for byte as sent, as one line to <out-dir>/<sink>.jsonl, where <sink> is
the last segment of the request path ("records" for "/"). Every request is also noted in
<out-dir>/<sink>.requests.jsonl (headers and outcome).

Switches (defaults for every request; the query "?status=N" or "?stall=S" overrides them):
  --status N    answer N instead of 200 to a well-formed post
  --stall S     wait S seconds before answering (past the client's time-out)
  --refuse      bind the port but never accept: connections are refused
  --tls-cert/--tls-key  serve HTTPS
The chosen port is written to --port-file once the server is ready. The server ends by
itself after --lifetime seconds so that a lost test run cannot leave it behind.
"""

import argparse
import base64
import binascii
import gzip
import http.server
import json
import os
import re
import socket
import ssl
import sys
import threading
import time
import urllib.parse

WRITE_LOCK = threading.Lock()


def split_records(text):
    """The raw texts of the elements of a JSON array, exactly as they appear in |text|."""
    value = json.loads(text)
    if not isinstance(value, list):
        raise ValueError("body is not a JSON array")
    decoder = json.JSONDecoder()
    records = []
    i = text.index("[") + 1
    while True:
        while i < len(text) and text[i] in " \t\r\n,":
            i += 1
        if i >= len(text) or text[i] == "]":
            break
        _, end = decoder.raw_decode(text, i)
        records.append(text[i:end])
        i = end
    return records


def decode_form(body):
    """The JSON text carried by a form post; raises ValueError when it is malformed."""
    fields = {}
    for part in body.split(b"&"):
        name, sep, value = part.partition(b"=")
        if not sep:
            raise ValueError("form field without '='")
        fields[name.decode("ascii")] = value
    if fields.get("gzip") != b"1" or "data_list" not in fields:
        raise ValueError("expected data_list and gzip=1")
    encoded = urllib.parse.unquote_to_bytes(fields["data_list"])
    try:
        compressed = base64.b64decode(encoded, validate=True)
    except binascii.Error as e:
        raise ValueError("bad base64: %s" % e)
    try:
        raw = gzip.decompress(compressed)
    except (OSError, EOFError) as e:
        raise ValueError("bad gzip: %s" % e)
    return raw.decode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):  # quiet: the request log is the record
        pass

    def answer(self, status, text):
        data = text.encode("utf-8")
        try:
            self.send_response(status)
            if status not in (204, 304):
                self.send_header("Content-Type", "text/plain")
                self.send_header("Content-Length", str(len(data)))
            if 300 <= status < 400:
                self.send_header("Location", "/redirected")
            self.send_header("Connection", "close")
            self.end_headers()
            if status not in (204, 304):
                self.wfile.write(data)
        except OSError:
            pass  # the client gave up (stall)

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        sink = re.sub(r"[^A-Za-z0-9_.-]", "_", url.path.rstrip("/").split("/")[-1]) or "records"
        status = int(query.get("status", [self.server.options.status])[0])
        stall = float(query.get("stall", [self.server.options.stall])[0])
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        note = {
            "path": self.path,
            "method": "POST",
            "user_agent": self.headers.get("User-Agent"),
            "content_type": self.headers.get("Content-Type"),
            "cookie": self.headers.get("Cookie"),
            "body_length": len(body),
            "body_start": body[:10].decode("latin-1"),
            "body_end": body[-7:].decode("latin-1"),
        }
        records = []
        try:
            records = split_records(decode_form(body))
            note["records"] = len(records)
        except (ValueError, UnicodeDecodeError) as e:
            note["error"] = str(e)
            status = 400
        out_dir = self.server.options.out_dir
        with WRITE_LOCK:
            # Only a batch the client will count as sent is kept; others come again.
            if records and status == 200 and stall <= 0:
                with open(os.path.join(out_dir, sink + ".jsonl"), "ab") as f:
                    for record in records:
                        f.write(record.encode("utf-8") + b"\n")
            with open(os.path.join(out_dir, sink + ".requests.jsonl"), "a", encoding="utf-8") as f:
                f.write(json.dumps(note) + "\n")
        if stall > 0:
            time.sleep(stall)
        self.answer(status, "ok" if status == 200 else note.get("error", "status %d" % status))

    def do_GET(self):
        self.answer(200, "analytics collector")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def write_port(path, port):
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.replace(tmp, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--pid-file")
    parser.add_argument("--out-dir", default=".")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--stall", type=float, default=0)
    parser.add_argument("--refuse", action="store_true")
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    parser.add_argument("--lifetime", type=float, default=0, help="exit after this many seconds (0: never)")
    options = parser.parse_args()

    if options.pid_file:
        with open(options.pid_file, "w") as f:
            f.write("%d\n" % os.getpid())
    if options.lifetime > 0:
        timer = threading.Timer(options.lifetime, lambda: os._exit(0))
        timer.daemon = True
        timer.start()

    if options.refuse:
        # Bound but not listening: every connection attempt is refused at once.
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.bind((options.host, options.port))
        if options.port_file:
            write_port(options.port_file, sock.getsockname()[1])
        while True:
            time.sleep(3600)

    os.makedirs(options.out_dir, exist_ok=True)
    server = Server((options.host, options.port), Handler)
    server.options = options
    if options.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.tls_cert, options.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    if options.port_file:
        write_port(options.port_file, port)
    else:
        print("collector listening on %s:%d" % (options.host, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
