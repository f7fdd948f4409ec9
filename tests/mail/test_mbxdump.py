#!/usr/bin/env python3
"""Runs mbxdump on sample mails and checks its JSON output and exit codes."""
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import unittest

MBXDUMP = sys.argv[1]
DATA = sys.argv[2]

KEYS = ["from", "sender", "messageId", "inReplyTo", "returnPath", "replyTo", "sendTo", "cc",
        "date", "subject", "contentType", "contentTransferEncoding", "headers", "text",
        "attachments"]


def run(path):
    return subprocess.run([MBXDUMP, path], capture_output=True, timeout=60)


def latin1(s):
    return s.encode("latin-1")


class MbxdumpTest(unittest.TestCase):
    def test_mixed_mail(self):
        result = run(os.path.join(DATA, "mixed.eml"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")
        doc = json.loads(result.stdout.decode("utf-8"))
        self.assertEqual(list(doc.keys()), KEYS)
        self.assertEqual(latin1(doc["from"]), b"J\xf6rg M\xfcller <joerg@example.de>")
        self.assertEqual(latin1(doc["subject"]), b"Gr\xfc\xdfe and afolded tail")
        self.assertEqual(doc["sendTo"], '"Ann" <ann@example.org>, "Bob" <bob@example.org>')
        self.assertEqual(doc["cc"], '"" <carl@example.org>')
        self.assertEqual(doc["returnPath"], "<bounce@example.org>")
        self.assertEqual(doc["contentType"], "MULTIPART/MIXED")
        self.assertEqual(doc["contentTransferEncoding"], "7BIT")
        self.assertEqual(len(doc["headers"]), 10)
        self.assertEqual(doc["headers"][9], '\tboundary="==outer=="')
        self.assertEqual([latin1(t) for t in doc["text"]],
                         [b'Sch\xf6ne Gr\xfc\xdfe, with a soft break and "quotes" and a '
                          b'back\\slash.', b"end"])
        with open(os.path.join(DATA, "mixed.pdf.bin"), "rb") as f:
            pdf = f.read()
        uu_payload = b"uu payload \x00\xff"
        html = b"<p>html</p>"
        expected = [
            ("payload.bin", "application/octet-stream", uu_payload),
            ("Ctmpr.pdf", "application/pdf", pdf),
            ("Gr\xfc\xdfe and afolded tail.html", "text/html", html),
        ]
        self.assertEqual(len(doc["attachments"]), len(expected))
        for got, (name, ctype, data) in zip(doc["attachments"], expected):
            self.assertEqual(list(got.keys()),
                             ["fileName", "pathName", "contentType", "size", "sha256"])
            self.assertEqual(got["fileName"], name)
            self.assertEqual(got["pathName"], name)
            self.assertEqual(got["contentType"], ctype)
            self.assertEqual(got["size"], len(data))
            self.assertEqual(got["sha256"], hashlib.sha256(data).hexdigest())

    def test_every_byte_survives(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "bytes.eml")
            body = bytes(b for b in range(1, 256) if b not in (10, 13))
            with open(path, "wb") as f:
                f.write(b"Subject: s\r\n\r\n" + body + b"\r\n")
            result = run(path)
            self.assertEqual(result.returncode, 0, result.stderr)
            doc = json.loads(result.stdout.decode("utf-8"))
            self.assertEqual([latin1(t) for t in doc["text"]], [body])

    def test_uudecoding_error(self):
        result = run(os.path.join(DATA, "bad-uuencode.eml"))
        self.assertEqual(result.returncode, 2)
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.stderr.strip(), b"Oops...")

    def test_unreadable_file(self):
        for path in ["/nonexistent/mail.eml", DATA]:
            result = run(path)
            self.assertEqual(result.returncode, 1, path)
            self.assertEqual(result.stdout, b"")
            self.assertIn(b"cannot read", result.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
