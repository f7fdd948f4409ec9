#!/usr/bin/env python3
"""Big-mailbox benchmark: mbxpop against peers written here, in one run, on private Dovecots.

1. `mbxpop list` of 100,000 mails through bench/pop3/latency_proxy.py at 20 ms round trip,
   against a plain pipelined client written below (256 commands in flight, TOP n 0 + LIST n
   per mail) on the same proxy. Targets: mbxpop at most 30 s and at most 1.5x the client.
2. The same listing on loopback without the proxy, against poplib (one command at a time).
   Target: mbxpop at most 1.0x poplib.
3. Peak resident memory of that `mbxpop list`. Target: under 50 MB.
4. Deleting 10,000 marked mails (of 12,000) at 20 ms: `mbxpop delete` against the plain
   client's pipelined DELE pass and QUIT, each on a mailbox of its own. Target: at most 1.5x.
Exit status 0 when every target is met, 1 otherwise.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_pipelining import Proxy  # noqa: E402
from bench_pop3 import PASSWORD, USER, Sandbox, poplib_list, run_process, small_mail  # noqa: E402

BIG_COUNT = 100_000
DELETE_BOX = 12_000
DELETE_COUNT = 10_000
ROUND_TRIP_MS = 20
IN_FLIGHT = 256


def fill_maildir(box, count):
    """Writes count small mails straight into the sandbox's Maildir, numbered as it numbers."""
    maildir = os.path.join(box.dir, "mail", USER, "Maildir")
    owner = os.stat(maildir)
    new = os.path.join(maildir, "new")
    for n in range(1, count + 1):
        path = os.path.join(new, f"{1000000000 + n}.M{n}P1.sandbox")
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        os.write(fd, small_mail(n))
        os.close(fd)
        os.chown(path, owner.st_uid, owner.st_gid)


class PlainClient:
    """A POP3 client over a bare socket that keeps up to IN_FLIGHT commands outstanding."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.reader = self.sock.makefile("rb", buffering=65536)
        self.line()  # greeting
        for command in (f"USER {USER}", f"PASS {PASSWORD}"):
            self.command(command)

    def line(self):
        line = self.reader.readline()
        if not line.startswith(b"+OK"):
            raise SystemExit(f"the server refused: {line!r}")
        return line

    def multi_line(self):
        self.line()
        lines = []
        while True:
            line = self.reader.readline()
            if line == b".\r\n":
                return lines
            if not line:
                raise SystemExit("the server closed mid-answer")
            lines.append(line)

    def command(self, text):
        self.sock.sendall(text.encode() + b"\r\n")
        return self.line()

    def pipelined(self, count, commands, answer):
        """Items 1 to count, each commands(n) lines; IN_FLIGHT commands outstanding, the next
        item sent as soon as one is answered; answer(n) reads the answers of item n."""
        window = max(1, IN_FLIGHT // len(commands(1)))
        sent = min(window, count)
        self.sock.sendall(b"".join(c for m in range(1, sent + 1) for c in commands(m)))
        for n in range(1, count + 1):
            answer(n)
            if sent < count:
                sent += 1
                self.sock.sendall(b"".join(commands(sent)))

    def stat(self):
        self.count = int(self.command("STAT").split()[1])
        return self.count

    def quit(self):
        self.command("QUIT")
        self.sock.close()


def plain_list(port):
    start = time.perf_counter()
    client = PlainClient(port)
    client.stat()
    rows = []

    def answer(n):
        header = client.multi_line()
        size = client.line().split()[2]
        rows.append((n, size, len(header)))

    client.pipelined(client.count,
                     lambda n: [f"TOP {n} 0\r\n".encode(), f"LIST {n}\r\n".encode()], answer)
    client.quit()
    return time.perf_counter() - start, len(rows)


def plain_delete(port, numbers):
    start = time.perf_counter()
    client = PlainClient(port)
    client.pipelined(len(numbers), lambda i: [f"DELE {numbers[i - 1]}\r\n".encode()],
                     lambda i: client.line())
    client.quit()
    return time.perf_counter() - start


def mbxpop(binary, port, args, measure_memory=False):
    cmd = [binary, "--security", "none", "--port", str(port), "127.0.0.1", USER] + args
    return run_process(cmd, measure_memory)


def remaining(box):
    maildir = os.path.join(box.dir, "mail", USER, "Maildir")
    return sum(len(os.listdir(os.path.join(maildir, sub))) for sub in ("cur", "new"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mbxpop", required=True)
    parser.add_argument("--sandbox", required=True)
    args = parser.parse_args()

    root = tempfile.mkdtemp(prefix="bench-big-")
    os.chmod(root, 0o755)
    boxes = []
    ok = True
    try:
        start = time.perf_counter()
        big = Sandbox(args.sandbox, root, "big", [])
        boxes.append(big)
        fill_maildir(big, BIG_COUNT)
        print(f"a Maildir of {BIG_COUNT} mails written in {time.perf_counter() - start:.1f} s")
        # Dovecot indexes the mailbox in its first session; neither side pays for that.
        warm = PlainClient(big.port)
        if warm.stat() != BIG_COUNT:
            raise SystemExit("the mailbox does not hold every mail")
        warm.quit()

        proxy = Proxy(big.port, ROUND_TRIP_MS)
        try:
            ours, _, _ = mbxpop(args.mbxpop, proxy.port, ["list"])
            theirs, rows = plain_list(proxy.port)
        finally:
            proxy.stop()
        if rows != BIG_COUNT:
            raise SystemExit(f"the plain client listed {rows} mails")
        ratio = ours / theirs
        print(f"list of {BIG_COUNT} mails at {ROUND_TRIP_MS} ms round trip:")
        print(f"  mbxpop {ours:7.2f} s   plain client ({IN_FLIGHT} in flight) {theirs:7.2f} s   "
              f"ratio {ratio:.2f} (targets: <= 30 s, <= 1.50)")
        ok &= ours <= 30 and ratio <= 1.5

        ours, cpu, peak = mbxpop(args.mbxpop, big.port, ["list"], measure_memory=True)
        theirs = poplib_list(big.port)
        ratio = ours / theirs
        print(f"list of {BIG_COUNT} mails on loopback:")
        print(f"  mbxpop {ours:7.2f} s ({cpu:.2f} s CPU)   poplib {theirs:7.2f} s   "
              f"ratio {ratio:.2f} (target <= 1.00)")
        print(f"  mbxpop peak resident memory {peak / 2**20:.1f} MiB (target < 50 MB)")
        ok &= ratio <= 1.0 and peak < 50e6
        big.stop()
        boxes.remove(big)

        numbers = list(range(DELETE_BOX, DELETE_BOX - DELETE_COUNT, -1))
        times = {}
        for side in ("mbxpop", "plain"):
            box = Sandbox(args.sandbox, root, f"delete-{side}", [])
            boxes.append(box)
            fill_maildir(box, DELETE_BOX)
            warm = PlainClient(box.port)
            warm.stat()
            warm.quit()
            proxy = Proxy(box.port, ROUND_TRIP_MS)
            try:
                if side == "mbxpop":
                    times[side], _, _ = mbxpop(args.mbxpop, proxy.port,
                                               ["delete"] + [str(n) for n in numbers])
                else:
                    times[side] = plain_delete(proxy.port, numbers)
            finally:
                proxy.stop()
            box.stop()
            left = remaining(box)
            if left != DELETE_BOX - DELETE_COUNT:
                raise SystemExit(f"{side} left {left} mails instead of {DELETE_BOX - DELETE_COUNT}")
        ratio = times["mbxpop"] / times["plain"]
        print(f"delete {DELETE_COUNT} of {DELETE_BOX} mails at {ROUND_TRIP_MS} ms round trip "
              f"(QUIT included):")
        print(f"  mbxpop {times['mbxpop']:7.2f} s   plain client {times['plain']:7.2f} s   "
              f"ratio {ratio:.2f} (target <= 1.50)")
        ok &= ratio <= 1.5
        try:
            print(f"load average after the run: {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs")
        except OSError:
            pass
    finally:
        for box in boxes:
            box.stop()
        shutil.rmtree(root, ignore_errors=True)
    print("all targets met" if ok else "TARGET MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
