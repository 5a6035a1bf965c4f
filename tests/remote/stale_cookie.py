#!/usr/bin/python3
"""A session cookie of an earlier code against the running program: the page
and a WebSocket upgrade with it (over a plain socket, as a browser would ask)
are refused with 403 and no 101, while the code of now still opens a session.

Usage: stale_cookie.py URL NAME=VALUE  (URL as the program printed it now)"""
import socket
import sys
import urllib.parse

url, cookie = sys.argv[1], sys.argv[2]
parts = urllib.parse.urlsplit(url)


def ask(target, extra=""):
    with socket.create_connection((parts.hostname, parts.port), timeout=5) as s:
        s.sendall(("GET %s HTTP/1.1\r\nHost: %s\r\n%s\r\n" % (target, parts.netloc, extra)).encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            data = s.recv(4096)
            if not data:
                break
            answer += data
        return answer.decode("latin-1")


upgrade = ("Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
           "Sec-WebSocket-Version: 13\r\nOrigin: http://%s\r\n" % parts.netloc)
for target, extra in (("/ws", upgrade), ("/", "")):
    answer = ask(target, "Cookie: %s\r\n%s" % (cookie, extra))
    status = answer.split("\r\n", 1)[0]
    print("old cookie, GET %s: %s" % (target, status))
    assert status.startswith("HTTP/1.1 403 "), answer
    assert " 101 " not in answer, answer
status = ask("/?" + parts.query).split("\r\n", 1)[0]
print("the code of now: %s" % status)
assert status.startswith("HTTP/1.1 303 "), status
print("PASS")
