"""Atom feeds and entries of the photo API, and reading of posted entries.

Feeds are written as text with the prefixes the clients look for
(gphoto:, media:, gd:, openSearch:) and single-quoted attributes, the way
the service wrote them. Every absolute address is made from `base`, the
scheme and Host of the request being answered.
"""
import datetime
import re
import xml.etree.ElementTree as ET
from urllib.parse import quote

ATOM = 'http://www.w3.org/2005/Atom'
GPHOTO = 'http://schemas.google.com/photos/2007'
MEDIA = 'http://search.yahoo.com/mrss/'
GD = 'http://schemas.google.com/g/2005'
OPENSEARCH = 'http://a9.com/-/spec/opensearch/1.1/'
KIND_SCHEME = GD + '#kind'

NAMESPACES = ("xmlns='%s' xmlns:openSearch='%s' xmlns:gphoto='%s' "
              "xmlns:media='%s' xmlns:gd='%s'" % (ATOM, OPENSEARCH, GPHOTO,
                                                  MEDIA, GD))
XML_DECL = "<?xml version='1.0' encoding='UTF-8'?>"
CONTENT_TYPE = 'application/atom+xml; charset=UTF-8'
QUIET_ACCOUNT_UPDATED = 1230768000000     # 2009-01-01: feeds without albums

_INVALID_XML = re.compile('[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]')


def esc(text):
    """Text content: & < > escaped, characters XML cannot carry dropped."""
    text = _INVALID_XML.sub('', str(text))
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


def attr(text):
    """A single-quoted attribute value."""
    return "'%s'" % esc(text).replace("'", '&apos;')


def atom_time(ms):
    """YYYY-MM-DDThh:mm:ss.mmmZ (UTC) of milliseconds since 1970."""
    t = datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=ms)
    return t.strftime('%Y-%m-%dT%H:%M:%S.') + '%03dZ' % (t.microsecond // 1000)


def seg(text):
    """One path segment of an address the service hands out."""
    return quote(str(text), safe='@!$()*,;:-._~')


class Links:
    """The addresses of an account's feeds, entries, pages and media."""

    def __init__(self, base, account, media_host='', originals=False):
        self.base = base
        self.user = seg(account['name'])
        self.media_base = base
        if media_host:
            scheme, _, host = base.partition('://')
            port = host.rpartition(':')[2] if ':' in host.split(']')[-1] else ''
            self.media_base = '%s://%s%s' % (scheme, media_host,
                                             ':' + port if port else '')
        self.originals = originals

    def user_feed(self):
        return '%s/data/feed/api/user/%s' % (self.base, self.user)

    def album_feed(self, album):
        return '%s/albumid/%s' % (self.user_feed(), album['id'])

    def album_entry(self, album):
        return '%s/data/entry/api/user/%s/albumid/%s' % (
            self.base, self.user, album['id'])

    def album_edit(self, album):
        return '%s/%s' % (self.album_entry(album), album['version'])

    def photo_feed(self, album, photo):
        return '%s/photoid/%s' % (self.album_feed(album), photo['id'])

    def photo_entry(self, album, photo):
        return '%s/photoid/%s' % (self.album_entry(album), photo['id'])

    def photo_edit(self, album, photo):
        return '%s/%s' % (self.photo_entry(album, photo), photo.get('version', 1))

    def user_page(self):
        return '%s/%s' % (self.base, self.user)

    def album_page(self, album):
        return '%s/%s' % (self.user_page(), seg(album['name']))

    def photo_page(self, album, photo):
        return '%s/photo/%s' % (self.album_page(album), photo['id'])

    def image(self, album_id, photo, size=None):
        """Content address .../{dir}/{file}; with size .../{dir}/s{size}/{file};
        the content address of a photo is its original's (s0) when the feed
        was asked for originals."""
        directory = '%s/img/%s/%s' % (self.media_base, album_id, photo['id'])
        if size is None and self.originals and has_original(photo):
            size = 0
        if size is not None:
            directory += '/s%s' % size
        stem = photo['title'].rsplit('.', 1)[0]
        ext = PICTURE_EXTENSIONS.get(picture_type(photo), '.jpg')
        return '%s/%s' % (directory, seg(stem + ext))

    def album_cover(self, album, size=None):
        directory = '%s/img/%s/cover' % (self.base, album['id'])
        if size is not None:
            directory += '/s%s' % size
        return '%s/%s.jpg' % (directory, seg(album['name'] or 'cover'))

    def avatar(self):
        return '%s/img/avatar/%s/s48/avatar.jpg' % (self.base, self.user)

    def rendition(self, photo, index, mime):
        ext = 'flv' if 'flash' in mime else 'mp4'
        return '%s/video/%s/%d/%s.%s' % (
            self.media_base, photo['id'], index,
            seg(photo['title'].rsplit('.', 1)[0]), ext)


PICTURE_TYPES = {'jpg': 'image/jpeg', 'jpeg': 'image/jpeg', 'png': 'image/png',
                 'gif': 'image/gif', 'bmp': 'image/bmp'}
PICTURE_EXTENSIONS = {'image/jpeg': '.jpg', 'image/png': '.png',
                      'image/gif': '.gif', 'image/bmp': '.bmp'}


def picture_type(photo):
    """The type of a photo's picture as the service describes it: the type
    it was stored with, else the one its title names (JPEG without one); a
    video's still is a JPEG."""
    if photo.get('video'):
        return 'image/jpeg'
    if photo.get('mime'):
        return photo['mime']
    stem, dot, ext = photo['title'].rpartition('.')
    return PICTURE_TYPES.get(ext.lower(), 'image/jpeg') if dot else 'image/jpeg'


def has_original(photo):
    """Photos, and uploaded videos (they have no renditions of their own),
    are served whole at s0."""
    video = photo.get('video')
    return not video or not video.get('renditions')


def _link(rel, mime, href):
    return "<link rel=%s type=%s href=%s/>" % (attr(rel), attr(mime), attr(href))


def _category(kind):
    return "<category scheme=%s term=%s/>" % (attr(KIND_SCHEME),
                                              attr('%s#%s' % (GPHOTO, kind)))


def _g(name, value):
    return '<gphoto:%s>%s</gphoto:%s>' % (name, esc(value), name)


def _bool(flag):
    return 'true' if flag else 'false'


def etag(version):
    return '"%s"' % version


# -- album list ---------------------------------------------------------------

def album_entry(links, account, album, owner, root=False):
    """One album entry; root=True makes it a document of its own."""
    out = ['<entry %sgd:etag=%s>' % (NAMESPACES + ' ' if root else '',
                                      attr(etag(album['version'])))]
    out += [
        '<id>%s</id>' % esc(links.album_entry(album)),
        '<published>%s</published>' % atom_time(album['published']),
        '<updated>%s</updated>' % atom_time(album['updated']),
        _category('album'),
        "<title type='text'>%s</title>" % esc(album['title']),
        "<summary type='text'>%s</summary>" % esc(album['summary']),
        "<rights type='text'>%s</rights>" % esc(album['access']),
        _link(GD + '#feed', 'application/atom+xml', links.album_feed(album)),
        _link('alternate', 'text/html', links.album_page(album)),
        _link('self', 'application/atom+xml', links.album_entry(album)),
    ]
    if owner:
        out.append(_link('edit', 'application/atom+xml', links.album_edit(album)))
    out += [
        '<author><name>%s</name><uri>%s</uri></author>' % (
            esc(account['nickname']), esc(links.user_page())),
        _g('id', album['id']),
        _g('name', album['name']),
        _g('location', album['location']),
        _g('access', album['access']),
        _g('timestamp', album['timestamp']),
        _g('numphotos', album['numphotos']),
    ]
    if owner:
        out.append(_g('numphotosremaining', max(
            account['max_photos_per_album'] - album['numphotos'], 0)))
    out += [
        _g('bytesUsed', album['bytes_used']),
        _g('user', account['name']),
        _g('nickname', account['nickname']),
        _g('commentingEnabled', _bool(album['commenting'])),
        _g('commentCount', album['comment_count']),
        '<media:group>',
        "<media:content url=%s type='image/jpeg' medium='image'/>" % attr(
            links.album_cover(album)),
        "<media:credit>%s</media:credit>" % esc(account['nickname']),
        "<media:description type='plain'>%s</media:description>" % esc(
            album['summary']),
        '<media:keywords/>',
        "<media:thumbnail url=%s height='160' width='160'/>" % attr(
            links.album_cover(album, '160-c')),
        "<media:title type='plain'>%s</media:title>" % esc(album['title']),
        '</media:group>',
        '</entry>',
    ]
    text = '\n'.join(out)
    return XML_DECL + '\n' + text if root else text


def _feed_head(feed_id, updated, title, subtitle, icon, links_xml, author,
               total, start, per_page):
    return [
        XML_DECL,
        '<feed %s>' % NAMESPACES,
        '<id>%s</id>' % esc(feed_id),
        '<updated>%s</updated>' % atom_time(updated),
    ] + [title, "<subtitle type='text'>%s</subtitle>" % esc(subtitle),
         '<icon>%s</icon>' % esc(icon)] + links_xml + [
        author,
        "<generator version='1.00' uri='%s'>Photo service</generator>" % esc(
            feed_id.split('/data/')[0] + '/'),
        '<openSearch:totalResults>%d</openSearch:totalResults>' % total,
        '<openSearch:startIndex>%d</openSearch:startIndex>' % start,
        '<openSearch:itemsPerPage>%d</openSearch:itemsPerPage>' % per_page,
    ]


class Page:
    """Where one page of a feed's `total` entries starts and how many it may
    hold: max-results of them (never more than the page size) from
    start-index (1-based) on. `fill` takes the entries read for it; the page
    then names the next page when entries follow."""

    def __init__(self, total, start_index=1, max_results=None, page_size=None):
        self.total = total
        self.start = max(start_index, 1)
        per_page = max_results
        if page_size is not None:
            per_page = page_size if per_page is None else min(per_page, page_size)
        self.per_page = None if per_page is None else max(per_page, 0)
        self.items = []

    @property
    def offset(self):
        return self.start - 1

    @property
    def limit(self):
        return self.per_page

    def fill(self, items):
        self.items = list(items)
        return self

    @property
    def more(self):
        # A page of nothing names no next page: it would be this one again.
        return bool(self.per_page) and self.offset + len(self.items) < self.total

    def items_per_page(self):
        return len(self.items) if self.per_page is None else self.per_page

    def next_link(self, feed_url, keep=''):
        """The next page's link; `keep` is query text the next page is to
        be asked with too, as the first page was."""
        if not self.more:
            return []
        href = '%s?start-index=%d&max-results=%d%s' % (
            feed_url, self.start + len(self.items), self.per_page, keep)
        return [_link('next', 'application/atom+xml', href)]


def user_feed(links, account, page, updated, owner, quota_current):
    """The album list: one filled Page of it; `updated` is the latest change
    of any of the albums shown to this caller (None when there are none)."""
    if updated is None:
        updated = QUIET_ACCOUNT_UPDATED
    feed_links = [
        _link(GD + '#feed', 'application/atom+xml', links.user_feed()),
        _link('alternate', 'text/html', links.user_page()),
    ]
    if owner:
        feed_links.append(_link(GD + '#post', 'application/atom+xml',
                                links.user_feed()))
    feed_links.append(_link('self', 'application/atom+xml', links.user_feed()))
    feed_links += page.next_link(links.user_feed())
    out = _feed_head(
        links.user_feed(), updated,
        "<title type='text'>%s</title>" % esc(account['name']), '',
        links.avatar(), feed_links,
        '<author><name>%s</name><uri>%s</uri></author>' % (
            esc(account['nickname']), esc(links.user_page())),
        page.total, page.start, page.items_per_page())
    out += [
        _g('user', account['name']),
        _g('nickname', account['nickname']),
        _g('thumbnail', links.avatar()),
    ]
    if owner:
        out += [_g('quotalimit', account['quota_limit']),
                _g('quotacurrent', quota_current)]
    out.append(_g('maxPhotosPerAlbum', account['max_photos_per_album']))
    out += [album_entry(links, account, a, owner) for a in page.items]
    out.append('</feed>')
    return '\n'.join(out)


# -- photos -----------------------------------------------------------------

def _photo_fields(photo, album, with_views=False):
    video = photo.get('video')
    fields = [
        _g('id', photo['id']),
        _g('version', photo.get('version', 1)),
        _g('position', '%.1f' % photo['position']),
        _g('albumid', album['id']),
        _g('access', album['access']),
        _g('width', photo['width']),
        _g('height', photo['height']),
        _g('size', photo['size']),
        _g('client', ''),
        _g('checksum', ''),
        _g('timestamp', photo['timestamp']),
        _g('imageVersion', photo['id'] % 100000),
        _g('commentingEnabled', _bool(album['commenting'])),
    ]
    if with_views:
        fields.append(_g('viewCount', photo['view_count']))
    fields.append(_g('commentCount', photo['comment_count']))
    if video:
        fields.append(_g('videostatus', 'final'))
        fields.append("<gphoto:originalvideo width=%s height=%s type=%s "
                      "duration=%s fps=%s/>" % (
                          attr(video['width']), attr(video['height']),
                          attr(video['type']), attr(video['duration']),
                          attr(video['fps'])))
    return fields


def _media_group(links, account, album, photo):
    out = ['<media:group>']
    w, h = photo['width'], photo['height']
    out.append("<media:content url=%s height=%s width=%s type=%s "
               "medium='image'/>" % (attr(links.image(album['id'], photo)),
                                     attr(h), attr(w), attr(picture_type(photo))))
    video = photo.get('video')
    for index, (mime, rw, rh) in enumerate(video['renditions'] if video else ()):
        out.append("<media:content url=%s height=%s width=%s type=%s "
                   "medium='video'/>" % (attr(links.rendition(photo, index, mime)),
                                         attr(rh), attr(rw), attr(mime)))
    out += [
        "<media:credit>%s</media:credit>" % esc(account['nickname']),
        "<media:description type='plain'>%s</media:description>" % esc(
            photo['summary']),
        '<media:keywords>%s</media:keywords>' % esc(photo['tags'].replace(',', ', ')),
    ]
    for side in (72, 144, 288):
        scale = side / max(w, h, 1)
        out.append("<media:thumbnail url=%s height=%s width=%s/>" % (
            attr(links.image(album['id'], photo, side)),
            attr(round(h * scale)), attr(round(w * scale))))
    out += ["<media:title type='plain'>%s</media:title>" % esc(photo['title']),
            '</media:group>']
    return out


def photo_entry(links, account, album, photo, owner=False, root=False):
    """One photo entry, with its edit link for the owner; root=True makes
    it a document of its own."""
    out = [
        '<entry %sgd:etag=%s>' % (NAMESPACES + ' ' if root else '',
                                  attr(etag(photo.get('version', 1)))),
        '<id>%s</id>' % esc(links.photo_entry(album, photo)),
        '<published>%s</published>' % atom_time(photo['published']),
        '<updated>%s</updated>' % atom_time(photo['updated']),
        _category('photo'),
        "<title type='text'>%s</title>" % esc(photo['title']),
        "<summary type='text'>%s</summary>" % esc(photo['summary']),
        "<content type=%s src=%s/>" % (attr(picture_type(photo)),
                                       attr(links.image(album['id'], photo))),
        _link(GD + '#feed', 'application/atom+xml', links.photo_feed(album, photo)),
        _link('alternate', 'text/html', links.photo_page(album, photo)),
        _link('self', 'application/atom+xml', links.photo_entry(album, photo)),
    ]
    if owner:
        out.append(_link('edit', 'application/atom+xml', links.photo_edit(album, photo)))
    out += _photo_fields(photo, album)
    out += _media_group(links, account, album, photo)
    out.append('</entry>')
    text = '\n'.join(out)
    return XML_DECL + '\n' + text if root else text


def album_feed(links, account, album, page, owner):
    """The photo feed of one album: one filled Page of its photos."""
    feed_links = [
        _link(GD + '#feed', 'application/atom+xml', links.album_feed(album)),
        _link('alternate', 'text/html', links.album_page(album)),
    ]
    if owner:
        feed_links.append(_link(GD + '#post', 'application/atom+xml',
                                links.album_feed(album)))
    feed_links.append(_link('self', 'application/atom+xml', links.album_feed(album)))
    feed_links += page.next_link(links.album_feed(album),
                                 '&imgmax=d' if links.originals else '')
    out = _feed_head(
        links.album_feed(album), album['updated'],
        "<title type='text'>%s</title>" % esc(album['title']), album['summary'],
        links.album_cover(album, '160-c'), feed_links,
        '<author><name>%s</name><uri>%s</uri></author>' % (
            esc(account['nickname']), esc(links.user_page())),
        page.total, page.start, page.items_per_page())
    out += [
        _g('id', album['id']),
        _g('name', album['name']),
        _g('location', album['location']),
        _g('access', album['access']),
        _g('timestamp', album['timestamp']),
        _g('numphotos', album['numphotos']),
        _g('user', account['name']),
        _g('nickname', account['nickname']),
        _g('commentingEnabled', _bool(album['commenting'])),
        _g('commentCount', album['comment_count']),
    ]
    if owner:
        out.append(_g('allowPrints', 'true'))
        out.append(_g('allowDownloads', 'true'))
    out += [photo_entry(links, account, album, p, owner) for p in page.items]
    out.append('</feed>')
    return '\n'.join(out)


def photo_detail_feed(links, account, album, photo, kinds):
    """The feed of one photo: its own fields at feed level, then one entry
    per tag when 'tag' is among the requested kinds."""
    feed_id = links.photo_feed(album, photo)
    tags = [t for t in photo['tags'].split(',') if t] if 'tag' in kinds else []
    out = _feed_head(
        feed_id, photo['updated'],
        "<title type='text'>%s</title>" % esc(photo['title']), photo['summary'],
        links.image(album['id'], photo, 288),
        [_link(GD + '#feed', 'application/atom+xml', feed_id),
         _link('alternate', 'text/html', links.photo_page(album, photo)),
         _link('self', 'application/atom+xml', feed_id)],
        '<author><name>%s</name><uri>%s</uri></author>' % (
            esc(account['nickname']), esc(links.user_page())),
        len(tags), 1, 1000)
    out += _photo_fields(photo, album, with_views=True)
    out.append("<gphoto:starred total=%s>false</gphoto:starred>" % attr(
        photo['star_count']))
    out += _media_group(links, account, album, photo)
    for tag in tags:
        out += [
            '<entry>',
            '<id>%s/tag/%s</id>' % (esc(feed_id), esc(seg(tag))),
            '<updated>%s</updated>' % atom_time(photo['updated']),
            _category('tag'),
            "<title type='text'>%s</title>" % esc(tag),
            "<summary type='text'>%s</summary>" % esc(tag),
            _link('alternate', 'text/html', '%s?tag=%s' % (
                links.user_page(), seg(tag))),
            _link('self', 'application/atom+xml', '%s/tag/%s' % (feed_id, seg(tag))),
            '<author><name>%s</name><uri>%s</uri></author>' % (
                esc(account['nickname']), esc(links.user_page())),
            '</entry>',
        ]
    out.append('</feed>')
    return '\n'.join(out)


# -- reading posted entries ---------------------------------------------------

class EntryError(ValueError):
    """A posted entry that cannot be used; the message says why."""


def _parse_entry(body):
    try:
        root = ET.fromstring(body)
    except ET.ParseError as e:
        raise EntryError('Malformed XML: %s' % e)
    if root.tag != '{%s}entry' % ATOM:
        raise EntryError('Expected an Atom entry element, got %s' % root.tag)
    return root


def _child(root, ns, name):
    el = root.find('{%s}%s' % (ns, name))
    if el is None:
        return None
    return ''.join(el.itertext())


def _access(value):
    if value not in ACCESS_VALUES:
        raise EntryError("Invalid value for gphoto:access: '%s' (expected %s)"
                         % (value, ', '.join(ACCESS_VALUES)))
    return value


ACCESS_VALUES = ('public', 'private', 'protected')


def _flag(value, name):
    v = value.strip().lower()
    if v not in ('true', 'false'):
        raise EntryError("Invalid value for gphoto:%s: '%s'" % (name, value))
    return v == 'true'


def _timestamp(value):
    try:
        return int(value.strip())
    except ValueError:
        raise EntryError("Invalid value for gphoto:timestamp: '%s'" % value)


def parse_new_album(body, default_access, now):
    """The fields of an album entry posted to a user feed."""
    root = _parse_entry(body)
    for cat in root.findall('{%s}category' % ATOM):
        if (cat.get('scheme') == KIND_SCHEME
                and cat.get('term') != GPHOTO + '#album'):
            raise EntryError('Only album entries can be posted here, not %s'
                             % cat.get('term'))
    access = _child(root, GPHOTO, 'access')
    access = _access(access.strip()) if access and access.strip() else default_access
    commenting = _child(root, GPHOTO, 'commentingEnabled')
    stamp = _child(root, GPHOTO, 'timestamp')
    return {
        'title': _child(root, ATOM, 'title') or '',
        'summary': _child(root, ATOM, 'summary') or '',
        'location': _child(root, GPHOTO, 'location') or '',
        'access': access,
        'commenting': True if commenting is None else _flag(commenting,
                                                            'commentingEnabled'),
        'timestamp': now if stamp is None or not stamp.strip() else _timestamp(stamp),
    }


def keyword_text(text):
    """Keywords as the store keeps them: trimmed, comma separated, each
    once, empty ones dropped."""
    seen = []
    for word in text.split(','):
        word = word.strip()
        if word and word not in seen:
            seen.append(word)
    return ','.join(seen)


def parse_photo_changes(body):
    """{column: value} of a partial photo entry sent with PATCH: title,
    summary, media:group/media:keywords and gphoto:albumid (a move)."""
    root = _parse_entry(body)
    changes = {}
    for name in ('title', 'summary'):
        value = _child(root, ATOM, name)
        if value is not None:
            changes[name] = value
    group = root.find('{%s}group' % MEDIA)
    keywords = group.find('{%s}keywords' % MEDIA) if group is not None else None
    if keywords is None:
        keywords = root.find('{%s}keywords' % MEDIA)
    if keywords is not None:
        changes['tags'] = keyword_text(''.join(keywords.itertext()))
    album = _child(root, GPHOTO, 'albumid')
    if album is not None:
        album = album.strip()
        if not album.isdigit() or len(album) > 19:
            raise EntryError("Invalid value for gphoto:albumid: '%s'" % album)
        changes['album_id'] = int(album)
    if not changes:
        raise EntryError('The entry holds no photo field that can be changed '
                         '(title, summary, media:keywords, gphoto:albumid)')
    return changes


def parse_album_changes(body):
    """{column: value} of a partial album entry sent with PATCH."""
    root = _parse_entry(body)
    changes = {}
    for name, column, convert in (
            ('access', 'access', lambda v: _access(v.strip())),
            ('commentingEnabled', 'commenting',
             lambda v: 1 if _flag(v, 'commentingEnabled') else 0),
            ('location', 'location', str),
            ('timestamp', 'timestamp', _timestamp)):
        value = _child(root, GPHOTO, name)
        if value is not None:
            changes[column] = convert(value)
    for name in ('title', 'summary'):
        value = _child(root, ATOM, name)
        if value is not None:
            changes[name] = value
    if not changes:
        raise EntryError('The entry holds no album field that can be changed '
                         '(gphoto:access, gphoto:commentingEnabled, '
                         'gphoto:location, gphoto:timestamp, title, summary)')
    return changes
