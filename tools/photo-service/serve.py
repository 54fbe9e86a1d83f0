#!/usr/bin/env python3
"""Runs the local account and photo services on loopback.

  python3 tools/photo-service/serve.py --data DIR [--fixture demo|large|empty]
      [--http-port N] [--https-port M] [--ready-file FILE] [--verbose]
      [--page-size N] [--latency-ms N]

Port 0 takes any free port. The base URLs are printed once both listeners
are up; SIGTERM or Ctrl+C stop the service (exit status 0). Without the
openssl command (to make the HTTPS certificate) it serves HTTP alone, unless
--https-port is given.
"""
import argparse
import json
import os
import signal
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from photoservice.api import DEFAULT_PAGE_SIZE  # noqa: E402
from photoservice.fixtures import FIXTURES  # noqa: E402
from photoservice.server import PhotoService  # noqa: E402


def write_ready_file(path, urls):
    tmp = '%s.%d.tmp' % (path, os.getpid())
    with open(tmp, 'w', encoding='utf-8') as f:
        json.dump({'http': urls['http'], 'https': urls.get('https', ''),
                   'pid': os.getpid()}, f)
    os.replace(tmp, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--data', required=True,
                        help='data folder: database, certificate, request log')
    parser.add_argument('--fixture', choices=sorted(FIXTURES),
                        help='reset the store to this data set at start '
                             '(default: keep the existing store; demo if none)')
    parser.add_argument('--http-port', type=int, default=0)
    parser.add_argument('--https-port', type=int,
                        help='HTTPS port (default: any free one; without '
                             'openssl, none)')
    parser.add_argument('--ready-file',
                        help='write {"http", "https", "pid"} here once serving')
    parser.add_argument('--verbose', action='store_true',
                        help='print one line per request to stderr')
    parser.add_argument('--page-size', type=int, default=DEFAULT_PAGE_SIZE,
                        help='most entries on one page of a feed '
                             '(default %d)' % DEFAULT_PAGE_SIZE)
    parser.add_argument('--latency-ms', type=int, default=0,
                        help='delay every reply by this many milliseconds')
    args = parser.parse_args(argv)
    if args.page_size < 1 or args.latency_ms < 0:
        parser.error('--page-size must be 1 or more, --latency-ms 0 or more')

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())

    service = PhotoService(args.data, args.fixture, args.verbose,
                           args.page_size, args.latency_ms)
    urls = service.start(args.http_port, args.https_port or 0,
                         https_required=args.https_port is not None)
    print('http  %s' % urls['http'])
    print('https %s' % urls.get('https', '(off: no openssl command)'))
    sys.stdout.flush()
    if args.ready_file:
        write_ready_file(args.ready_file, urls)
    try:
        while not stop.wait(1):
            pass
    finally:
        service.stop()
    return 0


if __name__ == '__main__':
    sys.exit(main())
