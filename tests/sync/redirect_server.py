#!/usr/bin/env python3
"""Answers every request with the same redirect, on a free loopback port,
until its standard input closes. Prints "port N" once it listens."""
import argparse
import http.server
import sys
import threading

parser = argparse.ArgumentParser()
parser.add_argument("--location", required=True)
parser.add_argument("--status", type=int, default=301)
args = parser.parse_args()


class Redirect(http.server.BaseHTTPRequestHandler):
    def answer(self):
        self.rfile.read(int(self.headers.get("Content-Length") or 0))
        self.send_response(args.status)
        self.send_header("Location", args.location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = answer

    def log_message(self, *_):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Redirect)
print("port", server.server_address[1], flush=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
sys.stdin.read()
