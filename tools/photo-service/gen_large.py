#!/usr/bin/env python3
"""Fills a data folder with a large account for benchmarks.

  python3 tools/photo-service/gen_large.py --data DIR
      [--albums 1000] [--photos 10000] [--big-album 1000]
      [--many-albums 2500] [--many-photos 2500]

The store gets the demo data plus large@example.com (password 'large')
with the given number of albums and photos, the first album holding
--big-album photos, and many@example.com (password 'many') with
--many-albums albums, the first holding --many-photos photos and the second
200. `serve.py --data DIR` then serves it (no --fixture); `serve.py
--fixture large` builds the same data with the default sizes.
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from photoservice import fixtures  # noqa: E402
from photoservice.store import Store  # noqa: E402


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--data', required=True)
    parser.add_argument('--albums', type=int, default=1000)
    parser.add_argument('--photos', type=int, default=10000)
    parser.add_argument('--big-album', type=int, default=1000)
    parser.add_argument('--many-albums', type=int, default=2500)
    parser.add_argument('--many-photos', type=int, default=2500)
    args = parser.parse_args(argv)
    if args.albums < 1 or args.big_album > args.photos:
        parser.error('need at least one album, and --big-album <= --photos')
    if args.many_albums < 2 or args.many_photos < 0:
        parser.error('need at least two albums of the many account')
    started = time.monotonic()
    os.makedirs(args.data, exist_ok=True)
    store = Store(os.path.join(args.data, 'store.sqlite3'))
    accounts, albums, photos = fixtures.large(args.albums, args.photos,
                                              args.big_album, args.many_albums,
                                              args.many_photos)
    store.load('large', accounts, albums, photos)
    counts = store.counts()
    store.close()
    print('large@example.com: %d albums, %d photos; many@example.com: %d '
          'albums; store: %d accounts, %d albums, %d photos; %.2f s' % (
              args.albums, args.photos, args.many_albums, counts['accounts'],
              counts['albums'], counts['photos'], time.monotonic() - started))
    return 0


if __name__ == '__main__':
    sys.exit(main())
