"""Originals for a backup: imgmax=d, exact sizes, the media origin and the
faults of a download."""
import struct
import zlib

from tests.support import A, G, M, ServiceTestCase


def png_chunks(data):
    """(kind, length) of every chunk, checking each CRC."""
    assert data[:8] == b'\x89PNG\r\n\x1a\n'
    chunks, at = [], 8
    while at < len(data):
        (length,) = struct.unpack('>I', data[at:at + 4])
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack('>I', data[at + 8 + length:at + 12 + length])
        assert crc == zlib.crc32(kind + body) & 0xffffffff, kind
        chunks.append((kind, length))
        at += 12 + length
    return chunks


class OriginalsTest(ServiceTestCase):
    def setUp(self):
        self.reset()
        self.token = self.login('demo', 'demo')
        albums = self.feed('/data/feed/api/user/demo', self.token)
        self.album = self.photos_path(self.album_by_title(albums, '桜 2009'))
        self.videos = self.photos_path(self.album_by_title(albums, 'Videos'))

    def entries(self, path, query='?imgmax=d'):
        return self.feed(path + query, self.token).findall(A + 'entry')

    @staticmethod
    def image_url(entry):
        return [c.get('url') for c in entry.find(M + 'group').findall(M + 'content')
                if c.get('medium') == 'image'][0]

    def test_imgmax_d_gives_originals_of_their_exact_size(self):
        entries = self.entries(self.album)
        self.assertGreater(len(entries), 3)
        for entry in entries[:4]:
            url = self.image_url(entry)
            self.assertIn('/s0/', url)
            self.assertEqual(entry.find(A + 'content').get('src'), url)
            reply = self.request('GET', self.path_of(url))
            self.assertEqual(reply.status, 200)
            self.assertEqual(len(reply.body), int(entry.findtext(G + 'size')))
            self.assertEqual(int(reply.headers['Content-Length']), len(reply.body))
            chunks = png_chunks(reply.body)
            self.assertEqual([k for k, _ in chunks],
                             [b'IHDR', b'IDAT', b'paDd', b'IEND'])
            again = self.request('GET', self.path_of(url))
            self.assertEqual(again.body, reply.body)
        first = self.request('GET', self.path_of(self.image_url(entries[0]))).body
        second = self.request('GET', self.path_of(self.image_url(entries[1]))).body
        self.assertNotEqual(first[:200], second[:200])

    def test_without_imgmax_the_addresses_stay_as_they_were(self):
        for entry in self.entries(self.album, '')[:3]:
            self.assertNotIn('/s0/', self.image_url(entry))
            thumbs = entry.find(M + 'group').findall(M + 'thumbnail')
            small = self.request('GET', self.path_of(thumbs[0].get('url')))
            self.assertLess(len(small.body), int(entry.findtext(G + 'size')))

    def test_video_renditions_have_a_content_length_and_no_padded_still(self):
        for entry in self.entries(self.videos):
            group = entry.find(M + 'group')
            for content in group.findall(M + 'content'):
                reply = self.request('GET', self.path_of(content.get('url')))
                self.assertEqual(reply.status, 200)
                self.assertEqual(int(reply.headers['Content-Length']), len(reply.body))
                if content.get('medium') == 'video':
                    self.assertEqual(reply.headers['Content-Type'], content.get('type'))
                elif entry.find(G + 'originalvideo') is not None:
                    self.assertLess(len(reply.body), int(entry.findtext(G + 'size')))

    def test_media_from_another_host_name(self):
        settings = self.control('POST', 'settings', {'media_host': '127.0.0.1'})
        self.assertEqual(settings['media_host'], '127.0.0.1')
        root = self.feed(self.videos + '?imgmax=d', self.token)
        self.assertTrue(root.findtext(A + 'id').startswith('http://localhost:'))
        for entry in root.findall(A + 'entry'):
            for content in entry.find(M + 'group').findall(M + 'content'):
                self.assertTrue(content.get('url').startswith(
                    'http://127.0.0.1:%d/' % self.http_port), content.get('url'))
            self.assertTrue(self.link(entry, 'alternate').startswith('http://localhost:'))
        self.control('POST', 'settings', {'media_host': 'bad host!'}, expect=400)
        self.reset()
        self.assertEqual(self.control('GET', 'settings')['media_host'], '')

    def test_a_download_cut_short(self):
        url = self.image_url(self.entries(self.album)[0])
        path = self.path_of(url)
        self.control('POST', 'fault', {'path': path, 'action': 'cut_body', 'keep': 1000})
        conn = self.connect()
        try:
            conn.request('GET', path)
            response = conn.getresponse()
            self.assertEqual(response.status, 200)
            declared = int(response.headers['Content-Length'])
            self.assertGreater(declared, 1000)
            received = b''
            while True:
                piece = response.fp.read(4096)
                if not piece:
                    break
                received += piece
            self.assertEqual(len(received), 1000)
        finally:
            conn.close()
        log = self.control('GET', 'requests')['requests']
        self.assertEqual([r['status'] for r in log if r['path'] == path], ['cut'])
        whole = self.request('GET', path)
        self.assertEqual(len(whole.body), declared)

    def test_an_original_that_fails_leaves_the_others(self):
        entries = self.entries(self.album)
        broken = self.path_of(self.image_url(entries[1]))
        self.control('POST', 'fault', {'path': broken, 'match': 'exact', 'count': -1,
                                       'status': 503})
        self.assertEqual(self.request('GET', broken).status, 503)
        self.assertEqual(self.request('GET', broken).status, 503)
        other = self.path_of(self.image_url(entries[2]))
        self.assertEqual(self.request('GET', other).status, 200)
        self.control('POST', 'fault', {'path': '/img/', 'action': 'cut_body', 'keep': -1},
                     expect=400)

    def test_later_pages_keep_asking_for_originals(self):
        self.control('POST', 'settings', {'page_size': 25})
        try:
            root = self.feed(self.album + '?imgmax=d', self.token)
            pages = 1
            while True:
                for entry in root.findall(A + 'entry'):
                    self.assertIn('/s0/', self.image_url(entry))
                following = self.link(root, 'next')
                if not following:
                    break
                self.assertIn('imgmax=d', following)
                root = self.feed(self.path_of(following), self.token)
                pages += 1
            self.assertGreater(pages, 1)
        finally:
            self.control('POST', 'settings', {'page_size': 1000})


class BackupFixtureTest(ServiceTestCase):
    fixture = 'backup'

    def test_titles_and_exact_originals(self):
        self.reset('backup')
        token = self.login('backup', 'backup')
        albums = self.feed('/data/feed/api/user/backup', token).findall(A + 'entry')
        self.assertEqual([a.findtext(A + 'title') for a in albums].count('Same title'), 2)
        trip = [a for a in albums if a.findtext(A + 'title') == 'Trip <2009>: "best"?'][0]
        root = self.feed(self.photos_path(trip) + '?imgmax=d', token)
        entries = root.findall(A + 'entry')
        self.assertEqual([e.findtext(A + 'title') for e in entries][:3],
                         ['桜の花.jpg', 'a<b>:c"d?.jpg', 'IMG_0001.JPG'])
        self.assertIsNotNone(entries[-1].find(G + 'originalvideo'))
        for entry in entries[:-1]:
            size = int(entry.findtext(G + 'size'))
            self.assertTrue(20000 <= size <= 200000)
            url = OriginalsTest.image_url(entry)
            self.assertEqual(len(self.request('GET', self.path_of(url)).body), size)
