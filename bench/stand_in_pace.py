#!/usr/bin/env python3
"""The stand-in's own pace, which every row of the bench rests on: a
keep-alive POST whose body goes apart from its head (as WinHTTP sends one)
must not wait for a delayed ACK. Without TCP_NODELAY and TCP_QUICKACK on the
stand-in's side each such request waits about 40 ms. Prints notes (lines
starting with #) for scripts/bench.

    stand_in_pace.py BASE_URL      e.g. http://localhost:8080
"""
import socket
import statistics
import sys
import time
import urllib.parse

ROUNDS = 15
STALLED = 0.02  # seconds: a median above this is a delayed ACK's wait


def median_post(host, port, apart):
    body = b'Email=nobody&Passwd=x'
    head = (b'POST /accounts/ClientLogin HTTP/1.1\r\nHost: localhost\r\n'
            b'Content-Length: %d\r\nConnection: Keep-Alive\r\n\r\n' % len(body))
    times = []
    with socket.create_connection((host, port), timeout=5) as s:
        reader = s.makefile('rb')
        for _ in range(ROUNDS):
            started = time.perf_counter()
            if apart:
                s.sendall(head)
                s.sendall(body)
            else:
                s.sendall(head + body)
            status = reader.readline()
            length = 0
            for line in iter(reader.readline, b'\r\n'):
                if line.lower().startswith(b'content-length:'):
                    length = int(line.split(b':')[1])
            reader.read(length)
            if not status.startswith(b'HTTP/1.1 403 '):
                raise SystemExit('# stand-in: unexpected answer %r' % status)
            times.append(time.perf_counter() - started)
    return statistics.median(times)


def main():
    url = urllib.parse.urlsplit(sys.argv[1])
    host, port = url.hostname, url.port or 80
    apart = median_post(host, port, True)
    whole = median_post(host, port, False)
    verdict = 'waits for a delayed ACK' if apart > STALLED else 'no wait'
    print('# stand-in: keep-alive POST, body apart from its head: median %.2f ms over %d '
          '(in one piece: %.2f ms): %s' % (apart * 1000, ROUNDS, whole * 1000, verdict))


if __name__ == '__main__':
    main()
