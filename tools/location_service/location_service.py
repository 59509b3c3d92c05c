#!/usr/bin/env python3
"""Loopback location-and-time service for the tests of the location client.

Every POST must carry "X-HM-Time" (seconds since 1970, within 10 minutes of now) and
"X-HM-Credential" (MD5 of "/api/location_and_time&&" + credential + "&" + time); a request
without them, or with a wrong credential, is answered 401. The query "?mode=" picks the
answer of a good request:
  ok         200 with ip, country, country_code, province and city
  error      500
  nocountry  200 with a JSON object that does not mention the country
  noip       200 with country members but no ip
  stall      waits 3 seconds, then answers as ok
Each request is appended to --log as one JSON line (mode, path, time, credential_ok,
content_type). The port goes to --port-file once listening; the service ends by itself
after --lifetime seconds.
"""

import argparse
import hashlib
import http.server
import json
import os
import threading
import time
import urllib.parse

API_PATH = "/api/location_and_time"
APP_CREDENTIAL = "Kp3vRw8ZtQm5YxJd"
LOG_LOCK = threading.Lock()


def expected_credential(stamp):
    return hashlib.md5((API_PATH + "&&" + APP_CREDENTIAL + "&" + stamp).encode("ascii")).hexdigest()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        url = urllib.parse.urlsplit(self.path)
        mode = urllib.parse.parse_qs(url.query).get("mode", ["ok"])[0]
        stamp = self.headers.get("X-HM-Time", "")
        credential = self.headers.get("X-HM-Credential", "")
        fresh = stamp.isdigit() and abs(int(stamp) - time.time()) < 600
        good = fresh and credential == expected_credential(stamp)
        entry = {"mode": mode, "path": url.path, "time": stamp, "credential_ok": good,
                 "content_type": self.headers.get("Content-Type", "")}
        with LOG_LOCK, open(self.server.log_path, "a") as log:
            log.write(json.dumps(entry) + "\n")
        if not good:
            self.answer(401, '{"error":"bad credential"}')
            return
        full = {"ip": "203.0.113.7", "country": "中国", "country_code": "CN", "province": "浙江", "city": "杭州"}
        if mode == "error":
            self.answer(500, '{"error":"internal"}')
        elif mode == "nocountry":
            self.answer(200, '{"ip":"203.0.113.7","region":"x"}')
        elif mode == "noip":
            self.answer(200, '{"country":"中国","country_code":"CN"}')
        else:
            if mode == "stall":
                time.sleep(3)
            self.answer(200, json.dumps(full, ensure_ascii=False))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--pid-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--lifetime", type=float, default=1800)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.log_path = args.log
    with open(args.pid_file, "w") as f:
        f.write(str(os.getpid()))
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
