#!/usr/bin/python3
"""A real SMTP server on loopback for the mail tests (Debian's aiosmtpd).

Prints "port <n>" once it listens, then serves until its standard input
closes. Every letter is written as JSON into the output folder, decoded by
Python's own mail parser; every login and connection is logged beside them.
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import ssl
import sys
import warnings

warnings.simplefilter("ignore", DeprecationWarning)

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--mode", choices=["login", "noauth", "starttls"], default="login")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()
    counter = {"letters": 0}

    def log(line):
        with open(os.path.join(args.out, "events.log"), "a", encoding="utf-8") as f:
            f.write(line + "\n")

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == args.user
              and auth_data.password.decode() == args.password)
        log("auth %s %s %s" % (mechanism, auth_data.login.decode() if isinstance(auth_data, LoginPassword) else "?",
                               "ok" if ok else "refused"))
        return AuthResult(success=ok)

    class Handler:
        async def handle_EHLO(self, server, session, envelope, hostname, responses):
            log("ehlo tls=%s" % (session.ssl is not None))
            session.host_name = hostname
            return responses

        async def handle_DATA(self, server, session, envelope):
            if args.delay:
                await asyncio.sleep(args.delay)
            message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
            counter["letters"] += 1
            record = {
                "mail_from": envelope.mail_from,
                "rcpt_tos": envelope.rcpt_tos,
                "from": str(message["From"]),
                "to": str(message["To"]),
                "subject": str(message["Subject"]),
                "date": str(message["Date"]),
                "message_id": str(message["Message-ID"]),
                "content_type": message.get_content_type(),
                "charset": message.get_content_charset(),
                "body": message.get_content(),
                "authenticated": bool(session.authenticated),
                "tls": session.ssl is not None,
                "raw": envelope.original_content.decode("utf-8", "replace"),
            }
            path = os.path.join(args.out, "letter%d.json" % counter["letters"])
            with open(path + ".part", "w", encoding="utf-8") as f:
                json.dump(record, f, ensure_ascii=False)
            os.replace(path + ".part", path)
            return "250 OK"

    tls_context = None
    if args.mode == "starttls":
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(args.cert, args.key)

    def factory():
        log("connect")
        return SMTP(Handler(),
                    authenticator=authenticator,
                    # "noauth" offers no AUTH at all: it is offered only after a TLS that never comes.
                    auth_require_tls=args.mode != "login",
                    auth_required=False,
                    tls_context=tls_context,
                    hostname="test.local")

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(factory, "127.0.0.1", 0)
        print("port %d" % server.sockets[0].getsockname()[1], flush=True)
        stop = asyncio.Event()
        loop.add_reader(sys.stdin.fileno(), lambda: (sys.stdin.read(), stop.set()))
        await stop.wait()
        server.close()

    asyncio.run(serve())


if __name__ == "__main__":
    main()
