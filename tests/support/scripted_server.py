#!/usr/bin/env python3
"""Scripted HTTP/HTTPS server for the transport tests.

Tests tell it, per path, which responses to give (status, headers, body, or a
misbehaviour such as a reset in the middle of the body or no answer at all),
and read back every request it received: method, target, HTTP version,
header lines in the order they arrived, body bytes and the connection they
came on.

Control requests (not recorded):
  POST /__control/script   {"path": P, "responses": [R, ...]}
      The responses are given in order; the last one repeats.
      R = {"status": 200, "reason": "OK", "headers": [[name, value], ...],
           "body": text | "body_hex": hex | "body_repeat": [text, count],
           "action": "respond" | "reset_mid_body" | "hang" | "chunked"
                     | "chunked_cut" | "stall_mid_body",
           "delay": seconds, "chunk": bytes per chunk (chunked actions)}
      "chunked" sends the body in chunks with its closing zero chunk;
      "chunked_cut" sends the first half of the chunks and closes the
      connection without the rest. "stall_mid_body" sends the head and half
      the body, then nothing for "hold" seconds (default 60) before it
      closes the connection.
  GET  /__control/listeners -> {"http": URL, "https": URL, "other": URL}
      "other" is a second plain listener on 127.0.0.1 (another port, so
      another origin) that answers from the same scripts.
  GET  /__control/requests?path=P   -> {"requests": [...]}
      each with "ended": whether the server is done with it yet.
  POST /__control/forget   {"path": P}
A request for a path without a script gets 404.
"""
import argparse
import json
import os
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

TCP_QUICKACK = getattr(socket, "TCP_QUICKACK", 12)


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.scripts = {}
        self.requests = {}
        self.listeners = {}
        self.next_conn = 0
        self.stopping = threading.Event()

    def new_conn_id(self):
        with self.lock:
            self.next_conn += 1
            return self.next_conn


STATE = State()


def response_body(reply):
    if "body_hex" in reply:
        return bytes.fromhex(reply["body_hex"])
    if "body_repeat" in reply:
        text, count = reply["body_repeat"]
        return text.encode("utf-8") * int(count)
    return reply.get("body", "").encode("utf-8")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):
        pass

    def setup(self):
        super().setup()
        self.conn_id = STATE.new_conn_id()

    def _quickack(self):
        try:
            self.connection.setsockopt(socket.IPPROTO_TCP, TCP_QUICKACK, 1)
        except OSError:
            pass

    def _read_body(self):
        length = self.headers.get("Content-Length")
        if not length:
            return b""
        self._quickack()
        return self.rfile.read(int(length))

    def _target_path(self):
        # A request sent through a proxy carries an absolute URI.
        target = self.path
        if target.startswith("http://") or target.startswith("https://"):
            target = urllib.parse.urlsplit(target)._replace(scheme="", netloc="").geturl()
        return target

    def _send_json(self, obj, status=200):
        data = json.dumps(obj).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def _control(self, body):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/__control/script":
            req = json.loads(body or b"{}")
            with STATE.lock:
                STATE.scripts[req["path"]] = list(req["responses"])
                STATE.requests.pop(req["path"], None)
            return self._send_json({"ok": True})
        if url.path == "/__control/requests":
            path = query.get("path", [""])[0]
            with STATE.lock:
                reqs = list(STATE.requests.get(path, []))
            return self._send_json({"requests": reqs})
        if url.path == "/__control/listeners":
            return self._send_json(STATE.listeners)
        if url.path == "/__control/forget":
            req = json.loads(body or b"{}")
            with STATE.lock:
                STATE.scripts.pop(req["path"], None)
                STATE.requests.pop(req["path"], None)
            return self._send_json({"ok": True})
        return self._send_json({"error": "unknown control"}, 404)

    def _handle(self):
        body = self._read_body()
        if self.path.startswith("/__control/"):
            return self._control(body)
        target = self._target_path()
        path = urllib.parse.urlsplit(target).path
        record = {
            "method": self.command,
            "target": self.path,
            "headers": [[k, v] for k, v in self.headers.raw_items()],
            "body_hex": body.hex(),
            "conn": self.conn_id,
            "tls": isinstance(self.connection, ssl.SSLSocket),
            "version": self.request_version,
            "ended": False,  # the server is done with it (a hang or stall let go)
        }
        with STATE.lock:
            STATE.requests.setdefault(path, []).append(record)
            script = STATE.scripts.get(path)
            reply = None
            if script:
                reply = script[0] if len(script) == 1 else script.pop(0)
        try:
            self._reply(reply)
        finally:
            record["ended"] = True

    def _reply(self, reply):
        if reply is None:
            data = b"no script for this path"
            self.send_response(404)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
            return
        action = reply.get("action", "respond")
        delay = float(reply.get("delay", 0))
        if action == "hang":
            STATE.stopping.wait(delay or 60)
            self.close_connection = True
            return
        if delay:
            time.sleep(delay)
        data = response_body(reply)
        self.send_response(int(reply.get("status", 200)), reply.get("reason"))
        names = set()
        for name, value in reply.get("headers", []):
            names.add(name.lower())
            self.send_header(name, value)
        if action in ("chunked", "chunked_cut"):
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            return self._send_chunks(data, int(reply.get("chunk", 1024)), action == "chunked_cut")
        if "content-length" not in names:
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if action == "stall_mid_body":
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            STATE.stopping.wait(float(reply.get("hold", 60)))
            self.close_connection = True
            return
        if action == "reset_mid_body":
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            time.sleep(0.05)
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close_connection = True
            return
        if self.command != "HEAD":
            self.wfile.write(data)

    def _send_chunks(self, data, size, cut):
        chunks = [data[i:i + size] for i in range(0, len(data), max(size, 1))]
        if cut:
            chunks = chunks[: len(chunks) // 2]
        for chunk in chunks:
            self.wfile.write(b"%x\r\n" % len(chunk) + chunk + b"\r\n")
        if cut:
            self.wfile.flush()
            time.sleep(0.05)
            self.close_connection = True
            return
        self.wfile.write(b"0\r\n\r\n")

    do_GET = do_POST = do_PUT = do_PATCH = do_DELETE = do_HEAD = do_OPTIONS = _handle


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # resets and abandoned connections are part of the tests


class TlsServer(Server):
    """Wraps each accepted socket so that the handshake runs in the handler's
    thread: a client that refuses the certificate never blocks accepting."""

    context = None

    def get_request(self):
        sock, addr = self.socket.accept()
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), addr


def make_certificate(directory):
    cert = os.path.join(directory, "cert.pem")
    key = os.path.join(directory, "key.pem")
    if not (os.path.exists(cert) and os.path.exists(key)):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
             "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
             "-keyout", key, "-out", cert],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--ready-file", required=True)
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)

    http = Server(("127.0.0.1", 0), Handler)
    https = TlsServer(("127.0.0.1", 0), Handler)
    other = Server(("127.0.0.1", 0), Handler)
    cert, key = make_certificate(args.dir)
    https.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    https.context.load_cert_chain(cert, key)

    for server in (http, https, other):
        threading.Thread(target=server.serve_forever, daemon=True).start()

    STATE.listeners = {"http": "http://localhost:%d" % http.server_address[1],
                       "https": "https://localhost:%d" % https.server_address[1],
                       "other": "http://127.0.0.1:%d" % other.server_address[1]}
    ready = dict(STATE.listeners, pid=os.getpid())
    tmp = args.ready_file + ".tmp"
    with open(tmp, "w") as f:
        json.dump(ready, f)
    os.replace(tmp, args.ready_file)

    import signal
    signal.signal(signal.SIGTERM, lambda *a: STATE.stopping.set())
    try:
        while not STATE.stopping.wait(1):
            pass
    except KeyboardInterrupt:
        pass
    STATE.stopping.set()
    http.shutdown()
    https.shutdown()
    other.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
