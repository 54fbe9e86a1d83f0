import unittest
from xml.sax.saxutils import escape

from tests.support import A, G, ServiceTestCase

NEW_ALBUM = ("<entry xmlns='http://www.w3.org/2005/Atom'\n"
             "\txmlns:media='http://search.yahoo.com/mrss/'\n"
             "\txmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
             "  <title type='text'>%s</title>\n"
             "  <summary type='text'>%s</summary>\n"
             "  <gphoto:location>%s</gphoto:location>\n"
             "  <gphoto:access>%s</gphoto:access>\n"
             "  <gphoto:timestamp>%d</gphoto:timestamp>\n"
             "  <category scheme='http://schemas.google.com/g/2005#kind'\n"
             "\tterm='http://schemas.google.com/photos/2007#album'></category>\n"
             "</entry>\n")
PATCH = ("<entry xmlns='http://www.w3.org/2005/Atom'\n"
         "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
         "  <gphoto:%s>%s</gphoto:%s>\n"
         "</entry>\n")
POST_HEADERS = {'Content-Type': 'application/atom+xml; charset=UTF-8'}
USER = '/data/feed/api/user/demo@example.com'


class AlbumChangesTest(ServiceTestCase):

    def setUp(self):
        self.reset()
        self.token = self.login('demo@example.com', 'demo')

    def create(self, title, access='public', summary='', location='',
               timestamp=1262304000000, token=None, expect=201):
        body = NEW_ALBUM % (title, summary, location, access, timestamp)
        reply = self.request('POST', USER, body, POST_HEADERS, token or self.token)
        self.assertEqual(reply.status, expect, reply.text)
        return reply

    def patch(self, edit, name, value, if_match='*', expect=200, token=None):
        headers = {'Content-Type': 'application/xml'}
        if if_match is not None:
            headers['If-Match'] = if_match
        reply = self.request('PATCH', self.path_of(edit), PATCH % (name, value, name),
                             headers, token or self.token)
        self.assertEqual(reply.status, expect, reply.text)
        return reply

    def owner_feed(self):
        return self.feed(USER, self.token)

    def test_create_round_trip(self):
        for title in ('Tom & Jerry <live>', '紅葉狩り 2010'):
            reply = self.create(escape(title), 'private', escape('a & b'),
                                escape('Nara <old town>'), -86400000)
            entry = reply.xml()
            self.assertEqual(entry.findtext(A + 'title'), title)
            self.assertEqual(entry.findtext(A + 'summary'), 'a & b')
            self.assertEqual(entry.findtext(G + 'location'), 'Nara <old town>')
            self.assertEqual(entry.findtext(G + 'access'), 'private')
            self.assertEqual(entry.findtext(G + 'timestamp'), '-86400000')
            self.assertEqual(entry.findtext(G + 'numphotos'), '0')
            edit = self.link(entry, 'edit')
            self.assertEqual(reply.headers['Location'], edit)
            self.assertEqual(reply.headers['ETag'], '"1"')
            self.assertTrue(edit.endswith('/albumid/%s/1' % entry.findtext(G + 'id')))
            listed = self.album_by_title(self.owner_feed(), title)
            self.assertEqual(listed.findtext(G + 'id'), entry.findtext(G + 'id'))
        self.assertEqual(len(self.owner_feed().findall(A + 'entry')), 14)

    def test_create_defaults_to_protected_when_access_is_empty(self):
        entry = self.create('Quiet', access='').xml()
        self.assertEqual(entry.findtext(G + 'access'), 'protected')
        self.create('Odd', access='secret', expect=400)

    def test_create_refusals(self):
        reply = self.create('Tom & Jerry', expect=400)     # unescaped ampersand
        self.assertTrue(reply.headers['Content-Type'].startswith('text/plain'))
        self.assertIn('line 4', reply.text)
        no_token = self.request('POST', USER, NEW_ALBUM % ('x', '', '', 'public', 0),
                                POST_HEADERS)
        self.assertEqual(no_token.status, 401)
        friend = self.login('friend@example.com', 'friend')
        self.create('Intruder', token=friend, expect=403)
        bad = self.request('POST', USER, NEW_ALBUM % ('x', '', '', 'public', 0),
                           POST_HEADERS, 'stale-token')
        self.assertEqual(bad.status, 401)
        self.assertEqual(len(self.owner_feed().findall(A + 'entry')), 12)

    def test_patch_access_and_commenting(self):
        album = self.album_by_title(self.owner_feed(), 'Garden')
        edit = self.link(album, 'edit')
        version = int(album.get('{http://schemas.google.com/g/2005}etag').strip('"'))
        reply = self.patch(edit, 'access', 'public')
        entry = reply.xml()
        self.assertEqual(entry.findtext(G + 'access'), 'public')
        self.assertEqual(reply.headers['ETag'], '"%d"' % (version + 1))
        self.assertGreater(entry.findtext(A + 'updated'), album.findtext(A + 'updated'))
        # now the public feed shows it
        self.album_by_title(self.feed(USER), 'Garden')
        # with the current version instead of *
        entry = self.patch(self.link(entry, 'edit'), 'commentingEnabled', 'true',
                           if_match='"%d"' % (version + 1)).xml()
        self.assertEqual(entry.findtext(G + 'commentingEnabled'), 'true')
        self.assertEqual(entry.findtext(G + 'access'), 'public')
        self.patch(edit, 'commentingEnabled', 'false', if_match='"%d"' % version,
                   expect=412)
        state = self.control('GET', 'state')
        garden = [a for a in state['accounts'][0]['albums'] if a['title'] == 'Garden'][0]
        self.assertEqual((garden['access'], garden['commenting'], garden['version']),
                         ('public', True, version + 2))

    def test_patch_refusals(self):
        edit = self.link(self.album_by_title(self.owner_feed(), 'Family'), 'edit')
        self.assertIn('Invalid value', self.patch(edit, 'access', '', expect=400).text)
        self.patch(edit, 'access', 'everyone', expect=400)
        self.patch(edit, 'commentingEnabled', 'maybe', expect=400)
        self.patch(edit, 'access', 'public', if_match=None, expect=200)
        self.patch(edit, 'access', 'public', if_match=None, expect=412)  # old version
        friend = self.login('friend@example.com', 'friend')
        self.patch(edit, 'access', 'public', token=friend, expect=403)
        reply = self.request('PATCH', self.path_of(edit),
                             PATCH % ('access', 'public', 'access'), {'If-Match': '*'})
        self.assertEqual(reply.status, 401)
        wrong_ns = PATCH.replace('photos/2007', 'photos/2008') % ('access', 'public', 'access')
        reply = self.request('PATCH', self.path_of(edit), wrong_ns, {'If-Match': '*'},
                             self.token)
        self.assertEqual(reply.status, 400)
        gone = edit.replace('/albumid/', '/albumid/9')
        self.patch(gone, 'access', 'public', expect=404)

    def test_patch_of_several_fields_with_the_entrys_etag(self):
        album = self.album_by_title(self.owner_feed(), 'Garden')
        etag = album.get('{http://schemas.google.com/g/2005}etag')
        body = ("<entry xmlns='http://www.w3.org/2005/Atom'\n"
                "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
                "  <title type='text'>%s</title>\n"
                "  <summary type='text'>%s</summary>\n"
                "  <gphoto:location>%s</gphoto:location>\n"
                "  <gphoto:timestamp>1332572400000</gphoto:timestamp>\n"
                "</entry>\n") % (escape('Tom & Jerry <富士山>'), escape('a < b'), escape('R&D'))
        headers = {'Content-Type': 'application/xml', 'If-Match': etag}
        path = self.path_of(self.link(album, 'edit'))
        reply = self.request('PATCH', path, body.encode('utf-8'), headers, self.token)
        self.assertEqual(reply.status, 200, reply.text)
        entry = reply.xml()
        self.assertEqual(entry.findtext(A + 'title'), 'Tom & Jerry <富士山>')
        self.assertEqual(entry.findtext(A + 'summary'), 'a < b')
        self.assertEqual(entry.findtext(G + 'location'), 'R&D')
        self.assertEqual(entry.findtext(G + 'timestamp'), '1332572400000')
        self.assertEqual(entry.findtext(A + 'published'), '2012-03-24T07:00:00.000Z', 'in step with the date')
        self.assertEqual(entry.findtext(G + 'access'), 'private')
        # the same etag again is an old version now
        reply = self.request('PATCH', path, body.encode('utf-8'), headers, self.token)
        self.assertEqual(reply.status, 412, reply.text)

    def test_delete(self):
        feed = self.owner_feed()
        album = self.album_by_title(feed, 'Hokkaido summer')
        photos_path = self.path_of(self.link(album, 'http://schemas.google.com/g/2005#feed'))
        before = self.control('GET', 'state')['counts']['photos']
        self.assertEqual(self.request('GET', photos_path).status, 200)
        edit = self.link(album, 'edit')
        friend = self.login('friend@example.com', 'friend')
        self.assertEqual(self.request('DELETE', self.path_of(edit), None,
                                      {'If-Match': '*'}, friend).status, 403)
        reply = self.request('DELETE', self.path_of(edit), None, {'If-Match': '*'},
                             self.token)
        self.assertEqual(reply.status, 200)
        self.assertEqual(reply.body, b'')
        self.assertEqual(reply.headers['Content-Length'], '0')
        titles = [e.findtext(A + 'title') for e in self.owner_feed().findall(A + 'entry')]
        self.assertNotIn('Hokkaido summer', titles)
        self.assertEqual(len(titles), 11)
        self.assertEqual(self.request('GET', photos_path, token=self.token).status, 404)
        after = self.control('GET', 'state')['counts']['photos']
        self.assertEqual(before - after, int(album.findtext(G + 'numphotos')))
        self.assertEqual(self.request('DELETE', self.path_of(edit), None,
                                      {'If-Match': '*'}, self.token).status, 404)


if __name__ == '__main__':
    unittest.main()
