import base64
import contextlib
import http.client
import io
import json
import os
import socket
import struct
import time
import unittest
import xml.etree.ElementTree as ET
import zlib

from tests.support import ServiceTestCase

FEED = '/data/feed/api/user/demo@example.com'


class RequestLogTest(ServiceTestCase):

    def setUp(self):
        self.reset()

    def raw_exchange(self, data):
        with socket.create_connection(('127.0.0.1', self.http_port), timeout=5) as s:
            s.sendall(data)
            s.shutdown(socket.SHUT_WR)
            chunks = []
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    return b''.join(chunks)
                chunks.append(chunk)

    def test_headers_and_body_recorded_as_received(self):
        since = self.control('GET', 'requests')['next']
        body = 'Email=demo%40example.com&Passwd=demo&service=lh2'.encode() + b'\xff'
        head = ('POST /accounts/ClientLogin?x=1 HTTP/1.1\r\n'
                'Content-Length: %d\r\n'
                'content-type: application/x-www-form-urlencoded\r\n'
                'X-Odd-Case: one\r\n'
                'Connection: Keep-Alive\r\n'
                'Host: localhost:%d\r\n'
                'Connection: close\r\n\r\n' % (len(body), self.http_port))
        reply = self.raw_exchange(head.encode() + body)
        self.assertTrue(reply.startswith(b'HTTP/1.1 '))
        log = self.control('GET', 'requests?since=%d' % since)
        self.assertEqual(log['next'], since + 1)
        entry = log['requests'][-1]
        self.assertEqual(entry['method'], 'POST')
        self.assertEqual(entry['path'], '/accounts/ClientLogin')
        self.assertEqual(entry['query'], 'x=1')
        self.assertEqual(entry['header_list'], [
            ['Content-Length', str(len(body))],
            ['content-type', 'application/x-www-form-urlencoded'],
            ['X-Odd-Case', 'one'], ['Connection', 'Keep-Alive'],
            ['Host', 'localhost:%d' % self.http_port], ['Connection', 'close']])
        self.assertEqual(entry['headers']['Connection'], 'Keep-Alive, close')
        self.assertEqual(base64.b64decode(entry['body_b64']), body)
        self.assertIsNone(entry['body'])
        self.assertRegex(entry['conn'], r'^127\.0\.0\.1:\d+$')
        with open(os.path.join(self.data_dir, 'requests.log'), encoding='utf-8') as f:
            last = json.loads(f.read().splitlines()[-1])
        self.assertEqual(last['header_list'], entry['header_list'])
        self.assertEqual(last['body_b64'], entry['body_b64'])

    def test_keep_alive_connection_and_counters(self):
        self.control('POST', 'clear-requests')
        conn = self.connect()
        token = self.login('demo@example.com', 'demo')
        self.request('GET', FEED, conn=conn)
        sock = conn.sock
        for _ in range(3):
            reply = self.request('GET', FEED, token=token, conn=conn)
            self.assertEqual(reply.status, 200)
        self.assertIs(conn.sock, sock)            # never reconnected
        conn.close()
        entries = self.control('GET', 'requests?since=0')['requests']
        feed_entries = [e for e in entries if e['path'] == FEED]
        self.assertEqual(len(feed_entries), 4)
        self.assertEqual(len({e['conn'] for e in feed_entries}), 1)
        self.assertEqual([e['status'] for e in feed_entries], [200] * 4)
        counters = self.control('GET', 'counters')
        self.assertEqual(counters['total'], 5)
        self.assertEqual(counters['by_method'], {'POST': 1, 'GET': 4})
        self.assertEqual(counters['by_kind'], {'clientlogin': 1, 'user_feed': 4})
        self.assertEqual(counters['by_status'], {'200': 5})

    def test_https_keep_alive(self):
        import ssl
        context = ssl.create_default_context(
            cafile=os.path.join(self.data_dir, 'cert.pem'))
        conn = http.client.HTTPSConnection('localhost', self.https_port,
                                           context=context, timeout=10)
        for _ in range(2):
            reply = self.request('GET', FEED, conn=conn)
            self.assertEqual(reply.status, 200)
            self.assertIn("href='https://localhost:%d/" % self.https_port, reply.text)
        conn.close()

    def test_reset_forgets_tokens_and_faults(self):
        token = self.login('demo', 'demo')
        self.control('POST', 'fault', {'path': '/demo', 'count': 5})
        self.reset()
        self.assertEqual(self.request('GET', FEED, token=token).status, 401)
        self.assertEqual(self.request('GET', '/demo').status, 200)
        self.assertEqual(self.control('GET', 'requests')['requests'][0]['path'], FEED)

    def test_control_errors(self):
        self.control('GET', 'nothing', expect=404)
        self.control('POST', 'fault', {'path': '/x', 'action': 'explode'}, expect=400)
        self.control('POST', 'reset', {'fixture': 'nope'}, expect=400)
        reply = self.request('POST', '/__control/fault', b'{not json')
        self.assertEqual(reply.status, 400)

    def test_bad_requests_do_not_stop_the_server(self):
        reply = self.raw_exchange(b'GARBAGE\r\n\r\n')
        self.assertIn(b' 400 ', reply.split(b'\r\n')[0])
        reply = self.raw_exchange(b'POST /accounts/ClientLogin HTTP/1.1\r\n'
                                  b'Content-Length: nine\r\n\r\n')
        self.assertTrue(reply.startswith(b'HTTP/1.1 400 '))
        with socket.create_connection(('127.0.0.1', self.http_port)) as s:
            s.sendall(b'POST /accounts/ClientLogin HTTP/1.1\r\nContent-Length: 100\r\n\r\nab')
        original = self.service.api._route
        self.service.api._route = lambda req: 1 / 0
        try:
            with contextlib.redirect_stderr(io.StringIO()) as err:
                reply = self.request('GET', FEED)
        finally:
            self.service.api._route = original
        self.assertEqual(reply.status, 500)
        self.assertEqual(reply.text, 'Internal server error\n')
        self.assertIn('ZeroDivisionError', err.getvalue())
        self.assertEqual(self.request('GET', FEED).status, 200)


class FaultTest(ServiceTestCase):

    def setUp(self):
        self.reset()

    def arm(self, **fields):
        return self.control('POST', 'fault', fields)['id']

    def last_status(self):
        return self.control('GET', 'requests')['requests'][-1]['status']

    def test_respond_with_charset_count_and_method(self):
        self.arm(path=FEED, status=503, body='メンテナンス中', charset='shift_jis',
                 count=2, method='GET')
        self.assertEqual(self.request('POST', FEED, '').status, 401)   # other method
        for _ in range(2):
            reply = self.request('GET', FEED)
            self.assertEqual(reply.status, 503)
            self.assertEqual(reply.headers['Content-Type'], 'text/plain; charset=shift_jis')
            self.assertEqual(reply.body, 'メンテナンス中'.encode('shift_jis'))
        self.assertEqual(self.request('GET', FEED).status, 200)
        self.assertEqual(self.control('GET', 'faults')['faults'], [])

    def test_exact_and_prefix(self):
        self.arm(path='/data/feed/api/user/demo', match='exact', status=418)
        self.assertEqual(self.request('GET', FEED).status, 200)
        self.assertEqual(self.request('GET', '/data/feed/api/user/demo').status, 418)
        self.arm(path='/data/feed/api/user/', status=500, body='x', count=-1,
                 content_type='application/json')
        for _ in range(3):
            reply = self.request('GET', FEED)
            self.assertEqual((reply.status, reply.headers['Content-Type']),
                             (500, 'application/json'))
        self.control('POST', 'clear-faults')
        self.assertEqual(self.request('GET', FEED).status, 200)

    def test_skip_lets_the_first_matching_requests_through(self):
        self.arm(path=FEED, status=500, body='second', skip=1)
        self.assertEqual(self.control('GET', 'faults')['faults'][0]['skip'], 1)
        statuses = [self.request('GET', FEED + '?start-index=%d' % n).status
                    for n in (1, 8, 15)]
        self.assertEqual(statuses, [200, 500, 200])
        self.control('POST', 'fault', {'path': FEED, 'skip': -1}, expect=400)

    def test_numbered_bodies_count_the_answers(self):
        self.arm(path=FEED, status=200, body='page {hit} then {next}', count=-1, numbered=True)
        self.assertEqual([self.request('GET', FEED).text for _ in range(3)],
                         ['page 1 then 2', 'page 2 then 3', 'page 3 then 4'])
        self.control('POST', 'clear-faults')
        self.arm(path=FEED, status=200, body='page {hit}')
        self.assertEqual(self.request('GET', FEED).text, 'page {hit}', 'only when asked')

    def test_delay(self):
        self.arm(path=FEED, status=200, body='late', delay=0.4)
        started = time.monotonic()
        self.assertEqual(self.request('GET', FEED).text, 'late')
        self.assertGreaterEqual(time.monotonic() - started, 0.4)

    def test_reset(self):
        self.arm(path=FEED, action='reset')
        with self.assertRaises((ConnectionResetError, http.client.RemoteDisconnected)):
            self.request('GET', FEED)
        self.assertEqual(self.last_status(), 'reset')
        self.arm(path=FEED, action='reset', partial=True)
        with socket.create_connection(('127.0.0.1', self.http_port), timeout=5) as s:
            s.sendall(b'GET %s HTTP/1.1\r\nHost: localhost\r\n\r\n' % FEED.encode())
            received = b''
            with self.assertRaises(ConnectionResetError):
                while True:
                    chunk = s.recv(4096)
                    if not chunk:
                        break
                    received += chunk
            # whatever arrived before the reset is a beginning of the headers
            self.assertTrue(b'HTTP/1.1 200 OK\r\nContent-Type: application/atom+xml'
                            b'\r\nContent-Le'.startswith(received), received)
        self.assertEqual(self.request('GET', FEED).status, 200)

    def test_truncated_and_error_pages(self):
        self.arm(path=FEED, action='truncate_html')
        reply = self.request('GET', FEED)
        self.assertEqual(reply.status, 200)
        self.assertEqual(reply.headers['Content-Type'], 'text/html')
        self.assertTrue(reply.text.startswith('<html>'))
        self.assertNotIn('</html>', reply.text)
        with self.assertRaises(ET.ParseError):
            reply.xml()
        self.arm(path=FEED, action='html_error', status=502, charset='UTF-8')
        reply = self.request('GET', FEED)
        self.assertEqual(reply.status, 502)
        self.assertEqual(reply.headers['Content-Type'], 'text/html; charset=UTF-8')
        self.assertTrue(reply.text.rstrip().endswith('</html>'))
        self.assertIn('502 Bad Gateway', reply.text)
        self.arm(path=FEED, action='truncate_html', short=True)
        with self.assertRaises(http.client.IncompleteRead):
            self.request('GET', FEED)

    def test_hang(self):
        self.arm(path=FEED, action='hang', delay=0.5)
        started = time.monotonic()
        with self.assertRaises(http.client.RemoteDisconnected):
            self.request('GET', FEED)
        self.assertGreaterEqual(time.monotonic() - started, 0.5)
        self.arm(path=FEED, action='hang', delay=5)
        conn = self.connect(timeout=0.3)
        with self.assertRaises(socket.timeout):
            self.request('GET', FEED, conn=conn)
        conn.close()
        statuses = [e.get('status') for e in
                    self.control('GET', 'requests')['requests'] if e['path'] == FEED]
        self.assertEqual(statuses[0], 'hang')

    def test_picture_that_declares_a_size_it_barely_holds(self):
        self.arm(path=FEED, status=200, picture={'format': 'png', 'width': 30000, 'height': 20000})
        reply = self.request('GET', FEED)
        self.assertEqual(reply.headers['Content-Type'], 'image/png')
        self.assertLess(len(reply.body), 1 << 20)
        data, inflate, size = reply.body[41:-16], zlib.decompressobj(), 0
        for at in range(0, len(data), 1 << 16):
            size += len(inflate.decompress(data[at:at + (1 << 16)]))
        self.assertEqual((inflate.eof, size), (True, 20000 * 30001), 'every row is there')
        self.control('POST', 'fault', {'path': FEED, 'picture': {'format': 'gif', 'width': 1, 'height': 1}},
                     expect=400)

    def test_endless_body_goes_on_until_the_client_hangs_up(self):
        self.arm(path=FEED, action='endless', length=1 << 40)
        with socket.create_connection(('127.0.0.1', self.http_port), timeout=5) as s:
            s.sendall(b'GET %s HTTP/1.0\r\n\r\n' % FEED.encode())
            received = b''
            while len(received) < (3 << 20):
                received += s.recv(1 << 16)
        self.assertIn(b'Content-Length: %d' % (1 << 40), received[:received.index(b'\r\n\r\n')])
        for _ in range(500):
            entry = self.control('GET', 'requests')['requests'][-1]
            if 'sent' in entry:
                break
            time.sleep(0.02)
        self.assertTrue(3 << 20 <= entry.get('sent', 0) < 1 << 30, entry.get('sent'))

if __name__ == '__main__':
    unittest.main()
