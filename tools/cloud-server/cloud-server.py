#!/usr/bin/env python3
"""Local stand-in for the maker's cloud API server.

It answers the four requests of the assistant (event batch, feedback upload,
GPU table, version check) and serves installer files. Every event batch and
feedback upload it receives is stored under --store, numbered in arrival order,
so a test can read back exactly what was sent.

Files served from --root:
  pc_compare.json      the GPU table   (GET  /nerevresource/pc_compare.json)
  version.json         version answer  (POST /vrmcsys/appstore/getVozeVerInfo)
  download/<name>      installers      (GET  /download/<name>; a folder address
                                        ending in "/" serves its file "index")

Misbehaviour on demand: --root/rules.json (read again on every request) maps a
request path to one rule:
  {"mode": "errcode", "errCode": 2, "errMsg": "..."}   JSON answer with that code
  {"mode": "status", "status": 500}                      bare HTTP status
  {"mode": "damaged"}                                    body that is not JSON
  {"mode": "redirect", "status": 302, "location": "/x"}  redirect, nothing else
  {"mode": "slow", "chunks": 8, "delayMs": 50}           body in pieces, with pauses
  {"mode": "chunked", "chunks": 8, "delayMs": 50}        same, chunked transfer coding
  {"mode": "cut"}                                        announces the whole length,
                                                         sends half, closes
  {"mode": "cut-upload"}                                 reads half of the request's
                                                         body, closes without answer
The port is chosen by the OS unless --port is given; the address is printed on
the first line of stdout ("listening on http://127.0.0.1:PORT") and, with
--port-file, written to that file.
"""
import argparse
import http.server
import json
import os
import socket
import ssl
import sys
import tempfile
import threading
import time

EVENT_PATH = "/vrmcsys/datacenter/streaming_data_upload"
FEEDBACK_PATH = "/vrmcsys/fileserver/StreamAssistant/upload"
TABLE_PATH = "/nerevresource/pc_compare.json"
VERSION_PATH = "/vrmcsys/appstore/getVozeVerInfo"
DOWNLOAD_PREFIX = "/download/"

OK_ANSWER = b'{"errCode":0,"errMsg":"success"}'


def write_atomically(path, data):
    directory = os.path.dirname(path)
    fd, tmp = tempfile.mkstemp(dir=directory, prefix=".tmp-")
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def parse_multipart(content_type, body):
    """Splits a multipart/form-data body into parts, keeping header order and text."""
    boundary = None
    for param in content_type.split(";")[1:]:
        key, _, value = param.strip().partition("=")
        if key.lower() == "boundary":
            boundary = value.strip().strip('"')
    if not boundary:
        return None
    delimiter = b"--" + boundary.encode("latin-1")
    parts = []
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        if chunk.startswith(b"\r\n"):
            chunk = chunk[2:]
        if chunk.endswith(b"\r\n"):
            chunk = chunk[:-2]
        head, sep, content = chunk.partition(b"\r\n\r\n")
        if not sep:
            head, content = chunk, b""
        headers = []
        for line in head.split(b"\r\n"):
            if not line:
                continue
            name, _, value = line.decode("utf-8", "replace").partition(":")
            headers.append([name.strip(), value.strip()])
        parts.append({"headers": headers, "body": content.decode("utf-8", "replace")})
    return parts


class Store:
    """Numbers and keeps what the clients upload."""

    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.counters = {}
        for kind in ("events", "feedback"):
            os.makedirs(os.path.join(root, kind), exist_ok=True)

    def next_name(self, kind):
        with self.lock:
            self.counters[kind] = self.counters.get(kind, 0) + 1
            return os.path.join(self.root, kind, "%04d" % self.counters[kind])

    def log_request(self, method, path, headers, body=b""):
        entry = {"method": method, "path": path, "headers": headers,
                 "body": body.decode("utf-8", "replace")}
        line = json.dumps(entry, ensure_ascii=False) + "\n"
        with self.lock:
            with open(os.path.join(self.root, "requests.log"), "a", encoding="utf-8") as f:
                f.write(line)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "cloud-server/1"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("cloud-server: " + (fmt % args) + "\n")

    def rule(self):
        path = os.path.join(self.server.root, "rules.json")
        try:
            with open(path, "rb") as f:
                rules = json.loads(f.read() or b"{}")
        except FileNotFoundError:
            return {}
        except (OSError, ValueError) as error:
            sys.stderr.write("cloud-server: ignoring unreadable rules.json: %s\n" % error)
            return {}
        found = rules.get(self.path.split("?")[0])
        return found if isinstance(found, dict) else {}

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send_plain(self, status, body, content_type="application/json;charset=UTF-8", extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def answer(self, body, rule, content_type="application/json;charset=UTF-8"):
        """Sends body as the rule says (normal, faulty, slow, cut)."""
        mode = rule.get("mode", "")
        if mode == "errcode":
            reply = {"errCode": rule.get("errCode", 1), "errMsg": rule.get("errMsg", "refused")}
            return self.send_plain(200, json.dumps(reply, separators=(",", ":")).encode())
        if mode == "status":
            return self.send_plain(int(rule.get("status", 500)), b'{"errCode":500}')
        if mode == "damaged":
            return self.send_plain(200, b'{"errCode":0,"data":{"vers')
        if mode == "redirect":
            location = rule.get("location", "/moved")
            return self.send_plain(int(rule.get("status", 302)), b"", extra={"Location": location})
        if mode == "cut":
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return None
        if mode in ("slow", "chunked"):
            chunks = max(1, int(rule.get("chunks", 8)))
            delay = max(0, int(rule.get("delayMs", 50))) / 1000.0
            size = max(1, -(-len(body) // chunks))
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            if mode == "chunked":
                self.send_header("Transfer-Encoding", "chunked")
            else:
                self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            for start in range(0, len(body), size):
                piece = body[start:start + size]
                if mode == "chunked":
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                else:
                    self.wfile.write(piece)
                self.wfile.flush()
                time.sleep(delay)
            if mode == "chunked":
                self.wfile.write(b"0\r\n\r\n")
            return None
        return self.send_plain(200, body, content_type)

    def served_file(self, relative):
        path = os.path.realpath(os.path.join(self.server.root, relative))
        if not path.startswith(os.path.realpath(self.server.root) + os.sep):
            return None
        try:
            with open(path, "rb") as f:
                return f.read()
        except OSError:
            return None

    def do_GET(self):
        path = self.path.split("?")[0]
        self.server.store.log_request("GET", self.path, self.headers.items())
        rule = self.rule()
        if path == TABLE_PATH:
            body = self.served_file("pc_compare.json")
        elif path.startswith(DOWNLOAD_PREFIX):
            relative = path[len(DOWNLOAD_PREFIX):]
            if relative == "" or relative.endswith("/"):
                relative += "index"
            body = self.served_file(os.path.join("download", relative))
        else:
            body = None
        if body is None:
            if rule:
                return self.answer(b"", rule)
            return self.send_plain(404, b'{"errCode":404,"errMsg":"not found"}')
        self.answer(body, rule, "application/octet-stream")

    def cut_upload(self):
        """Reads half of the announced body, then drops the connection."""
        length = int(self.headers.get("Content-Length") or 0)
        received = self.rfile.read(length // 2) if length > 1 else b""
        self.server.store.log_request("POST-CUT", self.path, self.headers.items(), b"%d of %d bytes" % (len(received), length))
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def do_POST(self):
        path = self.path.split("?")[0]
        rule = self.rule()
        if rule.get("mode") == "cut-upload":
            return self.cut_upload()
        body = self.read_body()
        self.server.store.log_request("POST", self.path, self.headers.items(), body)
        if path == EVENT_PATH:
            name = self.server.store.next_name("events")
            write_atomically(name + ".json", body)
            return self.answer(OK_ANSWER, rule)
        if path == FEEDBACK_PATH:
            content_type = self.headers.get("Content-Type", "")
            record = {"contentType": content_type, "parts": parse_multipart(content_type, body)}
            name = self.server.store.next_name("feedback")
            write_atomically(name + ".raw", body)
            write_atomically(name + ".json", json.dumps(record, ensure_ascii=False, indent=1).encode())
            return self.answer(OK_ANSWER, rule)
        if path == VERSION_PATH:
            answer = self.served_file("version.json")
            if answer is None:
                answer = b'{"errCode":1,"errMsg":"no version.json"}'
            return self.answer(answer, rule)
        self.send_plain(404, b'{"errCode":404,"errMsg":"not found"}')


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="Local cloud API server for tests and the demo")
    parser.add_argument("--root", required=True, help="folder with the served files and rules.json")
    parser.add_argument("--store", required=True, help="folder where uploads are stored")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file", help="write the chosen port to this file")
    parser.add_argument("--tls-cert", help="serve HTTPS with this certificate (PEM)")
    parser.add_argument("--tls-key", help="private key of --tls-cert (PEM)")
    parser.add_argument("--watch-stdin", action="store_true", help="exit when standard input closes")
    parser.add_argument("--verbose", action="store_true", help="log each request on stderr")
    args = parser.parse_args()

    os.makedirs(args.store, exist_ok=True)
    server = Server((args.host, args.port), Handler)
    server.root = os.path.abspath(args.root)
    server.store = Store(os.path.abspath(args.store))
    server.verbose = args.verbose
    scheme = "http"
    if args.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
        scheme = "https"
    port = server.server_address[1]
    if args.port_file:
        write_atomically(os.path.abspath(args.port_file), b"%d\n" % port)
    print("listening on %s://%s:%d" % (scheme, args.host, port), flush=True)

    if args.watch_stdin:
        def watch():
            while sys.stdin.buffer.read(4096):
                pass
            os._exit(0)
        threading.Thread(target=watch, daemon=True).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
