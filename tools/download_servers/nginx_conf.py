#!/usr/bin/env python3
"""Writes an nginx configuration for a local download server.

The server runs in the foreground as one process (no daemon, no master), keeps every
temporary and log file under --prefix, serves --root on 127.0.0.1, answers HEAD and
Range as nginx does for static files, and answers each configured address with a 302 to
its final address (normally /<md5>/<file name>, which the client checks the digest of).
TLS servers may be added, each on its own port with its own certificate.
"""

import argparse
import os
import sys


def render(prefix, root, http_port, redirects, tls):
    lines = [
        "daemon off;",
        "master_process off;",
        "worker_processes 1;",
        "pid %s;" % os.path.join(prefix, "nginx.pid"),
        "error_log %s warn;" % os.path.join(prefix, "error.log"),
        "events { worker_connections 256; }",
        "http {",
        "  access_log %s;" % os.path.join(prefix, "access.log"),
        "  client_body_temp_path %s;" % os.path.join(prefix, "client_body"),
        "  proxy_temp_path %s;" % os.path.join(prefix, "proxy"),
        "  fastcgi_temp_path %s;" % os.path.join(prefix, "fastcgi"),
        "  uwsgi_temp_path %s;" % os.path.join(prefix, "uwsgi"),
        "  scgi_temp_path %s;" % os.path.join(prefix, "scgi"),
        "  default_type application/octet-stream;",
        "  sendfile on;",
        "  gzip off;",
        "  keepalive_timeout 65;",
    ]
    servers = [("listen 127.0.0.1:%d;" % http_port, [])]
    for port, cert, key in tls:
        servers.append(("listen 127.0.0.1:%d ssl;" % port,
                        ["ssl_certificate %s;" % cert, "ssl_certificate_key %s;" % key]))
    for listen, extra in servers:
        lines.append("  server {")
        lines.append("    " + listen)
        lines.append("    server_name _;")
        lines.extend("    " + e for e in extra)
        lines.append("    root %s;" % root)
        for source, target in redirects:
            lines.append("    location = %s { return 302 %s; }" % (source, target))
        lines.append("  }")
    lines.append("}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--prefix", required=True, help="folder for temp, log and pid files")
    parser.add_argument("--root", required=True, help="package folder to serve")
    parser.add_argument("--port", type=int, required=True, help="plain HTTP port")
    parser.add_argument("--redirect", action="append", default=[], metavar="FROM=TO",
                        help="answer FROM with a 302 to TO (repeatable)")
    parser.add_argument("--tls", action="append", default=[], metavar="PORT:CERT:KEY",
                        help="an HTTPS server on PORT with CERT and KEY (repeatable)")
    parser.add_argument("--out", required=True, help="configuration file to write")
    args = parser.parse_args()
    redirects = [tuple(r.split("=", 1)) for r in args.redirect]
    tls = []
    for t in args.tls:
        port, cert, key = t.split(":", 2)
        tls.append((int(port), cert, key))
    for sub in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"):
        os.makedirs(os.path.join(args.prefix, sub), exist_ok=True)
    with open(args.out, "w") as f:
        f.write(render(args.prefix, args.root, args.port, redirects, tls))
    return 0


if __name__ == "__main__":
    sys.exit(main())
