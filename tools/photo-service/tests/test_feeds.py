import re
import unittest
from urllib.parse import quote

from tests.support import A, G, M, NS, ServiceTestCase

ATOM_TIME = re.compile(r'^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$')
ALBUM_FIELDS = ['title', 'summary', 'published', 'updated']
ALBUM_GPHOTO = ['id', 'name', 'location', 'access', 'timestamp', 'numphotos',
                'bytesUsed', 'commentingEnabled', 'commentCount']


class UserFeedTest(ServiceTestCase):

    def setUp(self):
        self.token = self.login('demo@example.com', 'demo')

    def test_owner_feed_shape(self):
        reply = self.request('GET', '/data/feed/api/user/demo@example.com',
                             token=self.token)
        self.assertEqual(reply.status, 200)
        head = reply.text.split('<id>')[0]
        for decl in ("xmlns='http://www.w3.org/2005/Atom'",
                     "xmlns:gphoto='http://schemas.google.com/photos/2007'",
                     "xmlns:media='http://search.yahoo.com/mrss/'",
                     "xmlns:gd='http://schemas.google.com/g/2005'",
                     "xmlns:openSearch='%s'" % NS['openSearch']):
            self.assertIn(decl, head)
        # clients match qualified names as written, so the prefixes matter
        for name in ('<gphoto:quotalimit>', '<gphoto:id>', '<media:group>',
                     "<media:content url="):
            self.assertIn(name, reply.text)
        root = reply.xml()
        self.assertGreater(int(root.findtext(G + 'quotalimit')), 2 ** 31)
        self.assertGreater(int(root.findtext(G + 'quotacurrent')), 2 ** 31)
        self.assertEqual(root.findtext(G + 'maxPhotosPerAlbum'), '1000')
        entries = root.findall(A + 'entry')
        self.assertEqual(len(entries), 12)
        self.assertEqual({e.findtext(G + 'access') for e in entries},
                         {'public', 'private', 'protected'})
        for entry in entries:
            for name in ALBUM_FIELDS:
                self.assertIsNotNone(entry.find(A + name), name)
            for name in ALBUM_GPHOTO:
                self.assertIsNotNone(entry.find(G + name), name)
            self.assertRegex(entry.findtext(A + 'published'), ATOM_TIME)
            self.assertRegex(entry.findtext(A + 'updated'), ATOM_TIME)
            self.assertIsNotNone(entry.find(M + 'group'))
            album_id = entry.findtext(G + 'id')
            etag = entry.get('{http://schemas.google.com/g/2005}etag')
            self.assertEqual(
                self.link(entry, 'edit'),
                'http://localhost:%d/data/entry/api/user/demo/albumid/%s/%s' % (
                    self.http_port, album_id, etag.strip('"')))
            self.assertTrue(self.link(entry, 'self').endswith('/albumid/' + album_id))
        published_days = [e.findtext(A + 'published')[:10] for e in entries]
        self.assertEqual(len(published_days) - len(set(published_days)), 1)
        self.assertGreaterEqual(len({d[:7] for d in published_days}), 6)
        empty = self.album_by_title(root, 'Empty album')
        self.assertEqual(empty.findtext(G + 'numphotos'), '0')
        self.assertIn('京都の紅葉', [e.findtext(A + 'title') for e in entries])
        self.assertIn('Paris & Rome <2009>', [e.findtext(A + 'title') for e in entries])

    def test_alternate_links_answer_html(self):
        root = self.feed('/data/feed/api/user/demo', self.token)
        kyoto = self.album_by_title(root, '京都の紅葉')
        page = self.request('GET', self.path_of(self.link(kyoto, 'alternate')))
        self.assertEqual(page.status, 200)
        self.assertTrue(page.headers['Content-Type'].startswith('text/html'))
        self.assertIn('<html', page.text)
        self.assertTrue(page.text.rstrip().endswith('</html>'))
        self.assertIn('京都の紅葉', page.text)
        self.assertEqual(self.request('GET', '/demo/NoSuchAlbum').status, 404)

    def test_links_follow_the_host_header(self):
        reply = self.request('GET', '/data/feed/api/user/demo',
                             headers={'Host': 'localhost:4321'})
        root = reply.xml()
        self.assertTrue(self.link(root.find(A + 'entry'), 'alternate')
                        .startswith('http://localhost:4321/demo/'))

    def test_anonymous_and_other_account_see_public_only(self):
        friend = self.login('friend@example.com', 'friend')
        for token in (None, friend):
            with self.subTest(token=bool(token)):
                root = self.feed('/data/feed/api/user/demo@example.com', token)
                self.assertIsNone(root.find(G + 'quotalimit'))
                self.assertIsNone(root.find(G + 'quotacurrent'))
                entries = root.findall(A + 'entry')
                self.assertEqual({e.findtext(G + 'access') for e in entries}, {'public'})
                self.assertEqual(len(entries), 6)
                self.assertIsNone(self.link(entries[0], 'edit'))
        # and the friend's own feed shows the friend everything
        own = self.feed('/data/feed/api/user/friend', friend)
        self.assertEqual(len(own.findall(A + 'entry')), 4)

    def test_unknown_user_and_bad_token(self):
        reply = self.request('GET', '/data/feed/api/user/nobody@example.com')
        self.assertEqual(reply.status, 404)
        self.assertTrue(reply.headers['Content-Type'].startswith('text/plain'))
        self.assertTrue(reply.text.strip())
        for header in ('GoogleLogin auth=not-a-token', 'GoogleLogin auth=',
                       'Bearer ' + self.token):
            reply = self.request('GET', '/data/feed/api/user/demo',
                                 headers={'Authorization': header})
            self.assertEqual(reply.status, 401, header)

    def test_user_by_japanese_name(self):
        path = '/data/feed/api/user/' + quote('写真家')
        root = self.feed(path)
        self.assertEqual([e.findtext(A + 'title') for e in root.findall(A + 'entry')],
                         ['富士山'])
        token = self.login('shashinka@example.com', 'demo')
        self.assertEqual(len(self.feed(path, token).findall(A + 'entry')), 2)


class PhotoFeedTest(ServiceTestCase):

    def setUp(self):
        self.token = self.login('demo', 'demo')
        self.albums = self.feed('/data/feed/api/user/demo', self.token)

    def album_path(self, title):
        return self.path_of(self.link(self.album_by_title(self.albums, title),
                                      'http://schemas.google.com/g/2005#feed'))

    def test_photo_entries(self):
        root = self.feed(self.album_path('桜 2009'))
        entries = root.findall(A + 'entry')
        self.assertEqual(len(entries), 60)
        for entry in entries:
            for name in ('id', 'width', 'height', 'size', 'timestamp', 'commentCount'):
                self.assertRegex(entry.findtext(G + name), r'^\d+$', name)
            self.assertIsNotNone(entry.find(A + 'summary'))
            content = entry.find(A + 'content')
            self.assertEqual(content.get('type'), 'image/jpeg')
            src = content.get('src')
            self.assertTrue(src.startswith('http://localhost:%d/' % self.http_port))
            head, _, name = src.rpartition('/')
            full = self.request('GET', self.path_of(head + '/s0/' + name))
            self.assertEqual(full.status, 200)
            self.assertEqual(full.headers['Content-Type'], 'image/png')
            self.assertEqual(full.body[:8], b'\x89PNG\r\n\x1a\n')
            group = entry.find(M + 'group')
            self.assertEqual([c.get('medium') for c in group.findall(M + 'content')],
                             ['image'])
        page = self.request('GET', self.path_of(self.link(entries[0], 'alternate')))
        self.assertEqual(page.status, 200)
        self.assertIn('</html>', page.text)

    def test_photos_before_1970(self):
        root = self.feed(self.album_path('Old family photos'), self.token)
        stamps = [int(e.findtext(G + 'timestamp')) for e in root.findall(A + 'entry')]
        self.assertTrue(any(s < 0 for s in stamps))
        self.assertTrue(any(s > 0 for s in stamps))

    def test_videos(self):
        root = self.feed(self.album_path('Videos'))
        videos = [e for e in root.findall(A + 'entry')
                  if e.find(G + 'originalvideo') is not None]
        self.assertEqual(len(videos), 5)
        for entry in videos:
            original = entry.find(G + 'originalvideo')
            for name in ('width', 'height', 'duration'):
                self.assertRegex(original.get(name), r'^\d+$')
            self.assertIn(original.get('type'), ('MOV', 'AVI', 'MP4'))
            float(original.get('fps'))
            contents = entry.find(M + 'group').findall(M + 'content')
            self.assertEqual(contents[0].get('medium'), 'image')
            renditions = [c for c in contents if c.get('medium') == 'video']
            self.assertGreaterEqual(len(renditions), 3)
            self.assertEqual({r.get('type') for r in renditions},
                             {'application/x-shockwave-flash', 'video/mpeg4'})
            sides = [max(int(r.get('width')), int(r.get('height'))) for r in renditions]
            self.assertEqual(sides.count(max(sides)), 2, sides)
            chosen = renditions[sides.index(max(sides))]
            clip = self.request('GET', self.path_of(chosen.get('url')))
            self.assertEqual(clip.status, 200)
            self.assertEqual(clip.headers['Content-Type'], chosen.get('type'))
        self.assertTrue(any(int(v.find(G + 'originalvideo').get('height')) >
                            int(v.find(G + 'originalvideo').get('width')) for v in videos))

    def test_private_album_photo_feed(self):
        path = self.album_path('Family')
        self.assertEqual(self.request('GET', path).status, 404)
        friend = self.login('friend', 'friend')
        self.assertEqual(self.request('GET', path, token=friend).status, 404)
        self.assertEqual(len(self.feed(path, self.token).findall(A + 'entry')), 18)
        self.assertEqual(self.request('GET', path + '9').status, 404)

    def test_tag_feed(self):
        entries = self.feed(self.album_path('京都の紅葉')).findall(A + 'entry')
        checked = 0
        for entry in entries[:12]:
            path = self.path_of(self.link(entry, 'http://schemas.google.com/g/2005#feed'))
            reply = self.request('GET', path + '?kind=tag')
            self.assertEqual(reply.status, 200)
            if '<entry>' in reply.text:     # feed-level fields come first
                self.assertLess(reply.text.index('<gphoto:starred total='),
                                reply.text.index('<entry>'))
            root = reply.xml()
            for name in ('width', 'height', 'size', 'timestamp'):
                self.assertEqual(root.findtext(G + name), entry.findtext(G + name))
            self.assertRegex(root.findtext(G + 'viewCount'), r'^\d+$')
            self.assertRegex(root.findtext(G + 'commentCount'), r'^\d+$')
            self.assertRegex(root.find(G + 'starred').get('total'), r'^\d+$')
            tags = [e.findtext(A + 'title') for e in root.findall(A + 'entry')]
            self.assertEqual(', '.join(tags),
                             entry.find(M + 'group').findtext(M + 'keywords'))
            checked += bool(tags)
        self.assertGreater(checked, 0)
        stars = set()
        for entry in entries:
            path = self.path_of(self.link(entry, 'http://schemas.google.com/g/2005#feed'))
            stars.add(self.feed(path + '?kind=tag').find(G + 'starred').get('total'))
        self.assertGreater(len(stars), 1)
        missing = self.request('GET', path.rsplit('/', 1)[0] + '/1?kind=tag')
        self.assertEqual(missing.status, 404)


if __name__ == '__main__':
    unittest.main()
