#!/usr/bin/env python3
"""Spam scores through spamc: the scorer pool against a shell loop, in the same run.

1,000 headers are scored against a private spamd (scripts/spamd-sandbox, as many scanning
children as the pool keeps in flight) twice: through the pool (score_files, min(cores, 4)
spamc processes in flight), and by a shell loop piping them through spamc one after another.
Target: the pool takes at most 1.5x the loop's time divided by the number of cores used.
Prints both figures and the ratio; exit status 0 when the target is met, 1 otherwise.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pop3"))
from bench_pop3 import free_port, small_mail  # noqa: E402

TARGET_RATIO = 1.5


def timed(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--score-files", required=True)
    parser.add_argument("--sandbox", required=True, help="scripts/spamd-sandbox")
    parser.add_argument("--count", type=int, default=1000)
    args = parser.parse_args()
    if not shutil.which("spamc") or not os.access("/usr/sbin/spamd", os.X_OK):
        raise SystemExit("bench_spamc: spamd and spamc are needed (Debian: spamd, spamc)")
    cores = min(os.cpu_count() or 1, 4)
    root = tempfile.mkdtemp(prefix="bench-spamc-")
    os.chmod(root, 0o755)  # as root, spamd scans as nobody, who must reach its configuration
    try:
        headers = os.path.join(root, "headers")
        os.mkdir(headers)
        files = []
        for n in range(1, args.count + 1):
            mail = small_mail(n)
            path = os.path.join(headers, f"{n:05d}.eml")
            with open(path, "wb") as f:
                f.write(mail[: mail.index(b"\r\n\r\n") + 4])
            files.append(path)
        port = free_port()
        subprocess.run(["bash", args.sandbox, "start", os.path.join(root, "spamd"), str(port),
                        str(cores)], check=True)
        try:
            address = f"127.0.0.1:{port}"
            # Both see a spamd whose children have loaded their rules.
            subprocess.run([args.score_files, "--scorer", "spamc", "--address", address]
                           + files[:cores * 2], check=True, stdout=subprocess.DEVNULL)
            loop = timed(["sh", "-c", 'for f in "$1"/*.eml; do '
                          'spamc -x -R -d 127.0.0.1 -p "$2" < "$f" > /dev/null || exit 1; done',
                          "sh", headers, str(port)])
            pool = timed([args.score_files, "--scorer", "spamc", "--address", address,
                          "--parallel", str(cores)] + files)
        finally:
            subprocess.run(["bash", args.sandbox, "stop", os.path.join(root, "spamd")])
    finally:
        shutil.rmtree(root, ignore_errors=True)
    per_core = loop / cores
    ratio = pool / per_core
    print(f"{args.count} headers through spamc, {cores} cores used")
    print(f"  shell loop, one after another: {loop:8.2f} s  (/ {cores} cores: {per_core:.2f} s)")
    print(f"  scorer pool, {cores} in flight:    {pool:8.2f} s")
    print(f"  ratio {ratio:.2f} (target at most {TARGET_RATIO})")
    return 0 if ratio <= TARGET_RATIO else 1


if __name__ == "__main__":
    sys.exit(main())
