"""Feeds split into pages with next links, and replies held back by a set
latency, both also changed through the control endpoint."""
import threading
import time
from urllib.parse import parse_qs, urlsplit

from photoservice.feeds import OPENSEARCH
from tests.support import A, G, ServiceTestCase

OS = '{%s}' % OPENSEARCH


class PagingTest(ServiceTestCase):
    fixture = 'large'

    def setUp(self):
        self.token = self.login('many@example.com', 'many')

    def tearDown(self):
        self.control('POST', 'settings', {'page_size': 1000, 'latency_ms': 0})

    def walk(self, path):
        """Every page from path on, by the next links: [(root, path), ...]."""
        pages = []
        while path:
            root = self.feed(path, self.token)
            pages.append((root, path))
            nxt = self.link(root, 'next')
            path = self.path_of(nxt) if nxt else None
            self.assertLess(len(pages), 1000, 'the next links do not end')
        return pages

    def album_path(self, title):
        albums = [a for a in self.control('GET', 'state')['accounts']
                  if a['name'] == 'many'][0]['albums']
        album = [a for a in albums if a['title'] == title][0]
        return '/data/feed/api/user/many/albumid/%s' % album['id'], album

    def test_the_many_account_in_the_large_data(self):
        albums = [a for a in self.control('GET', 'state')['accounts']
                  if a['name'] == 'many'][0]['albums']
        counts = sorted((a['numphotos'] for a in albums), reverse=True)
        self.assertEqual(len(albums), 2500)
        self.assertEqual(counts[:3], [2500, 200, 0])
        large = [a for a in self.control('GET', 'state')['accounts']
                 if a['name'] == 'large'][0]['albums']
        self.assertEqual(len(large), 1000, 'the large account as it was')

    def test_feeds_come_in_pages_that_add_up_to_the_whole(self):
        albums = [a for a in self.control('GET', 'state')['accounts']
                  if a['name'] == 'many'][0]['albums']
        newest_first = [str(a['id']) for a in albums]
        album_path, _ = self.album_path('Many 0001')
        second_path, _ = self.album_path('Many 0002')
        photo_titles = ['MANY_%04d.JPG' % n for n in range(1, 2501)]
        cases = [
            # path, page size, pages, entries on the last page, what in order
            ('/data/feed/api/user/many', 1000, 3, 500, G + 'id', newest_first),
            (album_path, 1000, 3, 500, A + 'title', photo_titles),
            (second_path, 7, 29, 4, A + 'title', photo_titles[:200]),
            (second_path, 200, 1, 200, A + 'title', photo_titles[:200]),
        ]
        for path, size, page_count, last, field, expected in cases:
            with self.subTest(path=path, page_size=size):
                self.control('POST', 'settings', {'page_size': size})
                pages = self.walk(path)
                self.assertEqual(len(pages), page_count)
                self.assertEqual([e.findtext(field) for root, _ in pages
                                  for e in root.findall(A + 'entry')], expected)
                total = len(expected)
                for number, (root, page_path) in enumerate(pages):
                    self.assertEqual(root.findtext(OS + 'totalResults'), str(total))
                    self.assertEqual(root.findtext(OS + 'startIndex'),
                                     str(number * size + 1))
                    self.assertEqual(root.findtext(OS + 'itemsPerPage'), str(size))
                    if number:
                        self.assertEqual(parse_qs(urlsplit(page_path).query), {
                            'start-index': [str(number * size + 1)],
                            'max-results': [str(size)]})
                self.assertEqual(len(pages[-1][0].findall(A + 'entry')), last)
                self.assertIsNone(self.link(pages[-1][0], 'next'))
                if field == G + 'id':
                    quotas = {root.findtext(G + 'quotacurrent') for root, _ in pages}
                    self.assertEqual(len(quotas), 1, 'the quota on every page')
                    self.assertIsNotNone(quotas.pop())

    def test_asked_for_pages(self):
        self.control('POST', 'settings', {'page_size': 10})
        path = '/data/feed/api/user/many'
        cases = [
            # query, entries, next start-index or None
            ('?max-results=3', 3, '4'),
            ('?max-results=50', 10, '11'),       # never more than a page
            ('?start-index=2495&max-results=10', 6, None),
            ('?start-index=2501', 0, None),
            ('?max-results=0', 0, None),          # nothing: no next page
            ('?start-index=0&max-results=2', 2, '3'),
        ]
        for query, count, next_start in cases:
            with self.subTest(query=query):
                root = self.feed(path + query, self.token)
                self.assertEqual(len(root.findall(A + 'entry')), count)
                nxt = self.link(root, 'next')
                if next_start is None:
                    self.assertIsNone(nxt)
                else:
                    self.assertEqual(parse_qs(urlsplit(nxt).query)['start-index'],
                                     [next_start])

    def test_a_feed_within_one_page_has_no_next_link(self):
        token = self.login('demo@example.com', 'demo')
        root = self.feed('/data/feed/api/user/demo', token)
        self.assertEqual(len(root.findall(A + 'entry')), 12)
        self.assertIsNone(self.link(root, 'next'))
        self.assertEqual(root.findtext(OS + 'itemsPerPage'), '1000')


class SettingsTest(ServiceTestCase):

    def tearDown(self):
        self.reset('demo')

    def test_settings_are_checked_and_a_reset_restores_them(self):
        self.assertEqual(self.control('GET', 'settings'),
                         {'page_size': 1000, 'latency_ms': 0, 'media_host': ''})
        for bad in ({'page_size': 0}, {'latency_ms': -1}, {'page_size': '7'},
                    {'latency_ms': True}, {'speed': 1}, [1]):
            with self.subTest(bad=bad):
                self.control('POST', 'settings', bad, expect=400)
        self.assertEqual(self.control('GET', 'settings'),
                         {'page_size': 1000, 'latency_ms': 0, 'media_host': ''}, 'nothing half-changed')
        changed = self.control('POST', 'settings', {'page_size': 5, 'latency_ms': 20})
        self.assertEqual((changed['page_size'], changed['latency_ms']), (5, 20))
        self.assertEqual(self.control('GET', 'info')['page_size'], 5)
        self.reset()
        self.assertEqual(self.control('GET', 'settings'),
                         {'page_size': 1000, 'latency_ms': 0, 'media_host': ''})


class LatencyTest(ServiceTestCase):

    def tearDown(self):
        self.reset('demo')

    def timed(self, method, path, body=None):
        started = time.monotonic()
        reply = self.request(method, path, body)
        return reply, time.monotonic() - started

    def test_every_reply_but_the_control_endpoints_waits(self):
        self.control('POST', 'settings', {'latency_ms': 1000})
        for method, path in (('GET', '/data/feed/api/user/demo'),
                             ('GET', '/data/feed/api/user/nobody'),
                             ('POST', '/accounts/ClientLogin')):
            with self.subTest(path=path):
                reply, elapsed = self.timed(method, path, b'' if method == 'POST' else None)
                self.assertGreaterEqual(elapsed, 0.99)
        self.control('POST', 'fault', {'path': '/data/feed/api/user/demo',
                                       'status': 503})
        reply, elapsed = self.timed('GET', '/data/feed/api/user/demo')
        self.assertEqual(reply.status, 503)
        self.assertGreaterEqual(elapsed, 0.99, 'a fault waits too')

    def waiting_requests(self, count):
        """The log once `count` requests are in it (the control endpoint
        answers while their replies wait)."""
        deadline = time.monotonic() + 30
        logged = []
        while len(logged) < count and time.monotonic() < deadline:
            logged = self.control('GET', 'requests?since=0')['requests']
        return logged

    def test_requests_on_several_connections_wait_side_by_side(self):
        # One after another, the first would be answered before the second
        # was read.
        self.control('POST', 'settings', {'latency_ms': 3000})
        self.control('POST', 'clear-requests')
        statuses = []

        def one():
            statuses.append(self.request('GET', '/data/feed/api/user/demo').status)

        threads = [threading.Thread(target=one) for _ in range(6)]
        for t in threads:
            t.start()
        logged = self.waiting_requests(6)
        for t in threads:
            t.join(30)
        self.assertEqual(statuses, [200] * 6)
        self.assertEqual(len(logged), 6)
        self.assertEqual([r for r in logged if 'status' in r], [], 'all six wait at once')

    def test_a_request_is_logged_when_it_arrives(self):
        self.control('POST', 'settings', {'latency_ms': 3000})
        self.control('POST', 'clear-requests')
        t = threading.Thread(target=self.request, args=('GET', '/data/feed/api/user/demo'))
        t.start()
        # Read the log as soon as the request is in it, while its reply waits.
        waiting = self.waiting_requests(1)
        # Without the latency the next reply comes while the first still waits.
        self.control('POST', 'settings', {'latency_ms': 0})
        self.assertEqual(self.request('GET', '/data/feed/api/user/demo').status, 200)
        both = self.control('GET', 'requests?since=0')['requests']
        t.join(30)
        self.assertEqual([r['path'] for r in waiting], ['/data/feed/api/user/demo'])
        self.assertNotIn('status', waiting[0], 'not answered yet')
        self.assertEqual([r.get('status') for r in both], [None, 200])
        done = self.control('GET', 'requests?since=0')['requests']
        self.assertEqual(done[0]['status'], 200)
