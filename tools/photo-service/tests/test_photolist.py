import unittest
from urllib.parse import quote

from tests.support import A, G, M, ServiceTestCase


class PhotoListFixtureTest(ServiceTestCase):
    fixture = 'photolist'

    def setUp(self):
        self.token = self.login('lists@example.com', 'lists')

    def albums(self):
        root = self.feed('/data/feed/api/user/lists', self.token)
        return {e.findtext(A + 'title'): e for e in root.findall(A + 'entry')}

    def photos(self, album):
        path = '/data/feed/api/user/lists/albumid/%s' % album.findtext(G + 'id')
        return self.feed(path, self.token).findall(A + 'entry')

    def test_albums_and_counts(self):
        albums = self.albums()
        self.assertEqual(sorted(albums), ['Media', 'Three photos', 'Two photos'])
        self.assertEqual(albums['Three photos'].findtext(G + 'numphotos'), '3')
        self.assertEqual(albums['Two photos'].findtext(G + 'numphotos'), '2')
        self.assertEqual(albums['Two photos'].findtext(G + 'access'), 'protected')
        self.assertEqual(len(self.photos(albums['Three photos'])), 3)
        self.assertEqual(len(self.photos(albums['Two photos'])), 2)

    def test_media_album_has_one_still_and_three_videos(self):
        entries = self.photos(self.albums()['Media'])
        self.assertEqual([e.findtext(A + 'title') for e in entries],
                         ['MEDIA_0001.JPG', 'MPEG4.MP4', 'FLASH.MOV', 'OTHER.MOV'])
        self.assertIsNone(entries[0].find(G + 'originalvideo'))
        expected = [('video/mpeg4', 640, 480, '5'),
                    ('application/x-shockwave-flash', 1280, 720, '35'),
                    ('video/quicktime', 320, 240, '12')]
        for entry, (mime, width, height, duration) in zip(entries[1:], expected):
            self.assertEqual(entry.find(G + 'originalvideo').get('duration'), duration)
            videos = [c for c in entry.find(M + 'group').findall(M + 'content')
                      if c.get('medium') == 'video']
            largest = max(videos, key=lambda c: max(int(c.get('width')), int(c.get('height'))))
            self.assertEqual((largest.get('type'), int(largest.get('width')),
                              int(largest.get('height'))), (mime, width, height))

    def test_each_photo_is_described_by_its_own_type(self):
        for entry in self.photos(self.albums()['Three photos']):
            title = entry.findtext(A + 'title')
            mime = {'JPG': 'image/jpeg', 'PNG': 'image/png', 'GIF': 'image/gif'}[title[-3:]]
            content = entry.find(A + 'content')
            self.assertEqual(content.get('type'), mime, title)
            self.assertTrue(content.get('src').lower().endswith(title[-4:].lower()), title)
            group = entry.find(M + 'group')
            image = [c for c in group.findall(M + 'content') if c.get('medium') == 'image']
            self.assertEqual([c.get('type') for c in image], [mime], title)
            sides = [max(int(t.get('width')), int(t.get('height')))
                     for t in group.findall(M + 'thumbnail')]
            self.assertEqual(sides, [72, 144, 288], title)
            # The original in its own type where the stand-in writes it.
            folder, _, name = ('/' + content.get('src').split('/', 3)[3]).rpartition('/')
            original = self.request('GET', folder + '/s0/' + name)
            self.assertEqual(original.status, 200)
            if mime == 'image/gif':
                self.assertEqual(original.headers['Content-Type'], 'image/gif')
                self.assertEqual(original.body[:6], b'GIF89a')
            self.assertEqual(len(original.body), int(entry.findtext(G + 'size')), title)

    def test_demo_account_is_not_there(self):
        reply = self.request('GET', '/data/feed/api/user/' + quote('demo@example.com'))
        self.assertEqual(reply.status, 404)


if __name__ == '__main__':
    unittest.main()
