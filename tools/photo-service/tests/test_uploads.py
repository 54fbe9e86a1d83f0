import base64
import hashlib
import io
import os
import socket
import struct
import time
import unittest
from urllib.parse import quote

from photoservice import media, uploads
from tests.support import A, G, M, ServiceTestCase

USER = '/data/feed/api/user/demo'
ENTRY = ("<entry xmlns='http://www.w3.org/2005/Atom'>"
         "<title>%s</title><summary>%s</summary>"
         "<category scheme='http://schemas.google.com/g/2005#kind' "
         "term='http://schemas.google.com/photos/2007#photo'/></entry>")


def gif(width, height):
    return b'GIF89a' + struct.pack('<HH', width, height) + b'\x00' * 30 + b';'


def jpeg(width, height, exif=5000):
    """SOI, a large APP1, a quantisation table, then SOF0 with the size."""
    app1 = b'\xff\xe1' + struct.pack('>H', exif + 2) + b'E' * exif
    dqt = b'\xff\xdb' + struct.pack('>H', 67) + b'\x00' * 65
    sof = b'\xff\xc0' + struct.pack('>HBHHB', 11, 8, height, width, 1) + b'\x01\x11\x00'
    return b'\xff\xd8' + app1 + dqt + sof + b'\xff\xda' + b'\x00' * 100 + b'\xff\xd9'


class PictureSizeTest(unittest.TestCase):

    def test_sizes_from_headers(self):
        cases = [
            ('png', media.png(40, 30, 1), (40, 30)),
            ('gif', gif(640, 480), (640, 480)),
            ('jpeg', jpeg(4000, 3000), (4000, 3000)),
            ('jpeg with a fill byte', b'\xff\xd8\xff' + jpeg(12, 34)[2:], (12, 34)),
            ('jpeg cut before its frame', jpeg(10, 10)[:200], (0, 0)),
            ('bmp', b'BM' + b'\x00' * 60, (0, 0)),
            ('empty', b'', (0, 0)),
        ]
        for name, data, size in cases:
            with self.subTest(name):
                prefix = b'x' * 7      # the media may start inside a body
                f = io.BytesIO(prefix + data)
                self.assertEqual(uploads.picture_size(f, len(prefix), len(data)), size)

    def test_slug_titles(self):
        for header, title in (('IMG_0001.jpg', 'IMG_0001.jpg'),
                              (quote('紅葉 1.jpg'), '紅葉 1.jpg'),
                              ('100%25.png', '100%.png'),
                              ('', ''), (None, '')):
            with self.subTest(header):
                self.assertEqual(uploads.slug_title(header), title)


class UploadTest(ServiceTestCase):

    def setUp(self):
        self.reset()
        self.token = self.login('demo@example.com', 'demo')
        self.album = self.album_by_title(self.feed(USER, self.token), 'Empty album')
        self.album_id = self.album.findtext(G + 'id')
        self.path = '%s/albumid/%s' % (USER, self.album_id)

    def state_album(self, album_id=None):
        demo = [a for a in self.control('GET', 'state')['accounts']
                if a['name'] == 'demo'][0]
        album = [a for a in demo['albums'] if a['id'] == (album_id or self.album_id)][0]
        return demo, album

    def post(self, data, content_type, slug=None, path=None, token='own', expect=201):
        headers = {'Content-Type': content_type}
        if slug is not None:
            headers['Slug'] = quote(slug)
        reply = self.request('POST', path or self.path, data, headers,
                             self.token if token == 'own' else token)
        self.assertEqual(reply.status, expect, reply.text)
        return reply

    def original(self, entry, how):
        """The photo's stored bytes, by a size folder (s0, s288) or by
        imgmax=d."""
        address = self.path_of(entry.find(A + 'content').get('src'))
        if how.startswith('s'):
            folder, name = address.rsplit('/', 1)
            address = '%s/%s/%s' % (folder, how, name)
        else:
            address += '?imgmax=d'
        reply = self.request('GET', address)
        self.assertEqual(reply.status, 200)
        return reply

    def test_raw_uploads_arrive_whole_with_titles_sizes_counts_and_quota(self):
        files = [('紅葉 の 写真.png', 'image/png', media.png(300, 200, 5), (300, 200)),
                 ('IMG_0002.JPG', 'image/jpeg', jpeg(1600, 1200), (1600, 1200)),
                 ('anim.gif', 'image/gif', gif(64, 48), (64, 48))]
        demo, album = self.state_album()
        quota, count = demo['quota_current'], album['numphotos']
        for n, (name, mime, data, (w, h)) in enumerate(files, 1):
            with self.subTest(name):
                reply = self.post(data, mime, name)
                entry = reply.xml()
                self.assertEqual(entry.findtext(A + 'title'), name)
                self.assertEqual(entry.findtext(G + 'size'), str(len(data)))
                self.assertEqual(entry.findtext(G + 'width'), str(w))
                self.assertEqual(entry.findtext(G + 'height'), str(h))
                self.assertEqual(entry.findtext(G + 'albumid'), self.album_id)
                self.assertTrue(reply.headers['Location'].endswith(
                    '/photoid/' + entry.findtext(G + 'id')))
                # Whole at a preview's size too: nothing here scales.
                for how in ('s0', 'imgmax=d', 's288'):
                    got = self.original(entry, how)
                    self.assertEqual(hashlib.sha256(got.body).hexdigest(),
                                     hashlib.sha256(data).hexdigest())
                    self.assertEqual(got.headers['Content-Type'], mime)
                demo, album = self.state_album()
                self.assertEqual(album['numphotos'], count + n)
                quota += len(data)
                self.assertEqual(demo['quota_current'], quota)
        listed = self.feed(self.path, self.token)
        self.assertEqual([e.findtext(A + 'title') for e in listed.findall(A + 'entry')],
                         [f[0] for f in files])
        self.assertEqual(album['bytes_used'], sum(len(f[2]) for f in files))

    def test_multipart_related_takes_the_entry_then_the_media(self):
        data = jpeg(800, 600, exif=65000)
        boundary = 'END_OF_PART'
        body = ('Media multipart posting\r\n--%s\r\n'
                'Content-Type: application/atom+xml\r\n\r\n%s\r\n'
                '--%s\r\nContent-Type: image/jpeg\r\n\r\n' % (
                    boundary, ENTRY % ('Kinkaku-ji', 'Golden &amp; calm'),
                    boundary)).encode('utf-8') + data + (
            '\r\n--%s--\r\n' % boundary).encode('ascii')
        entry = self.post(body, 'multipart/related; boundary="%s"' % boundary,
                          slug='ignored.jpg').xml()
        self.assertEqual(entry.findtext(A + 'title'), 'Kinkaku-ji')
        self.assertEqual(entry.findtext(A + 'summary'), 'Golden & calm')
        self.assertEqual(entry.findtext(G + 'size'), str(len(data)))
        self.assertEqual(entry.findtext(G + 'width'), '800')
        self.assertEqual(self.original(entry, 's0').body, data)

    def test_a_video_is_stored_as_a_video_and_served_as_its_original(self):
        for name, mime in (('clip.mp4', 'video/mp4'), ('old.mov', 'video/quicktime')):
            with self.subTest(name):
                data = b'\x00\x00\x00\x18ftypmp42' + os.urandom(70000)
                entry = self.post(data, mime, name).xml()
                self.assertIsNotNone(entry.find(G + 'originalvideo'))
                self.assertEqual(entry.findtext(G + 'size'), str(len(data)))
                for how in ('s0', 'imgmax=d'):
                    got = self.original(entry, how)
                    self.assertEqual(got.body, data)
                    self.assertEqual(got.headers['Content-Type'], mime)
                    self.assertEqual(int(got.headers['Content-Length']), len(data))
                # A smaller size is the video's still, not the video.
                address = self.path_of(entry.find(A + 'content').get('src'))
                still = self.request('GET', '%s/s288/%s' % tuple(address.rsplit('/', 1)))
                self.assertEqual(still.status, 200)
                self.assertTrue(still.headers['Content-Type'].startswith('image/'), still.headers['Content-Type'])
                # A feed asked for originals points at it, as a backup reads it.
                listed = self.feed(self.path + '?imgmax=d', self.token).findall(A + 'entry')
                mine = [e for e in listed if e.findtext(G + 'id') == entry.findtext(G + 'id')][0]
                src = mine.find(A + 'content').get('src')
                self.assertIn('/s0/', src)
                self.assertEqual(self.request('GET', self.path_of(src)).body, data)

    def test_refusals_store_nothing(self):
        other = '/data/feed/api/user/friend/albumid/%s' % self.album_id
        cases = [
            ('a type it refuses', b'hello', 'text/plain', None, None, 400, 'type'),
            ('an empty photo', b'', 'image/jpeg', None, None, 400, 'Empty'),
            ('a photo over the limit', b'\xff\xd8' + b'\x00' * uploads.PHOTO_LIMIT,
             'image/jpeg', None, None, 413, 'too large'),
            ("another account's album", gif(1, 1), 'image/gif', other, None, 403, ''),
            ('no token', gif(1, 1), 'image/gif', None, None, 401, ''),
            ('an album that is not there', gif(1, 1), 'image/gif',
             USER + '/albumid/12345', None, 404, ''),
            ('multipart without its media', ('--b\r\nContent-Type: application/atom+xml'
                                            '\r\n\r\n<entry/>\r\n--b--\r\n').encode(),
             'multipart/related; boundary=b', None, None, 400, 'multipart'),
        ]
        before = self.control('GET', 'state')['counts']['photos']
        for name, data, mime, path, _, status, says in cases:
            with self.subTest(name):
                reply = self.post(data, mime, 'x', path=path,
                                  token=None if name == 'no token' else 'own',
                                  expect=status)
                self.assertIn(says, reply.text)
        self.assertEqual(self.control('GET', 'state')['counts']['photos'], before)
        self.assertEqual(self.leftovers(), [])

    def test_full_quota_and_full_album_refuse_with_a_reason(self):
        store = self.service.store
        with store.transaction() as db:
            db.execute('UPDATE accounts SET quota_limit = quota_base + ? '
                       "WHERE name = 'demo'", (
                           store.quota_current(1) - 2400000000 + 100,))
        self.assertIn('Quota', self.post(b'G' * 101 + gif(1, 1), 'image/gif', 'big',
                                         expect=403).text)
        self.post(gif(2, 2), 'image/gif', 'fits')
        with store.transaction() as db:
            db.execute("UPDATE accounts SET quota_limit = 1 << 40, "
                       "max_photos_per_album = 1 WHERE name = 'demo'")
        self.assertIn('limit', self.post(gif(3, 3), 'image/gif', 'two', expect=403).text)

    def leftovers(self):
        directory = uploads.folder(self.service.store)
        return [n for n in os.listdir(directory) if n.startswith('part-')]

    def wait_for(self, condition, what):
        deadline = time.monotonic() + 20
        while not condition():
            if time.monotonic() > deadline:
                self.fail('waited in vain for ' + what)
            time.sleep(0.02)

    def test_a_body_cut_short_stores_nothing(self):
        before = self.control('GET', 'state')['counts']['photos']
        s = socket.create_connection(('localhost', self.http_port), timeout=10)
        try:
            s.sendall(('POST %s HTTP/1.1\r\nHost: localhost\r\n'
                       'Authorization: GoogleLogin auth=%s\r\n'
                       'Content-Type: image/gif\r\nSlug: cut.gif\r\n'
                       'Content-Length: 100000\r\n\r\n' % (self.path, self.token)).encode())
            s.sendall(gif(5, 5) + b'\x00' * 5000)
            self.wait_for(self.leftovers, 'the body to be spooled')
        finally:
            s.close()
        self.wait_for(lambda: not self.leftovers(), 'the spooled part to go')
        self.assertEqual(self.control('GET', 'state')['counts']['photos'], before)
        # The request log holds the first bytes of a body, not all of it.
        self.post(b'GIF89a' + b'\x00' * 10000, 'image/gif', 'logged')
        logged = [r for r in self.control('GET', 'requests')['requests']
                  if r['method'] == 'POST'][-1]
        self.assertEqual(logged['headers']['Slug'], 'logged')
        self.assertEqual(len(base64.b64decode(logged['body_b64'])), uploads.LOG_HEAD)

    def test_an_upload_whose_answer_is_cut_is_kept_all_the_same(self):
        # The service made the photo; only its answer was lost on the way.
        before = self.state_album()[1]['numphotos']
        self.control('POST', 'fault', {'path': self.path, 'method': 'POST', 'action': 'cut_body',
                                       'keep': 0})
        s = socket.create_connection(('localhost', self.http_port), timeout=10)
        data = gif(5, 5)
        try:
            s.sendall(('POST %s HTTP/1.1\r\nHost: localhost\r\n'
                       'Authorization: GoogleLogin auth=%s\r\n'
                       'Content-Type: image/gif\r\nSlug: lost.gif\r\n'
                       'Content-Length: %d\r\n\r\n' % (self.path, self.token, len(data))).encode())
            s.sendall(data)
            answer = b''
            while True:
                piece = s.recv(65536)
                if not piece:
                    break
                answer += piece
        finally:
            s.close()
        head, _, body = answer.partition(b'\r\n\r\n')
        self.assertTrue(head.startswith(b'HTTP/1.1 201'), head)
        self.assertEqual(body, b'')
        self.assertEqual(self.state_album()[1]['numphotos'], before + 1)
        titles = [e.findtext(A + 'title') for e in self.feed(self.path, self.token).findall(A + 'entry')]
        self.assertEqual(titles.count('lost.gif'), 1)

    def test_a_declared_length_over_every_limit_is_refused_unread(self):
        s = socket.create_connection(('localhost', self.http_port), timeout=10)
        try:
            s.sendall(('POST %s HTTP/1.1\r\nHost: localhost\r\n'
                       'Authorization: GoogleLogin auth=%s\r\nContent-Type: video/mp4\r\n'
                       'Content-Length: %d\r\n\r\n' % (
                           self.path, self.token, uploads.VIDEO_LIMIT * 2)).encode())
            answer = s.recv(4096)
        finally:
            s.close()
        self.assertTrue(answer.startswith(b'HTTP/1.1 413'), answer)


if __name__ == '__main__':
    unittest.main()
