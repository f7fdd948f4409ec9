#!/usr/bin/env python3
"""Window benchmark, one run against a private Dovecot on loopback.

The real main window (offscreen platform) lists a mailbox of 100,000 small mails; its peer is
`mbxpop list` on the same server in the same run. Target: the window at most 2x mbxpop's time,
both measured as whole processes. On the listed rows the window also times Mark all, the
marked-size summary and unmarking (each target under 100 ms), a sort and mark alike by sender
and by subject (each under 300 ms), a plain click while Find hides scattered rows of an
all-marked list and the undo of it (each under 100 ms; the hidden rows keep their marks and
undo gives every mark back), and reports its peak resident memory (target under 300 MB).

The Maildir is written directly (one file per mail), not through the sandbox's arguments.
Times are medians of alternating runs. Exit status 0 when every target is met, 1 otherwise.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pop3"))
from bench_big_mailbox import fill_maildir  # noqa: E402
from bench_pop3 import PASSWORD, USER, Sandbox  # noqa: E402

COUNT = 100_000
ROUNDS = 2


def timed(cmd, env):
    shutil.rmtree(env["XDG_DATA_HOME"], ignore_errors=True)
    start = time.perf_counter()
    done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(cmd)} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    return elapsed, done.stdout.decode()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lister", required=True)
    parser.add_argument("--mbxpop", required=True)
    parser.add_argument("--sandbox", required=True)
    args = parser.parse_args()

    root = tempfile.mkdtemp(prefix="bench-window-", dir="/tmp")
    os.chmod(root, 0o755)
    box = None
    try:
        box = Sandbox(args.sandbox, root, "box", [])
        port = box.port
        filling = time.perf_counter()
        fill_maildir(box, COUNT)
        print(f"Maildir of {COUNT} mails written in {time.perf_counter() - filling:.1f} s")
        config = os.path.join(root, "config")
        os.makedirs(config)
        # A fresh data folder for each run: every listing reads every header from the server
        # (bench/memory measures the listing from remembered headers).
        data = os.path.join(root, "data")
        env = dict(os.environ, MBXPOP_PASSWORD=PASSWORD, QT_QPA_PLATFORM="offscreen",
                   XDG_CONFIG_HOME=config, XDG_DATA_HOME=data,
                   DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/bench-window-bus")
        peer = [args.mbxpop, "--security", "none", "--port", str(port), "127.0.0.1", USER, "list"]
        window = [args.lister, str(port), USER, PASSWORD]
        # Dovecot indexes the new mails at the first session: not part of any figure.
        timed(peer, env)
        peer_s, window_s, reports = [], [], []
        for _ in range(ROUNDS):
            peer_s.append(timed(peer, env)[0])
            elapsed, out = timed(window, env)
            window_s.append(elapsed)
            words = out.split()
            reports.append({words[i]: float(words[i + 1]) for i in range(0, len(words) - 1, 2)})
        peer_t, window_t = statistics.median(peer_s), statistics.median(window_s)
        fig = {k: statistics.median(r[k] for r in reports) for k in reports[0]}
        ratio = window_t / peer_t
        print(f"listing {COUNT}: mbxpop {peer_t:.2f} s, window {window_t:.2f} s "
              f"(inside the window {fig['list_ms'] / 1000:.2f} s): {ratio:.2f}x (target <= 2x)")
        print(f"rows {fig['rows']:.0f}, marked {fig['marked']:.0f}; Mark all {fig['mark_ms']:.1f} ms, "
              f"summary {fig['summary_ms']:.1f} ms, unmark {fig['unmark_ms']:.1f} ms (targets < 100 ms); "
              f"sort {fig['sort_ms']:.1f} ms (< 300 ms); mark alike by sender {fig['alike_sender_ms']:.1f} ms, "
              f"by subject {fig['alike_subject_ms']:.1f} ms (< 300 ms); click under Find "
              f"{fig['find_click_ms']:.1f} ms keeping {fig['kept_after_click']:.0f} marks, undo "
              f"{fig['undo_ms']:.1f} ms back to {fig['marked_after_undo']:.0f} (< 100 ms); "
              f"peak {fig['peak_mb']:.0f} MB (< 300 MB)")
        met = (ratio <= 2.0 and fig["rows"] == COUNT and fig["marked"] == COUNT
               and max(fig["mark_ms"], fig["summary_ms"], fig["unmark_ms"]) < 100
               and fig["sort_ms"] < 300 and fig["peak_mb"] < 300
               and max(fig["alike_sender_ms"], fig["alike_subject_ms"]) < 300
               and max(fig["find_click_ms"], fig["undo_ms"]) < 100
               and COUNT / 2 < fig["kept_after_click"] < COUNT
               and fig["marked_after_undo"] == COUNT)
        print("all targets met" if met else "a target was missed")
        return 0 if met else 1
    finally:
        if box:
            box.stop()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
