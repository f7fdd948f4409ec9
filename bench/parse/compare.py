#!/usr/bin/env python3
"""Times our Parse against Python's email package on the same generated mails.

usage: compare.py BUILD_DIR [--size MB] [--scaling MB,MB,...] [--repeat N]

BUILD_DIR holds bench/parse/bench_parse_gen, bench/parse/bench_parse and tools/mbxdump/mbxdump
(a Release build). Prints, for the main size, both times, the speed ratio and the peak resident
memory of each side against the message size; the same as whole processes (mbxdump FILE against
a Python process that starts, imports email, reads, parses and decodes); then our parse time per
megabyte over the scaling sizes.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

PYTHON_SIDE = r"""
import email, resource, sys, time
data = open(sys.argv[1], 'rb').read()
best = 1e9
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    msg = email.message_from_bytes(data)
    decoded = 0
    for part in msg.walk():
        payload = part.get_payload(decode=True)
        if payload is not None:
            decoded += len(payload)
    best = min(best, time.perf_counter() - start)
    del msg
print(f"parse_s={best} peak_rss_kb={resource.getrusage(resource.RUSAGE_SELF).ru_maxrss} "
      f"decoded_bytes={decoded}")
"""


def key_values(text):
    return {k: float(v) for k, v in (item.split("=") for item in text.split())}


def generate(build, path, megabytes, text="qp"):
    subprocess.run([os.path.join(build, "bench/parse/bench_parse_gen"), path, str(megabytes),
                    text], check=True)


def run(command):
    return key_values(subprocess.run(command, check=True, capture_output=True,
                                     text=True).stdout)


def best(runs):
    # Times: the best run. Memory: the largest peak of the runs, each a fresh process.
    result = min(runs, key=lambda r: r["parse_s"])
    result["peak_rss_kb"] = max(r["peak_rss_kb"] for r in runs)
    result["split_s"] = min(r.get("split_s", 0) for r in runs)
    return result


def ours_command(build, path):
    return [os.path.join(build, "bench/parse/bench_parse"), path]


def whole_process(command):
    # Wall time from spawn to exit, and the child's own peak RSS from wait4.
    start = time.perf_counter()
    pid = os.posix_spawn(command[0], command, os.environ,
                         file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)])
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} failed with status {status}")
    return {"parse_s": wall, "peak_rss_kb": usage.ru_maxrss}


def compare_processes(build, path, repeat):
    ours, python = [], []
    for _ in range(repeat):
        ours.append(whole_process([os.path.join(build, "tools/mbxdump/mbxdump"), path]))
        python.append(whole_process([sys.executable, "-c", PYTHON_SIDE, path, "1"]))
    # A child's peak RSS is never reported below this process's own resident size at the
    # spawn (the kernel carries it over), so a figure at that floor is only an upper bound.
    floor = whole_process([shutil.which("true")])["peak_rss_kb"]
    return best(ours), best(python), floor


def compare(build, path, repeat):
    # The two sides take turns, so a burst of load on the machine hits both alike.
    ours, python = [], []
    for _ in range(repeat):
        ours.append(run(ours_command(build, path)))
        python.append(run([sys.executable, "-c", PYTHON_SIDE, path, "1"]))
    return best(ours), best(python)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--size", type=float, default=20)
    parser.add_argument("--scaling", default="5,10,20,40")
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "mail.eml")
        generate(args.build, path, args.size)
        size = os.path.getsize(path)
        a, p = compare(args.build, path, args.repeat)
        mb = size / 1e6
        print(f"message: {mb:.1f} MB, {int(a['attachments'])} attachments, "
              f"{a['attachment_bytes'] / 1e6:.1f} MB decoded")
        print(f"ours:   split {a['split_s']:.3f} s, parse {a['parse_s']:.3f} s, "
              f"peak RSS {a['peak_rss_kb'] / 1024:.1f} MiB "
              f"({a['peak_rss_kb'] * 1024 / size:.2f}x the message)")
        print(f"python: parse {p['parse_s']:.3f} s, peak RSS {p['peak_rss_kb'] / 1024:.1f} MiB "
              f"({p['peak_rss_kb'] * 1024 / size:.2f}x the message)")
        print(f"speed ratio python/ours: {p['parse_s'] / a['parse_s']:.1f}x "
              f"(with our line splitting counted: "
              f"{p['parse_s'] / (a['parse_s'] + a['split_s']):.1f}x)")
        print(f"peak RSS ratio ours/python: {a['peak_rss_kb'] / p['peak_rss_kb']:.2f}")
        d, q, floor = compare_processes(args.build, path, args.repeat)
        print(f"whole process: mbxdump {d['parse_s']:.3f} s, python {q['parse_s']:.3f} s, "
              f"speed ratio python/mbxdump {q['parse_s'] / d['parse_s']:.1f}x; mbxdump peak RSS "
              f"{'at most ' if d['peak_rss_kb'] <= floor else ''}"
              f"{d['peak_rss_kb'] / 1024:.1f} MiB ({d['peak_rss_kb'] * 1024 / size:.2f}x the "
              f"message)")

        # The same mail with its text part (a tenth of it) as 8-bit Latin-1 and as UTF-8: the
        # character set conversion must not slow parsing noticeably (within 10 %).
        print("text part (ours): kind, parse s, ratio to the quoted-printable mail")
        for text in ("latin1", "utf8"):
            generate(args.build, path, args.size, text)
            r = best([run(ours_command(args.build, path)) for _ in range(args.repeat)])
            print(f"  {text:7} {r['parse_s']:.3f}  {r['parse_s'] / a['parse_s']:.3f}")

        print("scaling (ours): size MB, parse s, s per MB")
        for megabytes in (float(s) for s in args.scaling.split(",") if s):
            generate(args.build, path, megabytes)
            r = best([run(ours_command(args.build, path)) for _ in range(args.repeat)])
            print(f"  {r['file_bytes'] / 1e6:6.1f}  {r['parse_s']:.3f}  "
                  f"{r['parse_s'] / (r['file_bytes'] / 1e6):.4f}")


if __name__ == "__main__":
    main()
