"""Photos and videos posted to an album's feed.

A body is spooled to a file in the data folder as it arrives, never held
whole in memory; only a body that arrived whole is looked at, so a client
that goes away mid-body leaves nothing behind. The stored bytes are served
back as the photo's original.
"""
import json
import os
import shutil
import struct
import tempfile
from urllib.parse import unquote_to_bytes

from . import feeds
from .store import PHOTO_COLUMNS, now_ms

PHOTO_LIMIT = 20 * 1024 * 1024          # bytes of one photo
VIDEO_LIMIT = 1024 * 1024 * 1024        # bytes of one video
PHOTO_TYPES = ('image/jpeg', 'image/png', 'image/gif', 'image/bmp')
VIDEO_TYPES = ('video/mp4', 'video/quicktime', 'video/avi', 'video/x-msvideo',
               'video/x-ms-wmv', 'video/mpeg', 'video/3gpp')
LOG_HEAD = 4096         # bytes of an upload's body the request log keeps
_COPY_PIECE = 1024 * 1024

SCHEMA = """
CREATE TABLE IF NOT EXISTS uploads (
    photo_id INTEGER PRIMARY KEY REFERENCES photos(id) ON DELETE CASCADE,
    file TEXT NOT NULL,               -- name in the data folder's uploads/
    mime TEXT NOT NULL
)"""


class Refused(Exception):
    def __init__(self, status, message):
        super().__init__(message)
        self.status = status
        self.message = message


def is_upload(method, segments):
    """A POST to .../data/feed/api/user/{user}/albumid/{id}."""
    return (method == 'POST' and len(segments) == 7 and
            segments[:4] == ['data', 'feed', 'api', 'user'] and
            segments[5] == 'albumid')


class Spooled:
    """A request body in a file of its own; head: its first bytes."""

    def __init__(self, path, length, head):
        self.path, self.length, self.head = path, length, head

    def discard(self):
        if self.path and os.path.exists(self.path):
            os.remove(self.path)
        self.path = None


def folder(store):
    """The uploads/ folder beside the store's database."""
    path = os.path.join(os.path.dirname(os.path.abspath(store.path)), 'uploads')
    os.makedirs(path, exist_ok=True)
    return path


def spool(rfile, headers, directory):
    """Reads a body of Content-Length bytes into a new file in directory.
    A body larger than any upload may be is refused before it is read; a
    body cut short removes the file and raises ConnectionError."""
    length = headers.get('Content-Length')
    if length is None:
        raise Refused(411, 'Content-Length required')
    try:
        n = int(length.strip())
    except ValueError:
        raise Refused(400, 'Invalid Content-Length: %r' % length)
    if n < 0:
        raise Refused(400, 'Content-Length out of range: %d' % n)
    if n > VIDEO_LIMIT + 64 * 1024:
        raise Refused(413, 'Request too large')
    fd, path = tempfile.mkstemp(prefix='part-', dir=directory)
    head, left = b'', n
    try:
        with os.fdopen(fd, 'wb') as out:
            while left > 0:
                piece = rfile.read(min(left, _COPY_PIECE))
                if not piece:
                    raise ConnectionError('request body cut short')
                if len(head) < LOG_HEAD:
                    head += piece[:LOG_HEAD - len(head)]
                out.write(piece)
                left -= len(piece)
    except BaseException:
        os.remove(path)
        raise
    return Spooled(path, n, head)


# -- what was sent -----------------------------------------------------------

def base_type(content_type):
    return (content_type or '').split(';')[0].strip().lower()


def _param(content_type, name):
    for part in (content_type or '').split(';')[1:]:
        key, _, value = part.partition('=')
        if key.strip().lower() == name:
            return value.strip().strip('"')
    return None


def slug_title(header):
    """The file name a Slug header carries, percent-encoded UTF-8."""
    if not header:
        return ''
    raw = unquote_to_bytes(header.encode('latin-1', errors='replace'))
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('latin-1')


def _part_headers(block):
    headers = {}
    for line in block.split(b'\r\n'):
        name, _, value = line.partition(b':')
        if value:
            headers[name.strip().lower().decode('latin-1')] = value.strip().decode('latin-1')
    return headers


def split_related(f, length, content_type):
    """(entry bytes, media type, media offset, media length) of a
    multipart/related body: an Atom entry part, then the media part."""
    boundary = _param(content_type, 'boundary')
    if not boundary:
        raise Refused(400, 'multipart/related without a boundary')
    delimiter = b'--' + boundary.encode('latin-1')
    # The entry and the media part's headers are near the start.
    f.seek(0)
    start = f.read(min(length, 256 * 1024))
    parts, pos = [], start.find(delimiter)
    while pos >= 0 and len(parts) < 2:
        header_end = start.find(b'\r\n\r\n', pos)
        if header_end < 0:
            break
        headers = _part_headers(start[pos + len(delimiter):header_end])
        body_at = header_end + 4
        parts.append((headers, body_at))
        pos = start.find(b'\r\n' + delimiter, body_at)
        if pos >= 0:
            pos += 2
        if len(parts) == 1 and pos < 0:
            break
    if len(parts) < 2:
        raise Refused(400, 'multipart/related needs an entry part and a media part')
    (entry_headers, entry_at), (media_headers, media_at) = parts
    entry_end = start.rfind(b'\r\n' + delimiter, entry_at, media_at)
    entry = start[entry_at:entry_end]
    # The media part ends at the closing delimiter, near the end.
    tail_at = max(media_at, length - 4096)
    f.seek(tail_at)
    tail = f.read()
    close = tail.rfind(b'\r\n' + delimiter + b'--')
    if close < 0:
        raise Refused(400, 'multipart/related without its closing boundary')
    media_end = tail_at + close
    return entry, base_type(media_headers.get('content-type')), media_at, media_end - media_at


def entry_fields(entry):
    """(title, summary) of a posted photo entry."""
    try:
        root = feeds._parse_entry(entry)
    except feeds.EntryError as e:
        raise Refused(400, str(e))
    return (feeds._child(root, feeds.ATOM, 'title') or '',
            feeds._child(root, feeds.ATOM, 'summary') or '')


# -- picture sizes ------------------------------------------------------------

def picture_size(f, offset, length):
    """(width, height) from a PNG, GIF or JPEG header; (0, 0) when unknown."""
    f.seek(offset)
    head = f.read(min(length, 32))
    if head[:8] == b'\x89PNG\r\n\x1a\n' and head[12:16] == b'IHDR' and len(head) >= 24:
        return struct.unpack('>II', head[16:24])
    if head[:6] in (b'GIF87a', b'GIF89a') and len(head) >= 10:
        return struct.unpack('<HH', head[6:10])
    if head[:2] == b'\xff\xd8':
        return _jpeg_size(f, offset, length)
    return 0, 0


_SOF = set(range(0xC0, 0xD0)) - {0xC4, 0xC8, 0xCC}


def _jpeg_size(f, offset, length):
    """Walks the segments (by their lengths, so large metadata costs
    nothing) to the first start-of-frame."""
    pos, end = offset + 2, offset + length
    while pos + 4 <= end:
        f.seek(pos)
        marker = f.read(4)
        if len(marker) < 4 or marker[0] != 0xFF:
            return 0, 0
        kind = marker[1]
        if kind == 0xFF:            # fill byte
            pos += 1
            continue
        if kind in (0xD8, 0x01) or 0xD0 <= kind <= 0xD7:
            pos += 2
            continue
        size = struct.unpack('>H', marker[2:4])[0]
        if kind in _SOF:
            frame = f.read(5)
            if len(frame) < 5:
                return 0, 0
            height, width = struct.unpack('>HH', frame[1:5])
            return width, height
        if kind == 0xDA or size < 2:
            return 0, 0
        pos += 2 + size
    return 0, 0


# -- the upload -----------------------------------------------------------------

def upload(api, req, user, album_id):
    """POST to an album's feed: the new photo's entry (201), or why not."""
    account = api.owner(req, user)
    album = api.visible_album(account, album_id, owner=True)
    spooled = getattr(req, 'upload', None)
    if spooled is None:
        raise Refused(400, 'No body')
    content_type = req.headers.get('Content-Type', '')
    title = slug_title(req.headers.get('Slug'))
    summary = ''
    with open(spooled.path, 'rb') as f:
        if base_type(content_type) == 'multipart/related':
            entry, mime, offset, length = split_related(f, spooled.length,
                                                        content_type)
            entry_title, summary = entry_fields(entry)
            title = entry_title or title
        else:
            mime, offset, length = base_type(content_type), 0, spooled.length
        video = mime in VIDEO_TYPES
        if mime not in PHOTO_TYPES and not video:
            raise Refused(400, 'Content type not supported: %s' % (mime or 'none'))
        if length == 0:
            raise Refused(400, 'Empty media')
        limit = VIDEO_LIMIT if video else PHOTO_LIMIT
        if length > limit:
            raise Refused(413, 'Media too large: %d bytes, at most %d' % (length, limit))
        width, height = (0, 0) if video else picture_size(f, offset, length)
    store = api.store
    used = store.quota_current(account['id'])
    if used + length > account['quota_limit']:
        raise Refused(403, 'Quota exceeded: %d of %d bytes used' % (
            used, account['quota_limit']))
    if album['numphotos'] >= account['max_photos_per_album']:
        raise Refused(403, 'Photo limit reached: %d photos in the album' %
                      album['numphotos'])
    directory = os.path.dirname(spooled.path)
    name = os.path.basename(spooled.path).replace('part-', 'media-', 1)
    keep(spooled, offset, length, os.path.join(directory, name))
    photo = store_photo(store, album, title or 'Untitled', summary, width,
                        height, length, mime, video, name)
    links = feeds.Links(req.base, account)
    album = store.get_album(account['id'], album['id'])
    xml = feeds.photo_entry(links, account, album, photo, owner=True).replace(
        '<entry ', '<entry %s ' % feeds.NAMESPACES, 1)
    return feeds.CONTENT_TYPE, xml, [('Location', links.photo_entry(album, photo))]


def keep(spooled, offset, length, path):
    """Moves the media bytes of a spooled body to path."""
    if offset == 0 and length == spooled.length:
        os.replace(spooled.path, path)
        spooled.path = None
        return
    with open(spooled.path, 'rb') as src, open(path, 'wb') as out:
        src.seek(offset)
        left = length
        while left > 0:
            piece = src.read(min(left, _COPY_PIECE))
            if not piece:
                break
            out.write(piece)
            left -= len(piece)
    spooled.discard()


def ensure_schema(store):
    if not getattr(store, 'uploads_ready', False):
        with store.transaction() as db:
            db.execute(SCHEMA)
        store.uploads_ready = True


def store_photo(store, album, title, summary, width, height, size, mime,
                video, file_name):
    """Adds the photo at the end of the album, with its stored file."""
    ensure_schema(store)
    now = now_ms()
    info = {'width': width, 'height': height, 'type': mime, 'duration': 0,
            'fps': 0, 'renditions': []} if video else None
    with store.transaction() as db:
        top = db.execute('SELECT MAX(id) FROM photos').fetchone()[0]
        photo_id = (top or 5300000000000000000) + 1
        last = db.execute('SELECT MAX(position) FROM photos WHERE album_id = ?',
                          (album['id'],)).fetchone()[0]
        row = {'id': photo_id, 'album_id': album['id'],
               'position': (last or 0) + 1, 'title': title, 'summary': summary,
               'width': width, 'height': height, 'size': size, 'timestamp': now,
               'published': now, 'updated': now, 'view_count': 0,
               'comment_count': 0, 'star_count': 0, 'tags': '',
               'video': json.dumps(info) if info else None,
               'mime': None if video else mime}
        db.execute('INSERT INTO photos (%s) VALUES (%s)' % (
            ', '.join(PHOTO_COLUMNS), ', '.join('?' * len(PHOTO_COLUMNS))),
            tuple(row[c] for c in PHOTO_COLUMNS))
        db.execute('INSERT INTO uploads (photo_id, file, mime) VALUES (?, ?, ?)',
                   (photo_id, file_name, mime))
        db.execute('UPDATE albums SET updated = ? WHERE id = ?', (now, album['id']))
    return store.photo_by_id(photo_id)


def stored(store, photo_id):
    """(file name, type) of an uploaded photo; None for any other."""
    ensure_schema(store)
    with store.lock:
        row = store.db.execute('SELECT file, mime FROM uploads WHERE photo_id = ?',
                               (photo_id,)).fetchone()
    return (row[0], row[1]) if row else None


def original(store, segments, query):
    """(bytes, type) of an uploaded photo's or video's original for an image
    address (segments after 'img') that asks for it (s0, or imgmax=d); else
    None. An uploaded photo is served whole at any size too: the stand-in
    does not scale pictures, and a client fits what it gets into its room
    (a video's smaller sizes stay its generated still)."""
    wants = query.get('imgmax') == 'd' or any(s == 's0' for s in segments[:-1])
    if len(segments) < 3 or not segments[1].isdigit() or len(segments[1]) > 19:
        return None
    found = stored(store, int(segments[1]))
    if found is None or not (wants or found[1].startswith('image/')):
        return None
    with open(os.path.join(folder(store), found[0]), 'rb') as f:
        return f.read(), found[1]

