#!/usr/bin/env python3
"""POP3 benchmark, one run against private Dovecot servers on loopback.

1. Listing: `mbxpop list` over a mailbox of 1000 small messages against Python's poplib sending
   the same TOP n 0 + LIST n sequence. Target: mbxpop at most 1.1x poplib's time.
2. Retrieval: `mbxpop retrieve` of one 20 MB message, parse included. Targets: at least 60 MB/s
   end to end, peak resident memory at most 4x the message size.
3. TLS: the same listing over POP3 on TLS against poplib's POP3_SSL (target: at most 1.2x), and
   the same retrieval over TLS against plain text (target: at most 15 % more time). The servers
   use a certificate made for the run, given to both clients as their trust anchor.

Times are medians of alternating runs. poplib is timed inside this process (no interpreter
start-up), mbxpop as a whole process (start-up included), which is the stricter comparison.
Exit status 0 when every target is met, 1 otherwise.
"""
import argparse
import base64
import os
import poplib
import random
import shutil
import socket
import ssl
import statistics
import subprocess
import sys
import tempfile
import time

USER = "bench"
PASSWORD = "bench-pass"
SMALL_COUNT = 1000
BIG_SIZE = 20 * 1024 * 1024


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def small_mail(n):
    return (
        f"From: Sender {n} <sender{n}@example.org>\r\n"
        f"To: {USER}@example.org\r\n"
        f"Subject: Benchmark message {n}\r\n"
        f"Date: Tue, 8 Dec 2026 07:{n % 60:02d}:00 +0000\r\n"
        f"Message-ID: <bench-{n}@example.org>\r\n"
        "\r\n"
        f"Small body of message {n}.\r\n"
    ).encode()


def big_mail(size):
    head = (
        "From: Big <big@example.org>\r\n"
        f"To: {USER}@example.org\r\n"
        "Subject: One big attachment\r\n"
        "MIME-Version: 1.0\r\n"
        'Content-Type: multipart/mixed; boundary="b-o-u-n-d"\r\n'
        "\r\n"
        "--b-o-u-n-d\r\n"
        "Content-Type: text/plain\r\n"
        "\r\n"
        "The attachment follows.\r\n"
        "--b-o-u-n-d\r\n"
        'Content-Type: application/octet-stream; name="big.bin"\r\n'
        "Content-Transfer-Encoding: base64\r\n"
        "\r\n"
    ).encode()
    tail = b"--b-o-u-n-d--\r\n"
    # 57 raw bytes make one 76-character line of base64 plus CR LF (78 bytes).
    lines = (size - len(head) - len(tail)) // 78
    rnd = random.Random(7)
    raw = rnd.randbytes(lines * 57)
    body = base64.encodebytes(raw).replace(b"\n", b"\r\n")
    return head + body + tail


def make_certificate(root):
    """A self-signed certificate for localhost and 127.0.0.1: (certificate, key) file names."""
    cert, key = os.path.join(root, "cert.pem"), os.path.join(root, "key.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
         "-nodes", "-days", "2", "-subj", "/CN=localhost",
         "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
         "-keyout", key, "-out", cert],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class Sandbox:
    def __init__(self, script, root, name, mails, tls=None):
        self.script = script
        self.dir = os.path.join(root, name)
        inputs = os.path.join(root, name + "-in")
        os.makedirs(inputs)
        files = []
        for i, m in enumerate(mails, 1):
            path = os.path.join(inputs, f"{i}.eml")
            with open(path, "wb") as f:
                f.write(m)
            files.append(path)
        for _ in range(5):
            self.port = free_port()
            self.tls_port = free_port()
            ssl_args = ["--ssl", tls[0], tls[1], str(self.tls_port)] if tls else []
            done = subprocess.run(
                ["bash", script, "start"] + ssl_args + [self.dir, str(self.port), USER, PASSWORD] + files
            )
            if done.returncode == 0:
                return
        raise SystemExit("the Dovecot sandbox did not start")

    def stop(self):
        subprocess.run(["bash", self.script, "stop", self.dir], check=False)


def run_process(cmd, measure_memory=False):
    """Wall time, CPU time and peak resident memory (bytes) of one run of cmd.

    Memory and CPU come from /usr/bin/time when asked for: a child forked from this (large)
    Python process would otherwise report the parent's memory as its own peak. Without them
    the process is started directly, so the timing carries no extra process.
    """
    env = dict(os.environ, MBXPOP_PASSWORD=PASSWORD)
    with tempfile.NamedTemporaryFile("r") as usage:
        wrapper = ["/usr/bin/time", "-o", usage.name, "-f", "%U %S %M"] if measure_memory else []
        start = time.perf_counter()
        done = subprocess.run(wrapper + cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
        elapsed = time.perf_counter() - start
        if done.returncode != 0:
            raise SystemExit(f"{' '.join(cmd)} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
        if not measure_memory:
            return elapsed, None, None
        user, system, peak_kb = usage.read().split()[-3:]
    return elapsed, float(user) + float(system), int(peak_kb) * 1024


def poplib_client(port, context):
    if context is None:
        return poplib.POP3("127.0.0.1", port)
    return poplib.POP3_SSL("127.0.0.1", port, context=context)


def poplib_list(port, context=None):
    start = time.perf_counter()
    p = poplib_client(port, context)
    p.user(USER)
    p.pass_(PASSWORD)
    count, _ = p.stat()
    for n in range(1, count + 1):
        p.top(n, 0)
        p.list(n)
    p.quit()
    return time.perf_counter() - start


def poplib_retrieve(port):
    start = time.perf_counter()
    p = poplib.POP3("127.0.0.1", port)
    p.user(USER)
    p.pass_(PASSWORD)
    p.list(1)
    p.retr(1)
    p.quit()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mbxpop", required=True)
    parser.add_argument("--sandbox", required=True)
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()

    root = tempfile.mkdtemp(prefix="bench-pop3-")
    os.chmod(root, 0o755)
    boxes = []
    ok = True
    try:
        cert, key = make_certificate(root)
        small = Sandbox(args.sandbox, root, "small", [small_mail(n) for n in range(1, SMALL_COUNT + 1)],
                        tls=(cert, key))
        boxes.append(small)
        # One message: the fixed cost of a session (process start, login, the pause after QUIT).
        single = Sandbox(args.sandbox, root, "single", [small_mail(1)])
        boxes.append(single)
        big_bytes = big_mail(BIG_SIZE)
        big = Sandbox(args.sandbox, root, "big", [big_bytes], tls=(cert, key))
        boxes.append(big)

        ours, theirs = [], []
        poplib_list(small.port)  # warm the server's caches for both sides
        for _ in range(args.runs):
            ours.append(run_process([args.mbxpop, "--security", "none", "--port", str(small.port), "127.0.0.1", USER, "list"])[0])
            theirs.append(poplib_list(small.port))
        t_ours, t_theirs = statistics.median(ours), statistics.median(theirs)
        ratio = t_ours / t_theirs
        best = min(ours) / min(theirs)
        print(f"list of {SMALL_COUNT} messages (TOP n 0 + LIST n each), {args.runs} alternating runs:")
        print(f"  median: mbxpop {t_ours * 1000:8.1f} ms   poplib {t_theirs * 1000:8.1f} ms   ratio {ratio:.2f} (target <= 1.10)")
        print(f"  best:   mbxpop {min(ours) * 1000:8.1f} ms   poplib {min(theirs) * 1000:8.1f} ms   ratio {best:.2f}")
        ok &= ratio <= 1.10

        fixed_ours, fixed_theirs = [], []
        for _ in range(args.runs):
            fixed_ours.append(run_process([args.mbxpop, "--security", "none", "--port", str(single.port), "127.0.0.1", USER, "list"])[0])
            fixed_theirs.append(poplib_list(single.port))
        f_ours, f_theirs = statistics.median(fixed_ours), statistics.median(fixed_theirs)
        per_ours = (t_ours - f_ours) / (SMALL_COUNT - 1)
        per_theirs = (t_theirs - f_theirs) / (SMALL_COUNT - 1)
        print(f"  one-message session: mbxpop {f_ours * 1000:8.1f} ms   poplib {f_theirs * 1000:8.1f} ms")
        print(f"  per further message: mbxpop {per_ours * 1e6:8.1f} us   poplib {per_theirs * 1e6:8.1f} us   "
              f"ratio {per_ours / per_theirs:.2f} (for information)")

        times, cpus, peaks, ptimes = [], [], [], []
        for _ in range(max(3, args.runs // 2)):
            t, cpu, rss = run_process(
                [args.mbxpop, "--security", "none", "--port", str(big.port), "127.0.0.1", USER, "retrieve", "1"], measure_memory=True)
            times.append(t)
            cpus.append(cpu)
            peaks.append(rss)
            ptimes.append(poplib_retrieve(big.port))
        size_mb = len(big_bytes) / 1e6
        t = statistics.median(times)
        cpu = statistics.median(cpus)
        rate = size_mb / t
        peak = max(peaks)
        factor = peak / len(big_bytes)
        print(f"retrieve + parse of one {len(big_bytes) / 2**20:.1f} MiB message, median of {len(times)}:")
        print(f"  mbxpop {t * 1000:8.1f} ms wall = {rate:6.1f} MB/s (target >= 60); "
              f"its own CPU {cpu * 1000:.0f} ms = {size_mb / cpu:.1f} MB/s")
        print(f"  poplib retr alone (no parsing) {statistics.median(ptimes) * 1000:8.1f} ms")
        print(f"  peak resident memory {peak / 2**20:.1f} MiB = {factor:.2f}x the message (target <= 4)")
        try:
            print(f"  load average during the run: {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs")
        except OSError:
            pass
        ok &= rate >= 60 and factor <= 4

        context = ssl.create_default_context(cafile=cert)
        tls_options = ["--security", "tls", "--ca-file", cert]
        ours, theirs = [], []
        for _ in range(args.runs):
            ours.append(run_process([args.mbxpop] + tls_options +
                                    ["--port", str(small.tls_port), "127.0.0.1", USER, "list"])[0])
            theirs.append(poplib_list(small.tls_port, context))
        t_ours, t_theirs = statistics.median(ours), statistics.median(theirs)
        ratio = t_ours / t_theirs
        print(f"list of {SMALL_COUNT} messages over TLS, {args.runs} alternating runs:")
        print(f"  median: mbxpop {t_ours * 1000:8.1f} ms   poplib POP3_SSL {t_theirs * 1000:8.1f} ms   "
              f"ratio {ratio:.2f} (target <= 1.20)")
        ok &= ratio <= 1.20

        plain, secure = [], []
        for _ in range(max(3, args.runs // 2)):
            plain.append(run_process(
                [args.mbxpop, "--security", "none", "--port", str(big.port), "127.0.0.1", USER,
                 "retrieve", "1"])[0])
            secure.append(run_process(
                [args.mbxpop] + tls_options + ["--port", str(big.tls_port), "127.0.0.1", USER,
                                               "retrieve", "1"])[0])
        t_plain, t_secure = statistics.median(plain), statistics.median(secure)
        cost = t_secure / t_plain - 1
        print(f"retrieve + parse of the same message over TLS against plain, median of {len(plain)}:")
        print(f"  plain {t_plain * 1000:8.1f} ms   TLS {t_secure * 1000:8.1f} ms   "
              f"TLS costs {cost * 100:+.1f} % (target <= +15 %)")
        ok &= cost <= 0.15
    finally:
        for b in boxes:
            b.stop()
        shutil.rmtree(root, ignore_errors=True)
    print("all targets met" if ok else "TARGET MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
