"""The two services: ClientLogin and the photo API, plus pages and media.

`PhotoApi.dispatch` takes a parsed `Request` and returns a `Response`; it
knows nothing of sockets, faults or the request log.
"""
import re
import secrets
from urllib.parse import unquote_to_bytes

from . import feeds, media, pages, uploads
from .store import DEFAULT_ACCESS, now_ms


class Request:
    def __init__(self, method, raw_path, query, headers, body, base):
        self.method = method          # 'GET', 'POST', ...
        self.raw_path = raw_path      # bytes, as received, without the query
        self.segments = path_segments(raw_path)
        self.query = query            # {name: value} of the query string
        self.headers = headers        # email.message.Message
        self.body = body              # bytes
        self.base = base              # 'http://localhost:1234'


class Response:
    def __init__(self, status, body=b'', content_type=None, headers=()):
        self.status = status
        self.body = body.encode('utf-8') if isinstance(body, str) else body
        self.content_type = content_type
        self.headers = list(headers)


class HttpError(Exception):
    def __init__(self, status, message, headers=()):
        super().__init__(message)
        self.status = status
        self.message = message
        self.headers = headers


def text(status, message, headers=()):
    return Response(status, message + '\n', 'text/plain; charset=UTF-8', headers)


def html(status, body):
    return Response(status, body, 'text/html; charset=UTF-8')


def atom(status, xml, headers=()):
    return Response(status, xml, feeds.CONTENT_TYPE, headers)


def decodings(raw):
    """Every reading of bytes that a client may have meant: UTF-8, the
    Japanese and the Western Windows code pages, Latin-1."""
    seen = []
    for codec in ('utf-8', 'cp932', 'cp1252', 'latin-1'):
        try:
            value = raw.decode(codec)
        except UnicodeDecodeError:
            continue
        if value not in seen:
            seen.append(value)
    return seen


def decode(raw):
    return decodings(raw)[0]


def path_segments(raw_path):
    """Percent-decoded segments of a path, empty ones dropped."""
    return [decode(unquote_to_bytes(s)) for s in raw_path.split(b'/') if s]


def parse_form(body):
    """A urlencoded form, tolerant of unescaped bytes; keys in lower case,
    values as bytes; the first of repeated keys wins."""
    fields = {}
    for part in body.split(b'&'):
        if not part:
            continue
        key, _, value = part.partition(b'=')
        key = decode(unquote_to_bytes(key.replace(b'+', b' '))).strip().lower()
        fields.setdefault(key, unquote_to_bytes(value.replace(b'+', b' ')))
    return fields


def kind_of(method, segments):
    """A short name of what a request addresses, for the counters."""
    s = segments
    if s[:2] == ['accounts', 'ClientLogin']:
        return 'clientlogin'
    if s[:4] == ['data', 'feed', 'api', 'user']:
        if len(s) >= 8 and s[5] == 'albumid' and s[7:8] == ['photoid']:
            return 'photo_feed'
        if len(s) >= 7 and s[5] == 'albumid':
            return 'album_feed'
        return 'album_create' if method == 'POST' else 'user_feed'
    if s[:4] == ['data', 'entry', 'api', 'user']:
        if len(s) >= 8 and s[7:8] == ['photoid']:
            return {'PATCH': 'photo_patch', 'DELETE': 'photo_delete'}.get(
                method, 'photo_entry')
        return {'PATCH': 'album_patch', 'DELETE': 'album_delete'}.get(
            method, 'album_entry')
    if s[:1] == ['img']:
        return 'image'
    if s[:1] == ['video']:
        return 'video'
    if s[:1] == ['accounts']:
        return 'accounts_page'
    return 'page'


_AUTH = re.compile(r'^\s*GoogleLogin\s+auth\s*=\s*"?([^"\s]*)"?\s*$', re.I)
_LOGIN_ERROR_STATUS = {'ServiceUnavailable': 503}


DEFAULT_PAGE_SIZE = 1000


class PhotoApi:
    def __init__(self, store, page_size=DEFAULT_PAGE_SIZE):
        self.store = store
        # Most entries one page of the album list or of a photo list holds.
        self.page_size = page_size
        # Another host name of this server (same scheme and port) that the
        # feeds give photos' and videos' addresses on, so that media come
        # from another origin than the feeds; '' keeps the request's host.
        self.media_host = ''

    def links(self, req, account):
        """The addresses of the answer to req: imgmax=d makes a photo's
        content address its original."""
        return feeds.Links(req.base, account, media_host=self.media_host,
                           originals=req.query.get('imgmax') == 'd')

    def dispatch(self, req):
        try:
            return self._route(req)
        except HttpError as e:
            return text(e.status, e.message, e.headers)

    def _route(self, req):
        s, method = req.segments, req.method
        read = method in ('GET', 'HEAD')
        if s[:1] == ['accounts']:
            if s[1:] == ['ClientLogin']:
                self._allow(method, 'POST')
                return self.client_login(req)
            if s[1:] == ['Captcha'] and read:
                return Response(200, media.png(200, 70, 7), 'image/png')
            if s[1:] == ['ErrorMsg'] and read:
                return html(200, pages.login_error(req.query.get('Error', '')))
            raise HttpError(404, 'Not found')
        if s[:3] == ['data', 'feed', 'api'] and s[3:4] == ['user'] and len(s) >= 5:
            return self._feed(req, s[4], s[5:])
        if s[:3] == ['data', 'entry', 'api'] and s[3:4] == ['user'] and len(s) >= 5:
            return self._entry(req, s[4], s[5:])
        if s[:1] == ['img'] and len(s) >= 3 and read:
            found = uploads.original(self.store, s[1:], req.query)
            if found:
                return Response(200, found[0], found[1])
            return self.image(s[1:])
        if s[:1] == ['video'] and len(s) >= 3 and read:
            return self.video(s[1:])
        if read:
            return self.page(req)
        raise HttpError(405, 'Method not allowed', [('Allow', 'GET, HEAD')])

    @staticmethod
    def _allow(method, *allowed):
        if method not in allowed:
            raise HttpError(405, 'Method not allowed', [('Allow', ', '.join(allowed))])

    # -- ClientLogin ------------------------------------------------------------

    def client_login(self, req):
        fields = parse_form(req.body)
        account = None
        for name in decodings(fields.get('email', b'')):
            account = self.store.find_account(name)
            if account:
                break
        if not account or not any(self.store.password_matches(account, p)
                                  for p in decodings(fields.get('passwd', b''))):
            return text(403, 'Error=BadAuthentication')
        error = account['login_error']
        if error:
            lines = ['Error=' + error,
                     'Url=%s/accounts/ErrorMsg?Error=%s' % (req.base, error)]
            if error == 'CaptchaRequired':
                ctoken = secrets.token_urlsafe(24)
                lines += ['CaptchaToken=' + secrets.token_urlsafe(48),
                          'CaptchaUrl=Captcha?ctoken=' + ctoken]
            return text(_LOGIN_ERROR_STATUS.get(error, 403), '\n'.join(lines))
        token = self.store.issue_token(account['id'])
        return text(200, 'SID=%s\nLSID=%s\nAuth=%s' % (
            secrets.token_urlsafe(48), secrets.token_urlsafe(48), token))

    # -- who asks, about whom ----------------------------------------------------

    def caller(self, req):
        """The account whose token the request carries; None without one."""
        header = req.headers.get('Authorization')
        if header is None:
            return None
        m = _AUTH.match(header)
        account = self.store.account_for_token(m.group(1)) if m and m.group(1) else None
        if account is None:
            raise HttpError(401, 'Token invalid')
        return account

    def owner(self, req, user):
        """For changes: the caller, who must be the account named by user."""
        caller = self.caller(req)
        if caller is None:
            raise HttpError(401, 'Authorization required')
        account = self.account(user, caller)
        if account['id'] != caller['id']:
            raise HttpError(403, 'Not authorized to change the albums of this user')
        return account

    def account(self, user, caller):
        if user == 'default':
            if caller is None:
                raise HttpError(401, 'Authorization required')
            return caller
        account = self.store.find_account(user)
        if account is None:
            raise HttpError(404, 'Unknown user.')
        return account

    @staticmethod
    def _id(text):
        if not text.isdigit() or len(text) > 19:
            raise HttpError(404, 'No album found.')
        return int(text)

    def visible_album(self, account, album_id, owner):
        album = self.store.get_album(account['id'], self._id(album_id))
        if album is None or (not owner and album['access'] != 'public'):
            raise HttpError(404, 'No album found.')
        return album

    @staticmethod
    def _paging(req):
        def number(name, default):
            try:
                return int(req.query[name])
            except (KeyError, ValueError):
                return default
        return number('start-index', 1), number('max-results', None)

    # -- feeds ------------------------------------------------------------------

    def _feed(self, req, user, rest):
        method = req.method
        if not rest:
            self._allow(method, 'GET', 'HEAD', 'POST')
            if method == 'POST':
                return self.create_album(req, user)
            return self.user_feed(req, user)
        if rest[0] == 'albumid' and len(rest) == 2:
            self._allow(method, 'GET', 'HEAD', 'POST')
            if method == 'POST':
                return self.upload(req, user, rest[1])
            return self.album_feed(req, user, rest[1])
        if rest[0] == 'albumid' and len(rest) == 4 and rest[2] == 'photoid':
            self._allow(method, 'GET', 'HEAD')
            return self.photo_feed(req, user, rest[1], rest[3])
        raise HttpError(404, 'Not found')

    def user_feed(self, req, user):
        caller = self.caller(req)
        account = self.account(user, caller)
        owner = caller is not None and caller['id'] == account['id']
        public_only = not owner
        summary = self.store.album_summary(account['id'], public_only)
        page = feeds.Page(summary['count'], *self._paging(req),
                          page_size=self.page_size)
        page.fill(self.store.list_albums(account['id'], public_only,
                                         page.offset, page.limit))
        quota = self.store.quota_current(account['id']) if owner else None
        return atom(200, feeds.user_feed(self.links(req, account), account,
                                         page, summary['updated'], owner, quota))

    def album_feed(self, req, user, album_id):
        caller = self.caller(req)
        account = self.account(user, caller)
        owner = caller is not None and caller['id'] == account['id']
        album = self.visible_album(account, album_id, owner)
        page = feeds.Page(album['numphotos'], *self._paging(req),
                          page_size=self.page_size)
        page.fill(self.store.list_photos(album['id'], page.offset, page.limit))
        return atom(200, feeds.album_feed(self.links(req, account), account,
                                          album, page, owner))

    def photo_feed(self, req, user, album_id, photo_id):
        caller = self.caller(req)
        account = self.account(user, caller)
        owner = caller is not None and caller['id'] == account['id']
        album = self.visible_album(account, album_id, owner)
        photo = self.store.get_photo(album['id'], int(photo_id)) if (
            photo_id.isdigit() and len(photo_id) <= 19) else None
        if photo is None:
            raise HttpError(404, 'Photo not found.')
        kinds = [k.strip() for k in req.query.get('kind', 'comment').split(',')]
        return atom(200, feeds.photo_detail_feed(self.links(req, account),
                                                 account, album, photo, kinds))

    # -- album entries ------------------------------------------------------------

    def _entry(self, req, user, rest):
        if rest[:1] == ['albumid'] and rest[2:3] == ['photoid'] and len(rest) in (4, 5):
            return self._photo_entry(req, user, rest)
        if not (rest[:1] == ['albumid'] and len(rest) in (2, 3)):
            raise HttpError(404, 'Not found')
        version = rest[2] if len(rest) == 3 else None
        method = req.method
        self._allow(method, 'GET', 'HEAD', 'PATCH', 'DELETE')
        if method in ('GET', 'HEAD'):
            caller = self.caller(req)
            account = self.account(user, caller)
            owner = caller is not None and caller['id'] == account['id']
            album = self.visible_album(account, rest[1], owner)
            return self._entry_response(req, 200, account, album, owner)
        account = self.owner(req, user)
        album = self.visible_album(account, rest[1], owner=True)
        self._check_version(req, album, version)
        if method == 'DELETE':
            self.store.delete_album(account['id'], album['id'])
            return Response(200)
        try:
            changes = feeds.parse_album_changes(req.body)
        except feeds.EntryError as e:
            raise HttpError(400, str(e))
        album = self.store.update_album(account['id'], album['id'], changes)
        return self._entry_response(req, 200, account, album, owner=True)

    def _photo_entry(self, req, user, rest):
        """A photo's entry: read, changed (title, summary, keywords, album)
        or deleted, the changes only at its current version."""
        version = rest[4] if len(rest) == 5 else None
        method = req.method
        self._allow(method, 'GET', 'HEAD', 'PATCH', 'DELETE')
        read = method in ('GET', 'HEAD')
        if read:
            caller = self.caller(req)
            account = self.account(user, caller)
            owner = caller is not None and caller['id'] == account['id']
        else:
            account, owner = self.owner(req, user), True
        album = self.visible_album(account, rest[1], owner)
        photo = self.store.get_photo(album['id'], int(rest[3])) if (
            rest[3].isdigit() and len(rest[3]) <= 19) else None
        if photo is None:
            raise HttpError(404, 'Photo not found.')
        if not read:
            self._check_version(req, photo, version)
        if method == 'DELETE':
            self.store.delete_photo(photo['id'])
            return Response(200)
        if method == 'PATCH':
            try:
                changes = feeds.parse_photo_changes(req.body)
            except feeds.EntryError as e:
                raise HttpError(400, str(e))
            target = changes.get('album_id')
            if target == album['id']:
                del changes['album_id']
            elif target is not None:
                album = self.store.get_album(account['id'], target)
                if album is None:
                    raise HttpError(404, 'No album found.')
                if album['numphotos'] >= account['max_photos_per_album']:
                    raise HttpError(403, 'Photo limit reached: %d photos in the album'
                                    % album['numphotos'])
            if changes:
                photo = self.store.update_photo(photo['id'], changes)
        links = self.links(req, account)
        return atom(200, feeds.photo_entry(links, account, album, photo, owner, root=True),
                    [('ETag', feeds.etag(photo['version']))])

    @staticmethod
    def _check_version(req, album, url_version):
        """If-Match must be * or the current version; without If-Match the
        version in the address must be the current one."""
        current = str(album['version'])
        header = req.headers.get('If-Match')
        if header is not None:
            tags = [t.strip() for t in header.split(',')]
            if '*' in tags or current in [
                    t[2:] .strip('"') if t.startswith('W/') else t.strip('"')
                    for t in tags]:
                return
        elif url_version is not None and url_version == current:
            return
        raise HttpError(412, 'Mismatch: etags = [%s], version = [%s]' % (
            header if header is not None else url_version, current))

    def _entry_response(self, req, status, account, album, owner, extra=()):
        links = self.links(req, account)
        headers = [('ETag', feeds.etag(album['version']))] + list(extra)
        return atom(status, feeds.album_entry(links, account, album, owner,
                                              root=True), headers)

    def create_album(self, req, user):
        account = self.owner(req, user)
        try:
            fields = feeds.parse_new_album(req.body, DEFAULT_ACCESS, now_ms())
        except feeds.EntryError as e:
            raise HttpError(400, str(e))
        album = self.store.create_album(account['id'], **fields)
        links = self.links(req, account)
        return self._entry_response(req, 201, account, album, True,
                                    [('Location', links.album_edit(album))])

    def upload(self, req, user, album_id):
        try:
            content_type, body, headers = uploads.upload(self, req, user, album_id)
        except uploads.Refused as e:
            raise HttpError(e.status, e.message)
        return Response(201, body, content_type, headers)

    # -- pages and media ------------------------------------------------------

    def image(self, rest):
        photo = None
        if len(rest) >= 3 and rest[1].isdigit() and len(rest[1]) <= 19:
            photo = self.store.photo_by_id(int(rest[1]))
        if photo and not photo.get('video') and media.is_original(rest):
            body, mime = media.original(photo['id'], photo['size'], photo['width'],
                                        photo['height'], feeds.picture_type(photo))
        else:
            body, mime = media.image_for_path(rest, photo), 'image/png'
        return Response(200, body, mime,
                        [('Cache-Control', 'public, max-age=86400')])

    def video(self, rest):
        photo = self.store.photo_by_id(int(rest[0])) if (
            rest[0].isdigit() and len(rest[0]) <= 19) else None
        index = int(rest[1]) if rest[1].isdigit() else -1
        mime = media.video_type(rest[-1], photo, index)
        return Response(200, media.video_placeholder(mime), mime)

    def page(self, req):
        s = req.segments
        if not s:
            accounts = self.store.state()['accounts']
            return html(200, pages.index(accounts))
        account = self.store.find_account(s[0])
        if account is None or len(s) > 4:
            return html(404, pages.not_found('/'.join(s)))
        if len(s) == 1:
            albums = self.store.list_albums(account['id'], public_only=True)
            return html(200, pages.user(req.base, account, albums))
        album = self.store.get_album_by_name(account['id'], s[1])
        if album is None and s[1].isdigit() and len(s[1]) <= 19:
            album = self.store.get_album(account['id'], int(s[1]))
        if album is None:
            return html(404, pages.not_found('/'.join(s)))
        if len(s) == 2:
            photos = self.store.list_photos(album['id'])
            return html(200, pages.album(req.base, account, album, photos))
        photo = None
        if len(s) == 4 and s[2] == 'photo' and s[3].isdigit() and len(s[3]) <= 19:
            photo = self.store.get_photo(album['id'], int(s[3]))
        if photo is None:
            return html(404, pages.not_found('/'.join(s)))
        return html(200, pages.photo(req.base, account, album, photo))
