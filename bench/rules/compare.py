#!/usr/bin/env python3
"""Times the rules over listed headers against the same rules written by hand in Python.

usage: compare.py BUILD_DIR [--mails N] [--repeat N]

BUILD_DIR holds bench/rules/bench_rules (a Release build). Generates N listed headers (default
100,000: encoded words, display names with commas, zones, list mails, sizes), runs the rules
script below through bench_rules and the same rules over Python's email package (policy.default,
which decodes encoded words as ours does), and prints both times (wall clock and processor
time, as the machine may be shared), the ratios, and the kept and discarded counts, which must
agree.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

FRIENDS = [f"friend{i}@example.org" for i in range(50)]
FRIEND_DOMAINS = [f"club{i}.example" for i in range(10)]
BLOCKED = [f"pest{i}@example.net" for i in range(20)]
BLOCKED_DOMAINS = [f"junk{i}.example" for i in range(20)]
OFFERS = ["lottery", "winner", "gewinnspiel", "rabatt"]


def quoted(items):
    return "[" + ", ".join(f'"{i}"' for i in items) + "]"


RULES = f"""require ["date", "relational"];
# rule: friends
if anyof (address :all :is "from" {quoted(FRIENDS)},
          address :domain :is "from" {quoted(FRIEND_DOMAINS)}) {{ keep; }}
# rule: blocked
if anyof (address :all :is "from" {quoted(BLOCKED)},
          address :domain :is "from" {quoted(BLOCKED_DOMAINS)}) {{ discard; }}
# rule: offers
if header :contains "subject" {quoted(OFFERS)} {{ discard; }}
# rule: big and no list
if allof (size :over 200K, not exists "list-id") {{ discard; }}
# rule: old
if date :value "lt" :originalzone "date" "date" "2025-06-01" {{ discard; }}
# rule: spam hosts
if address :domain :matches "from" "*.spam.example" {{ discard; }}
"""

PYTHON_SIDE = r"""
import datetime, sys, time
from email import policy
from email.parser import BytesHeaderParser
friends, friend_domains, blocked, blocked_domains, offers = (set(s.split(',')) for s in sys.argv[2:7])
offers = list(offers)
data = open(sys.argv[1], 'rb').read()
records = []
pos = 0
while True:
    nl = data.find(b'\n', pos)
    end = data.find(b'\r\n.\r\n', nl)
    if nl < 0 or end < 0:
        break
    records.append((int(data[pos:nl]), data[nl + 1:end + 2]))
    pos = end + 5
old = datetime.date(2025, 6, 1)
best = best_cpu = 1e9
for _ in range(int(sys.argv[7])):
    start = time.perf_counter()
    cpu_start = time.process_time()
    parser = BytesHeaderParser(policy=policy.default)
    kept = discarded = 0
    for size, raw in records:
        msg = parser.parsebytes(raw)
        sender = msg['from']
        addresses = [(a.addr_spec.casefold(), a.domain.casefold())
                     for a in (sender.addresses if sender is not None else ())]
        if any(a in friends or d in friend_domains for a, d in addresses):
            kept += 1
            continue
        subject = msg['subject']
        date = msg['date']
        if (any(a in blocked or d in blocked_domains for a, d in addresses)
                or (subject is not None and any(o in str(subject).casefold() for o in offers))
                or (size > 200 * 1024 and 'list-id' not in msg)
                or (date is not None and date.datetime is not None and date.datetime.date() < old)
                or any(d.endswith('.spam.example') for a, d in addresses)):
            discarded += 1
    best = min(best, time.perf_counter() - start)
    best_cpu = min(best_cpu, time.process_time() - cpu_start)
print(f"mails={len(records)} seconds={best} cpu={best_cpu} kept={kept} discarded={discarded}")
"""

NAMES = ["Anna Schmidt", "Bob", "Müller, Jörg", "Zoë", "Li Wei"]
WORDS = ["Rechnung", "meeting", "Lottery WINNER", "Gewinnspiel", "report", "Äpfel",
         "newsletter", "RABATT heute", "holiday", "build failed"]
ZONES = ["+0000", "+0100", "-0500", "+0530", "-0800"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def encoded(text, rnd):
    raw = text.encode("utf-8")
    if rnd.random() < 0.5:
        import base64
        return "=?UTF-8?B?" + base64.b64encode(raw).decode() + "?="
    return "=?UTF-8?Q?" + "".join(
        chr(b) if chr(b).isalnum() else ("_" if b == 32 else f"={b:02X}") for b in raw) + "?="


def sender(rnd):
    pool = rnd.random()
    if pool < 0.05:
        address = rnd.choice(FRIENDS)
    elif pool < 0.10:
        address = f"someone@{rnd.choice(FRIEND_DOMAINS)}"
    elif pool < 0.14:
        address = rnd.choice(BLOCKED)
    elif pool < 0.18:
        address = f"x{rnd.randrange(99)}@{rnd.choice(BLOCKED_DOMAINS)}"
    elif pool < 0.22:
        address = f"promo@mx{rnd.randrange(9)}.spam.example"
    else:
        address = f"user{rnd.randrange(5000)}@host{rnd.randrange(300)}.example.com"
    name = rnd.choice(NAMES)
    form = rnd.random()
    if form < 0.3:
        return address
    if form < 0.6:
        return f'"{name}" <{address}>'
    if form < 0.8:
        return f"{encoded(name, rnd)} <{address}>"
    return f"{name.replace(',', '')} <{address}>"


def header(n, rnd):
    subject = rnd.choice(WORDS) + f" {n}"
    if rnd.random() < 0.3:
        subject = encoded(subject, rnd)
    day = rnd.randrange(1, 29)
    lines = [
        f"Received: from host{n % 97}.example.com (host{n % 97}.example.com [10.0.{n % 250}.1])",
        f"\tby mx.example.org with ESMTPS id {n:08x}; {day} {rnd.choice(MONTHS)} 2025 10:00:00 +0000",
        f"Received: from localhost by host{n % 97}.example.com; {day} Jan 2025 09:59:58 +0000",
        f"From: {sender(rnd)}",
        f"To: \"Doe, Jane\" <jane@example.org>, team{n % 7}@example.org",
        f"Subject: {subject}",
        f"Date: Mon, {day} {rnd.choice(MONTHS)} {rnd.choice(['2025', '2026'])} "
        f"{rnd.randrange(24):02d}:{rnd.randrange(60):02d}:00 {rnd.choice(ZONES)}",
        f"Message-ID: <{n}.{rnd.randrange(10**9)}@host.example.com>",
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=utf-8",
    ]
    if rnd.random() < 0.3:
        lines.append(f"List-Id: <list{n % 13}.example.org>")
    return ("\r\n".join(lines) + "\r\n\r\n").encode("utf-8")


def key_values(text):
    return {k: float(v) for k, v in (item.split("=") for item in text.split())}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir")
    parser.add_argument("--mails", type=int, default=100_000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "rules", "bench_rules")
    rnd = random.Random(5228)
    with tempfile.TemporaryDirectory(prefix="bench-rules-") as folder:
        headers = os.path.join(folder, "headers")
        rules = os.path.join(folder, "rules.sieve")
        with open(headers, "wb") as out:
            for n in range(1, args.mails + 1):
                out.write(f"{rnd.randrange(1000, 1_000_000)}\n".encode() + header(n, rnd) +
                          b".\r\n")
        with open(rules, "w") as out:
            out.write(RULES)
        megabytes = os.path.getsize(headers) / 1e6
        ours = key_values(subprocess.run([bench, rules, headers, str(args.repeat)], check=True,
                                         capture_output=True, text=True).stdout)
        peer = key_values(subprocess.run(
            [sys.executable, "-c", PYTHON_SIDE, headers, ",".join(FRIENDS), ",".join(FRIEND_DOMAINS),
             ",".join(BLOCKED), ",".join(BLOCKED_DOMAINS), ",".join(OFFERS), str(args.repeat)],
            check=True, capture_output=True, text=True).stdout)
    print(f"rules over {int(ours['mails'])} listed headers ({megabytes:.1f} MB), best of "
          f"{args.repeat}:")
    print("                                          wall s    cpu s")
    print(f"  TRules (parse + decide)                 {ours['seconds']:8.3f} {ours['cpu']:8.3f}")
    print(f"  Python email, policy.default, by hand   {peer['seconds']:8.3f} {peer['cpu']:8.3f}")
    print(f"  ratio                                   {peer['seconds'] / ours['seconds']:8.1f}x "
          f"{peer['cpu'] / ours['cpu']:7.1f}x")
    print(f"  kept {int(ours['kept'])} / {int(peer['kept'])}, "
          f"discarded {int(ours['discarded'])} / {int(peer['discarded'])} (ours / Python)")
    if (ours["kept"], ours["discarded"]) != (peer["kept"], peer["discarded"]):
        print("the two sides disagree", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
