#!/usr/bin/env python3
"""A small OAuth2 provider on 127.0.0.1 for tests, and a client of it.

  oauth2_stub.py serve
      Prints "port N" and serves until killed (or its parent is gone):
      GET  /authorize   response_type=code, redirect_uri (loopback only), state,
                        code_challenge with code_challenge_method=S256, login_hint (the user),
                        scope (must hold "mail"): redirects to redirect_uri with code and
                        state, or with error=invalid_scope and state
      GET  /seen        the last /authorize query and /token form, as JSON
      POST /token       grant_type=authorization_code (code, redirect_uri, code_verifier) or
                        refresh_token (refresh_token); answers access_token, token_type,
                        expires_in, refresh_token. A test may ask for a lifetime with
                        expires_in (0: the token is expired at once).
      POST /revoke      token: a refresh token (or access token) no longer valid
      POST /introspect  token: {"active": true, "username": ..., "exp": ...} or
                        {"active": false} (RFC 7662)
      POST /quirks      code_suffix: appended to each code from now on (a "+" reaches the
                        redirect as %2B); expires_as_text=1: expires_in as a JSON string
  oauth2_stub.py token URL USER [EXPIRES_IN]
      Signs USER in at the provider URL by the code flow with PKCE and prints the access
      token (the first line), then the refresh token.
"""

import base64
import hashlib
import json
import os
import secrets
import sys
import threading
import time
import urllib.error
import urllib.parse
import urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from stub_parent import end_with_parent  # noqa: E402

DEFAULT_LIFETIME = 3600
SCOPE = "mail"


def s256(verifier):
    digest = hashlib.sha256(verifier.encode("ascii")).digest()
    return base64.urlsafe_b64encode(digest).rstrip(b"=").decode("ascii")


def loopback(uri):
    parts = urllib.parse.urlsplit(uri)
    return parts.scheme == "http" and parts.hostname in ("127.0.0.1", "localhost", "::1")


class Provider:
    def __init__(self):
        self.lock = threading.Lock()
        self.codes = {}  # code -> (user, redirect_uri, challenge)
        self.access = {}  # token -> (user, expiry)
        self.refresh = {}  # token -> user; revoked ones are removed
        self.seen = {"authorize": {}, "token": {}}
        self.code_suffix = ""
        self.expires_as_text = False

    def issue(self, user, lifetime):
        access = secrets.token_urlsafe(24)
        refresh = secrets.token_urlsafe(24)
        self.access[access] = (user, time.time() + lifetime)
        self.refresh[refresh] = user
        return {"access_token": access, "token_type": "Bearer",
                "expires_in": str(lifetime) if self.expires_as_text else lifetime,
                "refresh_token": refresh, "scope": SCOPE}


PROVIDER = Provider()


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body=None, headers=()):
        data = json.dumps(body).encode() if body is not None else b""
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if body is not None:
            self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def form(self):
        length = int(self.headers.get("Content-Length") or 0)
        raw = self.rfile.read(length).decode("utf-8", "replace")
        return {k: v[0] for k, v in urllib.parse.parse_qs(raw).items()}

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
        if url.path == "/seen":
            with PROVIDER.lock:
                return self.answer(200, PROVIDER.seen)
        if url.path != "/authorize":
            return self.answer(404, {"error": "not_found"})
        with PROVIDER.lock:
            PROVIDER.seen["authorize"] = query
        redirect = query.get("redirect_uri", "")
        if (query.get("response_type") != "code" or not loopback(redirect)
                or query.get("code_challenge_method") != "S256" or not query.get("code_challenge")):
            return self.answer(400, {"error": "invalid_request"})
        if SCOPE not in query.get("scope", "").split():
            params = {"error": "invalid_scope",
                      "error_description": "the scope does not open the mailbox"}
        else:
            with PROVIDER.lock:
                code = secrets.token_urlsafe(16) + PROVIDER.code_suffix
                PROVIDER.codes[code] = (query.get("login_hint", "user"), redirect,
                                        query["code_challenge"])
            params = {"code": code}
        if "state" in query:
            params["state"] = query["state"]
        sep = "&" if "?" in redirect else "?"
        self.answer(302, None, [("Location", redirect + sep + urllib.parse.urlencode(params))])

    def do_POST(self):
        path = urllib.parse.urlsplit(self.path).path
        form = self.form()
        with PROVIDER.lock:
            if path == "/token":
                PROVIDER.seen["token"] = form
                return self.token(form)
            if path == "/quirks":
                PROVIDER.code_suffix = form.get("code_suffix", "")
                PROVIDER.expires_as_text = form.get("expires_as_text") == "1"
                return self.answer(200, {})
            if path == "/revoke":
                PROVIDER.refresh.pop(form.get("token", ""), None)
                PROVIDER.access.pop(form.get("token", ""), None)
                return self.answer(200, {})
            if path == "/introspect":
                user, expiry = PROVIDER.access.get(form.get("token", ""), (None, 0))
                if user is None or expiry <= time.time():
                    return self.answer(200, {"active": False})
                return self.answer(200, {"active": True, "username": user, "scope": SCOPE,
                                         "exp": int(expiry), "token_type": "Bearer"})
        self.answer(404, {"error": "not_found"})

    def token(self, form):
        lifetime = int(form.get("expires_in", DEFAULT_LIFETIME))
        grant = form.get("grant_type")
        if grant == "authorization_code":
            entry = PROVIDER.codes.pop(form.get("code", ""), None)
            verifier = form.get("code_verifier", "")
            if (entry is None or entry[1] != form.get("redirect_uri")
                    or not verifier or s256(verifier) != entry[2]):
                return self.answer(400, {"error": "invalid_grant"})
            return self.answer(200, PROVIDER.issue(entry[0], lifetime))
        if grant == "refresh_token":
            user = PROVIDER.refresh.get(form.get("refresh_token", ""))
            if user is None:
                return self.answer(400, {"error": "invalid_grant",
                                         "error_description": "the refresh token is not valid"})
            body = PROVIDER.issue(user, lifetime)
            del PROVIDER.refresh[body["refresh_token"]]
            body["refresh_token"] = form["refresh_token"]
            return self.answer(200, body)
        self.answer(400, {"error": "unsupported_grant_type"})


def serve():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print("port", server.server_address[1], flush=True)
    end_with_parent()
    server.serve_forever()


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args):
        return None


def fetch_token(base, user, expires_in=None):
    verifier = secrets.token_urlsafe(48)
    redirect = "http://127.0.0.1:1/callback"  # never visited: the client reads the Location
    state = secrets.token_urlsafe(8)
    query = urllib.parse.urlencode({"response_type": "code", "client_id": "tests",
                                    "redirect_uri": redirect, "state": state, "scope": SCOPE,
                                    "code_challenge": s256(verifier),
                                    "code_challenge_method": "S256", "login_hint": user})
    # Loopback only: no proxy of the environment may see the request.
    opener = urllib.request.build_opener(NoRedirect, urllib.request.ProxyHandler({}))
    try:
        opener.open(base + "/authorize?" + query)
        raise SystemExit("oauth2_stub: /authorize did not redirect")
    except urllib.error.HTTPError as e:
        if e.code != 302:
            raise SystemExit("oauth2_stub: /authorize answered %d" % e.code)
        back = urllib.parse.parse_qs(urllib.parse.urlsplit(e.headers["Location"]).query)
    if back.get("state") != [state]:
        raise SystemExit("oauth2_stub: the state came back changed")
    form = {"grant_type": "authorization_code", "code": back["code"][0],
            "redirect_uri": redirect, "code_verifier": verifier, "client_id": "tests"}
    if expires_in is not None:
        form["expires_in"] = expires_in
    with opener.open(base + "/token", urllib.parse.urlencode(form).encode()) as r:
        body = json.load(r)
    # One write: a reader that takes only the first line gets no broken pipe.
    sys.stdout.write(body["access_token"] + "\n" + body["refresh_token"] + "\n")


if __name__ == "__main__":
    if sys.argv[1:2] == ["serve"]:
        serve()
    elif sys.argv[1:2] == ["token"] and len(sys.argv) in (4, 5):
        fetch_token(sys.argv[2], sys.argv[3], sys.argv[4] if len(sys.argv) == 5 else None)
    else:
        raise SystemExit(__doc__)
