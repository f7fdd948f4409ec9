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


class MbxdumpTest(unittest.TestCase):
    def test_mixed_mail(self):
        result = run(os.path.join(DATA, "mixed.eml"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")
        doc = json.loads(result.stdout.decode("utf-8"))
        self.assertEqual(list(doc.keys()), KEYS)
        self.assertEqual(doc["from"], "Jörg Müller <joerg@example.de>")
        self.assertEqual(doc["subject"], "Grüße and afolded tail")
        self.assertEqual(doc["sendTo"], '"Ann" <ann@example.org>, "Bob" <bob@example.org>')
        self.assertEqual(doc["cc"], '"" <carl@example.org>')
        self.assertEqual(doc["returnPath"], "<bounce@example.org>")
        self.assertEqual(doc["contentType"], "MULTIPART/MIXED")
        self.assertEqual(doc["contentTransferEncoding"], "7BIT")
        self.assertEqual(len(doc["headers"]), 10)
        self.assertEqual(doc["headers"][9], '\tboundary="==outer=="')
        self.assertEqual(doc["text"],
                         ['Schöne Grüße, with a soft break and "quotes" and a back\\slash.',
                          "end"])
        with open(os.path.join(DATA, "mixed.pdf.bin"), "rb") as f:
            pdf = f.read()
        uu_payload = b"uu payload \x00\xff"
        html = b"<p>html</p>"
        expected = [
            ("payload.bin", "application/octet-stream", uu_payload),
            ("Ctmpr.pdf", "application/pdf", pdf),
            ("Grüße and afolded tail.html", "text/html", html),
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

    def test_texts_are_unicode(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "bytes.eml")
            latin = bytes(b for b in range(0xA0, 256))
            with open(path, "wb") as f:
                f.write(b"Subject: =?UTF-8?B?R3LDvMOfZSBhdXMgS8O2bG4g4oKs?=\r\n\r\n" +
                        "Grüße € 5".encode("utf-8") + b"\r\n" + latin + b"\r\n")
            result = run(path)
            self.assertEqual(result.returncode, 0, result.stderr)
            doc = json.loads(result.stdout.decode("utf-8"))
            self.assertEqual(doc["subject"], "Grüße aus Köln €")
            # An unlabelled text that is not UTF-8 is read as windows-1252, whole.
            self.assertEqual(doc["text"], ["Grüße € 5".encode("utf-8").decode("cp1252"),
                                           latin.decode("cp1252")])

    def test_mails_as_written(self):
        rows = [
            # (sample, key, expected)
            ("html-only.eml", "text",
             ["Grüße", "", "One & two", "three", "", "- x", "- y"]),
            # A NUL in a header line is a blank, in the fields and in the header lines alike.
            ("html-only.eml", "subject", "Hello World"),
            ("html-only.eml", "headers", ["From: News <news@example.org>", "Subject: Hello World",
                                          "X-Note: a b",
                                          'Content-Type: multipart/alternative; boundary="alt"']),
            ("iso-2022-jp.eml", "from", "山田 <yamada@example.jp>"),
            ("iso-2022-jp.eml", "subject", "件名テスト"),
            ("iso-2022-jp.eml", "text", ["山田太郎です。", "よろしく"]),
        ]
        for sample, key, expected in rows:
            result = run(os.path.join(DATA, sample))
            self.assertEqual(result.returncode, 0, result.stderr)
            doc = json.loads(result.stdout.decode("utf-8"))
            self.assertEqual(doc[key], expected, (sample, key))
        self.assertNotIn(b"\\u0000", run(os.path.join(DATA, "html-only.eml")).stdout)

    def test_bad_uuencoding_stays_text(self):
        result = run(os.path.join(DATA, "bad-uuencode.eml"))
        self.assertEqual(result.returncode, 0, result.stderr)
        doc = json.loads(result.stdout.decode("utf-8"))
        self.assertIn("M this is not uuencoded text", doc["text"])

    def test_unreadable_file(self):
        for path in ["/nonexistent/mail.eml", DATA]:
            result = run(path)
            self.assertEqual(result.returncode, 1, path)
            self.assertEqual(result.stdout, b"")
            self.assertIn(b"cannot read", result.stderr)

    def test_help_and_usage(self):
        # (arguments, exit status, usage on stdout)
        for args, status, on_stdout in [(["--help"], 0, True), (["-h"], 0, True),
                                        ([], 1, False), (["a.eml", "b.eml"], 1, False)]:
            result = subprocess.run([MBXDUMP] + args, capture_output=True, timeout=60)
            self.assertEqual(result.returncode, status, args)
            shown, other = (result.stdout, result.stderr) if on_stdout else \
                (result.stderr, result.stdout)
            self.assertTrue(shown.startswith(b"usage: mbxdump FILE"), args)
            self.assertEqual(other, b"", args)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
