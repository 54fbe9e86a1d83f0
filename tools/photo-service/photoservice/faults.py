"""Faults that tests arm for the next requests on a path."""
import base64
import http
import itertools
import threading

from . import media, pages

ACTIONS = ('respond', 'reset', 'truncate_html', 'html_error', 'hang', 'cut_body',
           'endless')
MATCHES = ('prefix', 'exact')
DEFAULT_HANG = 60.0
# endless: past the 4 GiB a 32-bit length holds, so that a client without
# a ceiling of its own is seen to go on.
DEFAULT_ENDLESS_LIMIT = 5 << 30
_FIELDS = {'path', 'match', 'method', 'count', 'status', 'body', 'body_b64',
           'content_type', 'charset', 'delay', 'action', 'partial', 'short',
           'headers', 'skip', 'numbered', 'keep', 'hold', 'picture', 'length',
           'limit'}


class Fault:
    _ids = itertools.count(1)

    def __init__(self, options):
        unknown = set(options) - _FIELDS
        if unknown:
            raise ValueError('unknown fault fields: %s' % ', '.join(sorted(unknown)))
        self.path = options.get('path')
        if not isinstance(self.path, str) or not self.path.startswith('/'):
            raise ValueError('path must be a string starting with /')
        self.match = options.get('match', 'prefix')
        if self.match not in MATCHES:
            raise ValueError('match must be one of %s' % ', '.join(MATCHES))
        self.action = options.get('action', 'respond')
        if self.action not in ACTIONS:
            raise ValueError('action must be one of %s' % ', '.join(ACTIONS))
        method = options.get('method')
        self.method = method.upper() if method else None
        self.count = int(options.get('count', 1))
        if self.count == 0:
            raise ValueError('count must be positive, or negative for "always"')
        # Matching requests let through before the fault acts (a later
        # page of a feed, whose path is the first page's).
        self.skip = int(options.get('skip', 0))
        if self.skip < 0:
            raise ValueError('skip must be 0 or more')
        default_status = {'respond': 500, 'truncate_html': 200,
                          'html_error': 500, 'endless': 200}.get(self.action)
        self.status = int(options.get('status', default_status or 500))
        if not 100 <= self.status <= 999:
            raise ValueError('status out of range')
        self.body = options.get('body')
        self.body_b64 = options.get('body_b64')
        if self.body_b64 is not None:
            base64.b64decode(self.body_b64, validate=True)
        self.content_type = options.get('content_type')
        self.charset = options.get('charset')
        if self.charset:
            'x'.encode(self.charset)       # unknown charsets fail here
        delay = options.get('delay')
        self.delay = float(delay) if delay is not None else (
            DEFAULT_HANG if self.action == 'hang' else 0.0)
        self.partial = options.get('partial', False)
        self.short = bool(options.get('short', False))
        self.headers = dict(options.get('headers') or {})
        # '{hit}' and '{next}' in the body become this answer's number (1,
        # 2, ...) and the one after it: a feed whose next link never repeats.
        self.numbered = bool(options.get('numbered', False))
        # cut_body: how many bytes of the real answer's body go out before
        # the connection is cut (None: half of it).
        keep = options.get('keep')
        self.keep = int(keep) if keep is not None else None
        if self.keep is not None and self.keep < 0:
            raise ValueError('keep must be 0 or more')
        # cut_body: seconds the connection stays open, silent, after those
        # bytes: a server that stalls in the middle of a body.
        self.hold = float(options.get('hold', 0))
        if self.hold < 0:
            raise ValueError('hold must be 0 or more')
        # respond: a picture declaring a size it barely holds as the body,
        # {"format": "jpeg" or "png", "width": W, "height": H}.
        self.picture = options.get('picture')
        if self.picture is not None:
            if (not isinstance(self.picture, dict) or
                    self.picture.get('format') not in media.DECLARED_FORMATS or
                    not all(isinstance(self.picture.get(k), int) and 1 <= self.picture[k] <= 65535
                            for k in ('width', 'height'))):
                raise ValueError('picture must be {"format": "jpeg" or "png", '
                                 '"width": 1-65535, "height": 1-65535}')
        # endless: the Content-Length announced (none when absent), and the
        # bytes sent at most before the connection is closed.
        length = options.get('length')
        self.length = int(length) if length is not None else None
        if self.length is not None and self.length < 0:
            raise ValueError('length must be 0 or more')
        self.limit = int(options.get('limit', DEFAULT_ENDLESS_LIMIT))
        if self.limit < 0:
            raise ValueError('limit must be 0 or more')
        self.id = next(self._ids)
        self.hits = 0

    def matches(self, method, paths):
        if self.method and self.method != method:
            return False
        if self.match == 'exact':
            return self.path in paths
        return any(p.startswith(self.path) for p in paths)

    def describe(self):
        return {'id': self.id, 'path': self.path, 'match': self.match,
                'method': self.method, 'action': self.action,
                'remaining': self.count, 'skip': self.skip, 'hits': self.hits,
                'status': self.status,
                'delay': self.delay}

    def partial_bytes(self):
        """What a 'reset' sends before it cuts the connection."""
        if self.partial is True:
            return b'HTTP/1.1 200 OK\r\nContent-Type: application/atom+xml\r\nContent-Le'
        if isinstance(self.partial, str):
            return self.partial.encode('utf-8')
        return b''

    def answer(self):
        """(status, body bytes, content type or None) of the answering
        actions."""
        if self.action == 'truncate_html':
            kind = 'text/html'
            text = self.body if self.body is not None else pages.cut_short()
        elif self.action == 'html_error':
            kind = 'text/html'
            text = self.body if self.body is not None else pages.error(
                self.status, _reason(self.status))
        else:
            kind, text = 'text/plain', self.body or ''
        if self.numbered and text:
            text = text.replace('{hit}', str(self.hits)).replace('{next}', str(self.hits + 1))
        if self.content_type is not None:
            kind = self.content_type or None
        if self.picture is not None:
            body, picture_kind = media.declared_picture(
                self.picture['format'], self.picture['width'], self.picture['height'])
            if self.content_type is None:
                kind = picture_kind
        elif self.body_b64 is not None:
            body = base64.b64decode(self.body_b64)
        else:
            body = (text or '').encode(self.charset or 'utf-8', errors='replace')
        if self.charset and kind:
            kind += '; charset=' + self.charset
        return self.status, body, kind


class FaultTable:
    def __init__(self):
        self.lock = threading.Lock()
        self.faults = []

    def add(self, options):
        fault = Fault(options)
        with self.lock:
            self.faults.append(fault)
        return fault

    def take(self, method, paths):
        """The first armed fault for this request, used up by one."""
        with self.lock:
            for fault in self.faults:
                if fault.matches(method, paths):
                    if fault.skip > 0:
                        fault.skip -= 1
                        continue
                    fault.hits += 1
                    if fault.count > 0:
                        fault.count -= 1
                        if fault.count == 0:
                            self.faults.remove(fault)
                    return fault
        return None

    def clear(self):
        with self.lock:
            self.faults.clear()

    def describe(self):
        with self.lock:
            return [f.describe() for f in self.faults]


def _reason(status):
    try:
        return http.HTTPStatus(status).phrase
    except ValueError:
        return 'Error'
