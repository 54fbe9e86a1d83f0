"""Changes to single photos: title, caption and keywords, a move to another
album and a deletion, each only at the photo's current version."""
import unittest

from tests.support import A, G, M, ServiceTestCase

USER = '/data/feed/api/user/demo@example.com'
ENTRY = ("<entry xmlns='http://www.w3.org/2005/Atom'\n"
         "    xmlns:media='http://search.yahoo.com/mrss/'\n"
         "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
         "%s</entry>\n")


class PhotoChangesTest(ServiceTestCase):

    def setUp(self):
        self.reset()
        self.token = self.login('demo@example.com', 'demo')

    def photos(self, title):
        album = self.album_by_title(self.feed(USER, self.token), title)
        return album, self.feed(self.photos_path(album), self.token).findall(A + 'entry')

    def send(self, method, entry, body='', if_match=None, expect=200):
        headers = {'Content-Type': 'application/xml'}
        headers['If-Match'] = entry.get('{http://schemas.google.com/g/2005}etag') \
            if if_match is None else if_match
        reply = self.request(method, self.path_of(self.link(entry, 'edit')),
                             ENTRY % body if body else None, headers, self.token)
        self.assertEqual(reply.status, expect, reply.text)
        return reply

    def test_title_caption_and_keywords_change_and_show_in_the_feeds(self):
        _, photos = self.photos('Garden')
        first = photos[0]
        reply = self.send('PATCH', first, "<title>Rose &amp; ivy</title>\n"
                          "<summary>Caption</summary>\n<media:group>"
                          "<media:keywords>rose,  ivy , rose,,</media:keywords>"
                          "</media:group>\n")
        entry = reply.xml()
        self.assertEqual(entry.findtext(A + 'title'), 'Rose & ivy')
        self.assertEqual(entry.findtext(A + 'summary'), 'Caption')
        self.assertEqual(entry.findtext(M + 'group/' + M + 'keywords'), 'rose, ivy')
        self.assertNotEqual(entry.get('{http://schemas.google.com/g/2005}etag'),
                            first.get('{http://schemas.google.com/g/2005}etag'))
        _, again = self.photos('Garden')
        self.assertEqual(again[0].findtext(A + 'summary'), 'Caption')
        self.assertEqual(again[1].findtext(A + 'title'), photos[1].findtext(A + 'title'))
        detail = self.feed(self.photos_path(again[0]) + '?kind=tag', self.token)
        self.assertEqual([e.findtext(A + 'title') for e in detail.findall(A + 'entry')],
                         ['rose', 'ivy'])

    def test_a_stale_version_is_refused_and_changes_nothing(self):
        _, photos = self.photos('Garden')
        self.send('PATCH', photos[0], '<summary>one</summary>')
        self.send('PATCH', photos[0], '<summary>two</summary>', expect=412)
        self.send('DELETE', photos[0], expect=412)
        _, again = self.photos('Garden')
        self.assertEqual(again[0].findtext(A + 'summary'), 'one')
        self.assertEqual(len(again), len(photos))

    def test_a_move_changes_the_album_and_both_counts(self):
        garden, photos = self.photos('Garden')
        family, before = self.photos('Family')
        family_id = family.findtext(G + 'id')
        reply = self.send('PATCH', photos[2], '<gphoto:albumid>%s</gphoto:albumid>' % family_id)
        self.assertEqual(reply.xml().findtext(G + 'albumid'), family_id)
        garden, after_garden = self.photos('Garden')
        family, after_family = self.photos('Family')
        self.assertEqual(len(after_garden), len(photos) - 1)
        self.assertEqual(garden.findtext(G + 'numphotos'), str(len(photos) - 1))
        self.assertEqual(family.findtext(G + 'numphotos'), str(len(before) + 1))
        self.assertEqual(after_family[-1].findtext(G + 'id'), photos[2].findtext(G + 'id'))

    def test_a_move_into_a_full_album_is_refused(self):
        _, photos = self.photos('Garden')
        family, _ = self.photos('Family')
        account = self.service.store.find_account('demo')
        with self.service.store.transaction() as db:
            db.execute('UPDATE accounts SET max_photos_per_album = 18 WHERE id = ?',
                       (account['id'],))
        self.send('PATCH', photos[0], '<gphoto:albumid>%s</gphoto:albumid>'
                  % family.findtext(G + 'id'), expect=403)
        _, after = self.photos('Garden')
        self.assertEqual(len(after), len(photos))

    def test_a_deleted_photo_leaves_every_feed(self):
        garden, photos = self.photos('Garden')
        self.send('DELETE', photos[0])
        garden, after = self.photos('Garden')
        self.assertEqual(garden.findtext(G + 'numphotos'), str(len(photos) - 1))
        self.assertNotIn(photos[0].findtext(G + 'id'), [p.findtext(G + 'id') for p in after])
        reply = self.request('GET', self.photos_path(photos[0]), token=self.token)
        self.assertEqual(reply.status, 404)

    def test_only_the_owner_gets_edit_links_and_may_change(self):
        reply = self.request('GET', '/data/feed/api/user/demo')
        album = self.album_by_title(reply.xml(), 'Hokkaido summer')
        public = self.feed(self.photos_path(album)).findall(A + 'entry')
        self.assertIsNone(self.link(public[0], 'edit'))
        _, photos = self.photos('Hokkaido summer')
        reply = self.request('DELETE', self.path_of(self.link(photos[0], 'edit')),
                             headers={'If-Match': '*'})
        self.assertEqual(reply.status, 401)

    def test_the_demo_has_tags_on_some_photos(self):
        _, photos = self.photos('Hokkaido summer')
        tags = [p.findtext(M + 'group/' + M + 'keywords') for p in photos]
        self.assertTrue(any(tags))
        self.assertFalse(all(tags))


if __name__ == '__main__':
    unittest.main()
