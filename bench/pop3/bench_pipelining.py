#!/usr/bin/env python3
"""Pipelining benchmark: listing and deleting through a latency proxy, pipelined and lock-step.

`mbxpop list` over mailboxes of 300 and 1000 mails and `mbxpop delete` of 300 marked mails (of
400), against a private Dovecot behind bench/pop3/latency_proxy.py at 20 ms and 60 ms round
trips, with and without --no-pipelining, in the same run. Prints the times and the ratio.
Target: the pipelined listing at most 10 % of the lock-step time at 20 ms. Exit status 0 when
it is met, 1 otherwise.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_pop3 import PASSWORD, USER, Sandbox, free_port, small_mail  # noqa: E402

PROXY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "latency_proxy.py")
ROUND_TRIPS_MS = (20, 60)
TARGET_RATIO = 0.10


class Proxy:
    def __init__(self, target_port, round_trip_ms):
        self.port = free_port()
        self.process = subprocess.Popen(
            [sys.executable, PROXY, str(self.port), str(target_port), str(round_trip_ms / 2)],
            stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise SystemExit("the latency proxy did not start")

    def stop(self):
        self.process.terminate()
        self.process.wait()


def mbxpop(binary, port, args, pipelined):
    cmd = [binary, "--security", "none"] + ([] if pipelined else ["--no-pipelining"])
    cmd += ["--port", str(port), "127.0.0.1", USER] + args
    env = dict(os.environ, MBXPOP_PASSWORD=PASSWORD)
    start = time.perf_counter()
    done = subprocess.run(cmd, capture_output=True, env=env)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(cmd)} failed: {done.stderr.decode(errors='replace')}")
    return elapsed, done.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mbxpop", required=True)
    parser.add_argument("--sandbox", required=True)
    args = parser.parse_args()

    root = tempfile.mkdtemp(prefix="bench-pipelining-")
    os.chmod(root, 0o755)  # Dovecot's unprivileged processes pass through to the Maildir
    sandboxes = []
    rows = []
    try:
        boxes = {}
        for count in (300, 1000):
            boxes[count] = Sandbox(args.sandbox, root, f"list{count}",
                                   [small_mail(n) for n in range(1, count + 1)])
            sandboxes.append(boxes[count])
        for rtt in ROUND_TRIPS_MS:
            for count, box in boxes.items():
                proxy = Proxy(box.port, rtt)
                try:
                    piped, piped_out = mbxpop(args.mbxpop, proxy.port, ["list"], True)
                    locked, locked_out = mbxpop(args.mbxpop, proxy.port, ["list"], False)
                finally:
                    proxy.stop()
                if piped_out != locked_out or piped_out.count(b"\n") != count:
                    raise SystemExit(f"listing {count} mails: pipelined and lock-step differ")
                rows.append((f"list {count}", rtt, locked, piped))
            times = {}
            for pipelined in (True, False):
                box = Sandbox(args.sandbox, root, f"delete{rtt}{'p' if pipelined else 'l'}",
                              [small_mail(n) for n in range(1, 401)])
                sandboxes.append(box)
                proxy = Proxy(box.port, rtt)
                try:
                    numbers = [str(n) for n in range(400, 100, -1)]
                    times[pipelined], _ = mbxpop(args.mbxpop, proxy.port, ["delete"] + numbers,
                                                 pipelined)
                finally:
                    proxy.stop()
                box.stop()
                remaining = os.listdir(os.path.join(box.dir, "mail", USER, "Maildir", "cur")) + \
                    os.listdir(os.path.join(box.dir, "mail", USER, "Maildir", "new"))
                if len(remaining) != 100:
                    raise SystemExit(f"delete left {len(remaining)} mails instead of 100")
            rows.append(("delete 300 of 400", rtt, times[False], times[True]))
    finally:
        for box in sandboxes:
            box.stop()
        shutil.rmtree(root, ignore_errors=True)

    print(f"{'pass':<20}{'round trip':>11}{'lock-step':>11}{'pipelined':>11}{'ratio':>9}")
    met = True
    for name, rtt, locked, piped in rows:
        ratio = piped / locked
        print(f"{name:<20}{rtt:>8} ms{locked:>10.2f}s{piped:>10.2f}s{ratio:>8.1%}")
        if name.startswith("list") and rtt == 20 and ratio > TARGET_RATIO:
            met = False
    print(f"target: pipelined listing at most {TARGET_RATIO:.0%} of lock-step at 20 ms: "
          f"{'met' if met else 'MISSED'}")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
