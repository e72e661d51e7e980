#!/usr/bin/python3
"""A small HTTPS file server for the plug-in download tests.

Makes a self-signed certificate for 127.0.0.1 (and, on request, a second,
unrelated one), serves the files of --root under /plugins/, writes every
requested path to requests.log in --out, and prints "port N" once it
listens. Special names: cut.dll promises more bytes than it sends and
closes the connection; names starting with "slow" are sent in ten pieces
over about a second; with --delay the catalogue is answered that late.
"""
import argparse
import http.server
import os
import ssl
import subprocess
import sys
import threading
import time


def make_certificate(folder, stem):
    key = os.path.join(folder, stem + ".key")
    crt = os.path.join(folder, stem + ".crt")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-keyout", key, "-out", crt, "-days", "2", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1"],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return crt, key


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()

    crt, key = make_certificate(args.out, "server")
    make_certificate(args.out, "other")
    log_lock = threading.Lock()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def do_GET(self):
            with log_lock:
                with open(os.path.join(args.out, "requests.log"), "a", encoding="utf-8") as log:
                    log.write(self.path + "\n")
            if not self.path.startswith("/plugins/"):
                self.send_error(404)
                return
            name = self.path[len("/plugins/"):]
            if name == "list.txt" and args.delay:
                time.sleep(args.delay)
            if name == "cut.dll":
                self.send_response(200)
                self.send_header("Content-Length", "100000")
                self.end_headers()
                self.wfile.write(b"\x7fELF" + b"x" * 996)
                self.wfile.flush()
                self.close_connection = True
                self.connection.shutdown(2)
                return
            path = os.path.join(args.root, name)
            if "/" in name or not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as source:
                body = source.read()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if name.startswith("slow"):
                piece = len(body) // 10 + 1
                for start in range(0, len(body), piece):
                    self.wfile.write(body[start:start + piece])
                    self.wfile.flush()
                    time.sleep(0.1)
                return
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(crt, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("port %d" % server.server_address[1], flush=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # Ends when the test closes our input.
    sys.stdin.read()
    server.shutdown()


if __name__ == "__main__":
    main()
