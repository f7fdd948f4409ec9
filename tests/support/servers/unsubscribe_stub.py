#!/usr/bin/env python3
"""A list's unsubscribe server on 127.0.0.1 for tests: what a one-click POST sends it.

  unsubscribe_stub.py CERT KEY LOG
      Prints "ports HTTPS HTTP" and serves both until killed (or its parent is gone): HTTPS
      with the certificate CERT and its key KEY, and the same plainly over HTTP. Every request
      is appended to LOG as one JSON line (scheme, method, path, headers with lower-case
      names, body) before it is answered:
      /ok        200 OK, with a cookie set
      /refuse    403 Forbidden
      /redirect  302 to /ok
"""

import json
import os
import ssl
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from stub_parent import end_with_parent  # noqa: E402

LOG = None
LOCK = threading.Lock()


def handler(scheme):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def record(self):
            length = int(self.headers.get("Content-Length") or 0)
            body = self.rfile.read(length).decode("latin-1") if length else ""
            entry = {"scheme": scheme, "method": self.command, "path": self.path,
                     "headers": {k.lower(): v for k, v in self.headers.items()}, "body": body}
            with LOCK, open(LOG, "a") as log:
                log.write(json.dumps(entry, sort_keys=True) + "\n")

        def answer(self):
            self.record()
            if self.path == "/ok":
                self.send_response(200, "OK")
                self.send_header("Set-Cookie", "session=listed; Path=/")
            elif self.path == "/redirect":
                self.send_response(302, "Found")
                self.send_header("Location", "/ok")
            else:
                self.send_response(403, "Forbidden")
            self.send_header("Content-Length", "0")
            self.end_headers()

        do_GET = answer
        do_POST = answer

    return Handler


def main():
    global LOG
    cert, key, LOG = sys.argv[1:4]
    secure = ThreadingHTTPServer(("127.0.0.1", 0), handler("https"))
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    plain = ThreadingHTTPServer(("127.0.0.1", 0), handler("http"))
    print("ports", secure.server_address[1], plain.server_address[1], flush=True)
    end_with_parent()
    threading.Thread(target=plain.serve_forever, daemon=True).start()
    secure.serve_forever()


if __name__ == "__main__":
    main()
