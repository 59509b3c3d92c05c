#!/usr/bin/env python3
"""Runs a command with the local download servers up, and always stops them afterwards.

  run_with_servers.py [--bench-mib N] [--file NAME=BYTES ...] [--padded NAME=SOURCE:BYTES ...]
                      -- command [arguments...]

Starts, on free 127.0.0.1 ports and in a scratch folder of their own:
  - nginx serving a generated package folder over HTTP and, with test certificates, over
    HTTPS three times (a certificate of the test CA, one of the test CA for another host
    name, one of another CA);
  - the fault-injecting server (fault_server.py) over the same packages.
The command sees where everything is through these environment variables:
  QUILLORA_TEST_NGINX            http://127.0.0.1:PORT
  QUILLORA_TEST_HTTPS            https://localhost:PORT (certificate of the test CA)
  QUILLORA_TEST_HTTPS_WRONGHOST  https://localhost:PORT (test CA, issued to wrong.example)
  QUILLORA_TEST_HTTPS_OTHERCA    https://localhost:PORT (certificate of another CA)
  QUILLORA_TEST_CA               host path of the test CA certificate (PEM)
  QUILLORA_TEST_FAULT            http://127.0.0.1:PORT
  QUILLORA_TEST_PACKAGES         host path of the package folder
  QUILLORA_TEST_PACKAGE_MD5      digest of package.bin
nginx answers /software/477 (package.bin), /software/small (1048575 bytes),
/software/exact (1048576 bytes), /software/nodigest, /software/wrongdigest,
/software/upper and, with --bench-mib, /software/bench with a 302 to the file's
/<digest>/<name> address; each --file (random bytes) and --padded (a copy of SOURCE with
zeros appended up to BYTES, e.g. a program made big enough to pass as a package) is
served as /software/NAME the same way. The files themselves lie in <packages>/files/.
The servers die with this launcher, even when it is killed.
"""

import argparse
import ctypes
import hashlib
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NGINX = "/usr/sbin/nginx"
BIG_TAIL = 1048576


def die_with_parent():
    # PR_SET_PDEATHSIG: the server goes when the launcher goes, however it ends.
    try:
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGKILL)
    except OSError:
        pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, process, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def md5_of(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def write_random(path, size, seed):
    rng = random.Random(seed)
    with open(path, "wb") as f:
        left = size
        while left > 0:
            n = min(left, 1 << 22)
            f.write(rng.randbytes(n))
            left -= n


def make_packages(root, bench_mib, extra_files=(), padded=()):
    files = os.path.join(root, "files")
    os.makedirs(files)
    write_random(os.path.join(files, "package.bin"), 3 * 1048576 + 12345, 1)
    write_random(os.path.join(files, "small.bin"), 1048575, 2)
    write_random(os.path.join(files, "exact.bin"), 1048576, 3)
    # Over 2 GiB without using the disk: a sparse start and a random tail.
    big = os.path.join(files, "big.bin")
    with open(big, "wb") as f:
        f.truncate(2 * 1024 * 1048576 + 3 * 1048576)
        f.seek(-BIG_TAIL, os.SEEK_END)
        f.write(random.Random(4).randbytes(BIG_TAIL))
    redirects = []

    def publish(route, name, folder=None):
        digest = md5_of(os.path.join(files, name))
        folder = folder or digest
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        os.link(os.path.join(files, name), os.path.join(root, folder, name))
        redirects.append(("/software/" + route, "/%s/%s" % (folder, name)))
        return digest

    digest = publish("477", "package.bin")
    publish("small", "small.bin")
    publish("exact", "exact.bin")
    redirects.append(("/software/nodigest", "/files/package.bin"))
    publish("wrongdigest", "package.bin", hashlib.md5(b"another file").hexdigest())
    publish("upper", "package.bin", digest.upper())
    if bench_mib:
        with open(os.path.join(files, "bench.bin"), "wb") as f:
            for _ in range(bench_mib):
                f.write(os.urandom(1048576))
        publish("bench", "bench.bin")
    for seed, (name, size) in enumerate(extra_files, start=10):
        write_random(os.path.join(files, name), size, seed)
        publish(name, name)
    for name, source, size in padded:
        shutil.copyfile(source, os.path.join(files, name))
        with open(os.path.join(files, name), "r+b") as f:
            f.seek(0, os.SEEK_END)
            if f.tell() < size:
                f.write(b"\0" * (size - f.tell()))
        publish(name, name)
    return digest, redirects


def make_certificates(folder):
    def run(*args):
        subprocess.run(["openssl"] + list(args), cwd=folder, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ca(name):
        run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".pem",
            "-days", "30", "-subj", "/CN=Quillora %s" % name,
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")

    def leaf(name, ca_name, host):
        with open(os.path.join(folder, name + ".ext"), "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                    "extendedKeyUsage=serverAuth\nsubjectAltName=DNS:%s\n" % host)
        run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
            "-subj", "/CN=%s" % host)
        run("x509", "-req", "-in", name + ".csr", "-CA", ca_name + ".pem", "-CAkey", ca_name + ".key",
            "-CAcreateserial", "-out", name + ".pem", "-days", "30", "-extfile", name + ".ext")
        return os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key")

    ca("testca")
    ca("otherca")
    return (os.path.join(folder, "testca.pem"), leaf("good", "testca", "localhost"),
            leaf("wronghost", "testca", "wrong.example"), leaf("othercert", "otherca", "localhost"))


def start(args, **kwargs):
    return subprocess.Popen(args, preexec_fn=die_with_parent, **kwargs)


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_nginx(work, root, redirects, tls_certs):
    for _ in range(5):
        port = free_port()
        tls = [(free_port(), cert, key) for cert, key in tls_certs]
        conf = os.path.join(work, "nginx.conf")
        cmd = [sys.executable, os.path.join(HERE, "nginx_conf.py"), "--prefix", os.path.join(work, "nginx"),
               "--root", root, "--port", str(port), "--out", conf]
        cmd += ["--redirect=%s=%s" % r for r in redirects]
        cmd += ["--tls=%d:%s:%s" % t for t in tls]
        subprocess.run(cmd, check=True)
        process = start([NGINX, "-p", os.path.join(work, "nginx"), "-c", conf, "-e",
                         os.path.join(work, "nginx", "error.log")], stderr=subprocess.DEVNULL)
        if wait_for_port(port, process) and all(wait_for_port(p, process) for p, _, _ in tls):
            return process, port, [p for p, _, _ in tls]
        stop(process)  # a port was taken meanwhile: try others
    raise RuntimeError("nginx did not start")


def start_fault_server(work, folder):
    port_file = os.path.join(work, "fault.port")
    process = start([sys.executable, os.path.join(HERE, "fault_server.py"), "--dir", folder,
                     "--port-file", port_file])
    deadline = time.monotonic() + 20
    while not os.path.exists(port_file):
        if process.poll() is not None or time.monotonic() > deadline:
            raise RuntimeError("the fault server did not start")
        time.sleep(0.05)
    with open(port_file) as f:
        port = int(f.read())
    if not wait_for_port(port, process):
        raise RuntimeError("the fault server does not answer")
    return process, port


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench-mib", type=int, default=0, help="also serve a random file of N MiB")
    parser.add_argument("--file", action="append", default=[], metavar="NAME=BYTES",
                        help="also serve a random file of BYTES bytes as /software/NAME")
    parser.add_argument("--padded", action="append", default=[], metavar="NAME=SOURCE:BYTES",
                        help="also serve SOURCE padded with zeros to BYTES as /software/NAME")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    extra_files = []
    for item in args.file:
        name, _, size = item.partition("=")
        extra_files.append((name, int(size)))
    padded = []
    for item in args.padded:
        name, _, rest = item.partition("=")
        source, _, size = rest.rpartition(":")
        padded.append((name, source, int(size)))
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")

    def on_signal(signum, _frame):
        raise SystemExit(128 + signum)

    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, on_signal)

    work = tempfile.mkdtemp(prefix="quillora-servers-")
    processes = []
    try:
        root = os.path.join(work, "packages")
        digest, redirects = make_packages(root, args.bench_mib, extra_files, padded)
        certs = os.path.join(work, "certs")
        os.makedirs(certs)
        ca, good, wronghost, othercert = make_certificates(certs)
        nginx, port, tls_ports = start_nginx(work, root, redirects, [good, wronghost, othercert])
        processes.append(nginx)
        fault, fault_port = start_fault_server(work, os.path.join(root, "files"))
        processes.append(fault)

        env = dict(os.environ)
        env.update({
            "QUILLORA_TEST_NGINX": "http://127.0.0.1:%d" % port,
            "QUILLORA_TEST_HTTPS": "https://localhost:%d" % tls_ports[0],
            "QUILLORA_TEST_HTTPS_WRONGHOST": "https://localhost:%d" % tls_ports[1],
            "QUILLORA_TEST_HTTPS_OTHERCA": "https://localhost:%d" % tls_ports[2],
            "QUILLORA_TEST_CA": ca,
            "QUILLORA_TEST_FAULT": "http://127.0.0.1:%d" % fault_port,
            "QUILLORA_TEST_PACKAGES": root,
            "QUILLORA_TEST_PACKAGE_MD5": digest,
        })
        child = subprocess.Popen(command, env=env)
        try:
            return child.wait()
        finally:
            stop(child)
    finally:
        for p in reversed(processes):
            stop(p)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
