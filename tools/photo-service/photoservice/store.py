"""SQLite storage: accounts, albums, photos and sign-in tokens.

One connection is shared by all request threads behind a re-entrant lock.
Every change runs in its own transaction that is committed before the
caller answers the request, so an acknowledged change survives a crash.
"""
import contextlib
import hashlib
import hmac
import json
import os
import re
import secrets
import sqlite3
import threading
import time

ACCESS_LEVELS = ('public', 'private', 'protected')
DEFAULT_ACCESS = 'protected'

LOGIN_ERRORS = ('NotVerified', 'TermsNotAgreed', 'CaptchaRequired', 'Unknown',
                'AccountDeleted', 'AccountDisabled', 'ServiceDisabled',
                'ServiceUnavailable')

PBKDF2_ITERATIONS = 20000
SCHEMA_VERSION = '1'

ACCOUNT_COLUMNS = ('id', 'name', 'email', 'nickname', 'pw_salt', 'pw_hash',
                   'pw_iterations', 'login_error', 'quota_limit', 'quota_base',
                   'max_photos_per_album')
ALBUM_COLUMNS = ('id', 'account_id', 'name', 'title', 'summary', 'location',
                 'access', 'commenting', 'timestamp', 'published', 'updated',
                 'version', 'comment_count')
PHOTO_COLUMNS = ('id', 'album_id', 'position', 'title', 'summary', 'width',
                 'height', 'size', 'timestamp', 'published', 'updated',
                 'view_count', 'comment_count', 'star_count', 'tags', 'video',
                 'mime')

SCHEMA = """
CREATE TABLE IF NOT EXISTS meta (
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS accounts (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE COLLATE NOCASE,
    email TEXT NOT NULL UNIQUE COLLATE NOCASE,
    nickname TEXT NOT NULL,
    pw_salt BLOB NOT NULL,
    pw_hash BLOB NOT NULL,
    pw_iterations INTEGER NOT NULL,
    login_error TEXT,                 -- NULL: the account can sign in
    quota_limit INTEGER NOT NULL,     -- bytes
    quota_base INTEGER NOT NULL,      -- bytes used outside the albums
    max_photos_per_album INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS albums (
    id INTEGER PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
    name TEXT NOT NULL,               -- gphoto:name, used in page addresses
    title TEXT NOT NULL,
    summary TEXT NOT NULL,
    location TEXT NOT NULL,
    access TEXT NOT NULL,
    commenting INTEGER NOT NULL,
    timestamp INTEGER NOT NULL,       -- album date, ms since 1970 UTC
    published INTEGER NOT NULL,       -- ms since 1970 UTC
    updated INTEGER NOT NULL,         -- ms since 1970 UTC
    version INTEGER NOT NULL,
    comment_count INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS albums_by_account ON albums(account_id);
CREATE TABLE IF NOT EXISTS photos (
    id INTEGER PRIMARY KEY,
    album_id INTEGER NOT NULL REFERENCES albums(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    title TEXT NOT NULL,
    summary TEXT NOT NULL,
    width INTEGER NOT NULL,
    height INTEGER NOT NULL,
    size INTEGER NOT NULL,
    timestamp INTEGER NOT NULL,       -- taken, ms since 1970 UTC (may be < 0)
    published INTEGER NOT NULL,
    updated INTEGER NOT NULL,
    view_count INTEGER NOT NULL,
    comment_count INTEGER NOT NULL,
    star_count INTEGER NOT NULL,
    tags TEXT NOT NULL,               -- comma separated keywords
    video TEXT,                       -- JSON for videos, NULL for photos
    mime TEXT,                        -- the picture's type, NULL: by the title
    version INTEGER NOT NULL DEFAULT 1 -- gd:etag, one more with each change
);
CREATE INDEX IF NOT EXISTS photos_by_album ON photos(album_id, position);
CREATE TABLE IF NOT EXISTS tokens (
    token TEXT PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
    created INTEGER NOT NULL
);
"""


def now_ms():
    return int(time.time() * 1000)


_hash_cache = {}
_hash_cache_lock = threading.Lock()


def hash_password(password, reuse=False):
    """Returns (salt, digest, iterations) for a password.

    With reuse=True a salted hash made earlier in this process for the same
    password is handed out again; fixtures use it so that a reset does not
    spend its time in the key derivation."""
    if reuse:
        with _hash_cache_lock:
            cached = _hash_cache.get(password)
        if cached:
            return cached
    salt = os.urandom(16)
    digest = hashlib.pbkdf2_hmac('sha256', password.encode('utf-8'), salt,
                                 PBKDF2_ITERATIONS)
    result = (salt, digest, PBKDF2_ITERATIONS)
    if reuse:
        with _hash_cache_lock:
            _hash_cache[password] = result
    return result


def verify_password(password, salt, digest, iterations):
    candidate = hashlib.pbkdf2_hmac('sha256', password.encode('utf-8'), salt,
                                    iterations)
    return hmac.compare_digest(candidate, digest)


def album_name_from_title(title):
    """The address-safe album name the service derives from a title."""
    return re.sub(r'[^A-Za-z0-9]', '', title)[:60]


class Store:
    def __init__(self, path):
        self.path = path
        self.lock = threading.RLock()
        self.db = sqlite3.connect(path, check_same_thread=False,
                                  isolation_level=None)
        self.db.row_factory = sqlite3.Row
        self.db.execute('PRAGMA journal_mode=WAL')
        self.db.execute('PRAGMA synchronous=FULL')
        self.db.execute('PRAGMA foreign_keys=ON')
        with self.transaction() as db:
            for statement in SCHEMA.split(';'):
                if statement.strip():
                    db.execute(statement)
            # A store made before photos had a type keeps its rows.
            columns = [r[1] for r in db.execute('PRAGMA table_info(photos)')]
            if 'mime' not in columns:
                db.execute('ALTER TABLE photos ADD COLUMN mime TEXT')
            if 'version' not in columns:
                db.execute('ALTER TABLE photos ADD COLUMN version '
                           'INTEGER NOT NULL DEFAULT 1')

    def close(self):
        with self.lock:
            self.db.close()

    @contextlib.contextmanager
    def transaction(self):
        with self.lock:
            self.db.execute('BEGIN IMMEDIATE')
            try:
                yield self.db
            except BaseException:
                self.db.execute('ROLLBACK')
                raise
            self.db.execute('COMMIT')

    def _one(self, sql, args=()):
        with self.lock:
            row = self.db.execute(sql, args).fetchone()
        return dict(row) if row is not None else None

    def _all(self, sql, args=()):
        with self.lock:
            return [dict(r) for r in self.db.execute(sql, args).fetchall()]

    # -- fixtures ---------------------------------------------------------

    def fixture_name(self):
        row = self._one("SELECT value FROM meta WHERE key = 'fixture'")
        return row['value'] if row else None

    def load(self, name, accounts, albums, photos):
        """Replaces everything (tokens included) with the given rows.

        accounts: dicts with ACCOUNT_COLUMNS but 'password' in place of the
        three password columns; albums and photos: dicts with
        ALBUM_COLUMNS and PHOTO_COLUMNS ('video' a dict or None)."""
        account_rows = []
        for a in accounts:
            salt, digest, iterations = hash_password(a['password'], reuse=True)
            row = dict(a, pw_salt=salt, pw_hash=digest, pw_iterations=iterations)
            account_rows.append(tuple(row[c] for c in ACCOUNT_COLUMNS))
        album_rows = [tuple(a[c] for c in ALBUM_COLUMNS) for a in albums]
        photo_rows = []
        for p in photos:
            video = p['video']
            row = dict(p, video=json.dumps(video) if video else None)
            photo_rows.append(tuple(row.get(c) for c in PHOTO_COLUMNS))

        def insert(table, columns, rows):
            sql = 'INSERT INTO %s (%s) VALUES (%s)' % (
                table, ', '.join(columns), ', '.join('?' * len(columns)))
            db.executemany(sql, rows)

        with self.transaction() as db:
            for table in ('tokens', 'photos', 'albums', 'accounts', 'meta'):
                db.execute('DELETE FROM %s' % table)
            insert('accounts', ACCOUNT_COLUMNS, account_rows)
            insert('albums', ALBUM_COLUMNS, album_rows)
            insert('photos', PHOTO_COLUMNS, photo_rows)
            db.executemany('INSERT INTO meta (key, value) VALUES (?, ?)',
                           [('fixture', name), ('schema', SCHEMA_VERSION)])

    # -- accounts and tokens ----------------------------------------------

    def find_account(self, user):
        """An account by its name or its e-mail address (ASCII case ignored)."""
        return self._one('SELECT * FROM accounts WHERE name = ? OR email = ?',
                         (user, user))

    def account(self, account_id):
        return self._one('SELECT * FROM accounts WHERE id = ?', (account_id,))

    def password_matches(self, account, password):
        return verify_password(password, account['pw_salt'], account['pw_hash'],
                               account['pw_iterations'])

    def issue_token(self, account_id):
        token = secrets.token_urlsafe(48)
        with self.transaction() as db:
            db.execute('INSERT INTO tokens (token, account_id, created) '
                       'VALUES (?, ?, ?)', (token, account_id, now_ms()))
        return token

    def account_for_token(self, token):
        return self._one('SELECT a.* FROM tokens t JOIN accounts a '
                         'ON a.id = t.account_id WHERE t.token = ?', (token,))

    def quota_current(self, account_id):
        row = self._one('SELECT COALESCE(SUM(p.size), 0) AS used FROM photos p '
                        'JOIN albums a ON a.id = p.album_id WHERE a.account_id = ?',
                        (account_id,))
        base = self._one('SELECT quota_base FROM accounts WHERE id = ?',
                         (account_id,))
        return (base['quota_base'] if base else 0) + row['used']

    # -- albums -------------------------------------------------------------

    _ALBUM_SELECT = ('SELECT a.*, COUNT(p.id) AS numphotos, '
                     'COALESCE(SUM(p.size), 0) AS bytes_used '
                     'FROM albums a LEFT JOIN photos p ON p.album_id = a.id ')

    def list_albums(self, account_id, public_only, offset=0, limit=None):
        """Newest first; `limit` albums from `offset` on (all when None)."""
        if offset == 0 and limit is None:
            where = 'WHERE a.account_id = ?'
            if public_only:
                where += " AND a.access = 'public'"
            return self._all(self._ALBUM_SELECT + where +
                             ' GROUP BY a.id ORDER BY a.published DESC, a.id DESC',
                             (account_id,))
        # The page is chosen first, so only its albums' photos are added up.
        where = 'WHERE account_id = ?' + (
            " AND access = 'public'" if public_only else '')
        return self._all(
            'SELECT a.*, COUNT(p.id) AS numphotos, '
            'COALESCE(SUM(p.size), 0) AS bytes_used FROM '
            '(SELECT * FROM albums ' + where +
            ' ORDER BY published DESC, id DESC LIMIT ? OFFSET ?) a '
            'LEFT JOIN photos p ON p.album_id = a.id '
            'GROUP BY a.id ORDER BY a.published DESC, a.id DESC',
            (account_id, -1 if limit is None else limit, offset))

    def album_summary(self, account_id, public_only):
        """{'count', 'updated'} of an account's albums (updated None when
        there are none)."""
        where = 'WHERE account_id = ?' + (
            " AND access = 'public'" if public_only else '')
        row = self._one('SELECT COUNT(*) AS count, MAX(updated) AS updated '
                        'FROM albums ' + where, (account_id,))
        return {'count': row['count'], 'updated': row['updated']}

    def get_album(self, account_id, album_id):
        return self._one(self._ALBUM_SELECT +
                         'WHERE a.account_id = ? AND a.id = ? GROUP BY a.id',
                         (account_id, album_id))

    def get_album_by_name(self, account_id, name):
        return self._one(self._ALBUM_SELECT +
                         'WHERE a.account_id = ? AND a.name = ? GROUP BY a.id',
                         (account_id, name))

    def create_album(self, account_id, title, summary, location, access,
                     commenting, timestamp):
        now = now_ms()
        with self.transaction() as db:
            top = db.execute('SELECT MAX(id) FROM albums').fetchone()[0]
            album_id = (top or 5400000000000000000) + 1
            base = album_name_from_title(title) or time.strftime(
                '%Y%m%d', time.gmtime(now / 1000))
            taken = {r[0] for r in db.execute(
                'SELECT name FROM albums WHERE account_id = ? AND name LIKE ?',
                (account_id, base + '%'))}
            name, n = base, 1
            while name in taken:
                n += 1
                name = '%s%d' % (base, n)
            db.execute('INSERT INTO albums (%s) VALUES (%s)' % (
                ', '.join(ALBUM_COLUMNS), ', '.join('?' * len(ALBUM_COLUMNS))),
                (album_id, account_id, name, title, summary, location, access,
                 1 if commenting else 0, timestamp, now, now, 1, 0))
        return self.get_album(account_id, album_id)

    def update_album(self, account_id, album_id, changes):
        """Applies {column: value}, bumps the version and the update time."""
        allowed = {'title', 'summary', 'location', 'access', 'commenting',
                   'timestamp'}
        assert set(changes) <= allowed, changes
        if 'timestamp' in changes:
            # The feeds give an album's date as its published time too.
            changes = dict(changes, published=changes['timestamp'])
        sets = ', '.join('%s = ?' % c for c in changes)
        with self.transaction() as db:
            db.execute('UPDATE albums SET %s%sversion = version + 1, updated = ? '
                       'WHERE account_id = ? AND id = ?' % (
                           sets, ', ' if sets else ''),
                       (*changes.values(), now_ms(), account_id, album_id))
        return self.get_album(account_id, album_id)

    def delete_album(self, account_id, album_id):
        with self.transaction() as db:
            db.execute('DELETE FROM photos WHERE album_id = ?', (album_id,))
            cur = db.execute('DELETE FROM albums WHERE account_id = ? AND id = ?',
                             (account_id, album_id))
        return cur.rowcount > 0

    # -- photos -------------------------------------------------------------

    def set_photo_fields(self, photo_id, changes):
        """Test data by hand: {column: value} of a photo's title, summary,
        size or type, as if it had been stored so."""
        allowed = {'title', 'summary', 'size', 'mime'}
        if not changes or not set(changes) <= allowed:
            raise ValueError('photo fields are %s' % ', '.join(sorted(allowed)))
        sets = ', '.join('%s = ?' % c for c in changes)
        with self.transaction() as db:
            cur = db.execute('UPDATE photos SET %s WHERE id = ?' % sets,
                             (*changes.values(), photo_id))
        if cur.rowcount != 1:
            raise LookupError('no photo %s' % photo_id)
        return self.photo_by_id(photo_id)

    def update_photo(self, photo_id, changes):
        """Applies {column: value} of a photo's title, summary, tags or
        album_id (a move: the photo goes last in its new album), bumps its
        version and update time."""
        allowed = {'title', 'summary', 'tags', 'album_id'}
        assert set(changes) <= allowed, changes
        with self.transaction() as db:
            if 'album_id' in changes:
                top = db.execute('SELECT MAX(position) FROM photos WHERE album_id = ?',
                                 (changes['album_id'],)).fetchone()[0]
                changes = dict(changes, position=(top or 0) + 1)
            sets = ''.join('%s = ?, ' % c for c in changes)
            db.execute('UPDATE photos SET %sversion = version + 1, updated = ? '
                       'WHERE id = ?' % sets, (*changes.values(), now_ms(), photo_id))
        return self.photo_by_id(photo_id)

    def delete_photo(self, photo_id):
        with self.transaction() as db:
            cur = db.execute('DELETE FROM photos WHERE id = ?', (photo_id,))
        return cur.rowcount > 0

    @staticmethod
    def _photo(row):
        if row is not None and row.get('video'):
            row['video'] = json.loads(row['video'])
        return row

    def list_photos(self, album_id, offset=0, limit=None):
        """In album order; `limit` photos from `offset` on (all when None)."""
        return [self._photo(r) for r in self._all(
            'SELECT * FROM photos WHERE album_id = ? ORDER BY position, id '
            'LIMIT ? OFFSET ?', (album_id, -1 if limit is None else limit, offset))]

    def get_photo(self, album_id, photo_id):
        return self._photo(self._one(
            'SELECT * FROM photos WHERE album_id = ? AND id = ?',
            (album_id, photo_id)))

    def photo_by_id(self, photo_id):
        return self._photo(self._one('SELECT * FROM photos WHERE id = ?',
                                     (photo_id,)))

    # -- overview for tests ------------------------------------------------------

    def counts(self):
        with self.lock:
            return {t: self.db.execute('SELECT COUNT(*) FROM %s' % t).fetchone()[0]
                    for t in ('accounts', 'albums', 'photos', 'tokens')}

    def state(self):
        """Accounts with their albums, for tests to look at."""
        accounts = []
        for a in self._all('SELECT * FROM accounts ORDER BY id'):
            albums = self.list_albums(a['id'], public_only=False)
            accounts.append({
                'id': a['id'], 'name': a['name'], 'email': a['email'],
                'nickname': a['nickname'], 'login_error': a['login_error'],
                'quota_limit': a['quota_limit'],
                'quota_current': self.quota_current(a['id']),
                'albums': [{
                    'id': str(al['id']), 'name': al['name'], 'title': al['title'],
                    'summary': al['summary'], 'location': al['location'],
                    'access': al['access'],
                    'commenting': bool(al['commenting']),
                    'timestamp': al['timestamp'], 'published': al['published'],
                    'updated': al['updated'], 'version': al['version'],
                    'numphotos': al['numphotos'],
                    'bytes_used': al['bytes_used']} for al in albums],
            })
        return {'fixture': self.fixture_name(), 'counts': self.counts(),
                'accounts': accounts}
