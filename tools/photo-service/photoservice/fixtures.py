"""Named data sets the store can be reset to: demo, empty and large.

Everything is generated from fixed seeds, so a fixture always yields the
same ids, titles, sizes and times.
"""
import datetime
import random

from .store import LOGIN_ERRORS

GIB = 1024 ** 3
DEMO_QUOTA_LIMIT = 15 * GIB            # 16106127360, above 2^31
ALBUM_ID_BASE = 5400000000000000000
PHOTO_ID_BASE = 5500000000000000000

FLASH = 'application/x-shockwave-flash'
MPEG4 = 'video/mpeg4'


def ms(text):
    """Milliseconds since 1970 UTC of 'YYYY-MM-DD[ hh:mm[:ss]]' (UTC)."""
    for fmt in ('%Y-%m-%d %H:%M:%S', '%Y-%m-%d %H:%M', '%Y-%m-%d'):
        try:
            t = datetime.datetime.strptime(text, fmt)
            break
        except ValueError:
            continue
    else:
        raise ValueError(text)
    epoch = datetime.datetime(1970, 1, 1)
    return (t - epoch) // datetime.timedelta(milliseconds=1)


class Builder:
    """Collects accounts, albums and photos with ids handed out in order."""

    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.accounts, self.albums, self.photos = [], [], []
        self.next_album = ALBUM_ID_BASE
        self.next_photo = PHOTO_ID_BASE
        self.video_count = 0

    def account(self, name, email, password, nickname, login_error=None,
                quota_limit=DEMO_QUOTA_LIMIT, quota_base=0):
        account = {'id': len(self.accounts) + 1, 'name': name, 'email': email,
                   'password': password, 'nickname': nickname,
                   'login_error': login_error, 'quota_limit': quota_limit,
                   'quota_base': quota_base, 'max_photos_per_album': 1000}
        self.accounts.append(account)
        return account

    def album(self, account, title, name, access, commenting, published,
              date=None, location='', summary='', comments=0):
        self.next_album += self.rng.randint(1, 9973)
        published_ms = ms(published) + self.rng.randint(0, 999)
        album = {'id': self.next_album, 'account_id': account['id'],
                 'name': name, 'title': title, 'summary': summary,
                 'location': location, 'access': access,
                 'commenting': 1 if commenting else 0,
                 'timestamp': ms(date) if date else published_ms,
                 'published': published_ms,
                 'updated': published_ms + self.rng.randint(0, 40 * 86400000),
                 'version': 1 + self.rng.randint(0, 5),
                 'comment_count': comments}
        self.albums.append(album)
        return album

    def albums_with_photos(self, account, rows):
        """One album with comments allowed, then its photos, for each row of
        (title, name, access, published, photos, first taken, stem)."""
        for title, name, access, published, count, first_taken, stem in rows:
            album = self.album(account, title, name, access, True, published)
            self.photos_for(album, count, ms(first_taken), stem=stem)

    def photos_for(self, album, count, first_taken, step_ms=97000,
                   stem='IMG_', tags=(), videos=(), first_number=1):
        """count photos taken from first_taken on; positions listed in
        videos (0-based) are videos."""
        rng = self.rng
        taken = first_taken
        for i in range(count):
            self.next_photo += rng.randint(1, 997)
            number = first_number + i
            is_video = i in videos
            portrait = rng.random() < 0.25
            if is_video:
                video = self.video(self.video_count)
                self.video_count += 1
                w, h = video['width'], video['height']
                title = 'MVI_%04d.%s' % (number, video['type'])
                size = rng.randint(8, 60) * 1000000 + rng.randint(0, 999999)
            else:
                w, h = rng.choice([(3264, 2448), (4000, 3000), (2592, 1944),
                                   (1600, 1200)])
                if portrait:
                    w, h = h, w
                video = None
                title = '%s%04d.JPG' % (stem, number)
                size = rng.randint(900000, 5200000)
            self.photos.append({
                'id': self.next_photo, 'album_id': album['id'], 'position': i + 1,
                'title': title,
                'summary': '' if rng.random() < 0.6 else 'Photo %d of %s' % (
                    number, album['title']),
                'width': w, 'height': h, 'size': size, 'timestamp': taken,
                'published': album['published'] + (i + 1) * 1000,
                'updated': album['published'] + (i + 1) * 1000 + rng.randint(0, 9999),
                'view_count': rng.randint(0, 500),
                'comment_count': rng.choice((0, 0, 0, 1, 2, 5)),
                'star_count': rng.choice((0, 0, 1, 2, 3)),
                'tags': ','.join(rng.sample(list(tags), min(len(tags), rng.randint(0, 3)))),
                'video': video,
                'mime': None,           # by the title
            })
            taken += step_ms + rng.randint(0, step_ms)

    @staticmethod
    def video(n):
        """The n-th video: original attributes and its renditions. The two
        largest renditions always tie on their larger side; the first of
        them listed is the one a client should pick."""
        landscape = [
            {'width': 1280, 'height': 720, 'type': 'MOV', 'duration': 42, 'fps': 29.97},
            {'width': 640, 'height': 480, 'type': 'AVI', 'duration': 15, 'fps': 30.0},
            {'width': 720, 'height': 1280, 'type': 'MP4', 'duration': 9, 'fps': 30.0},
            {'width': 1920, 'height': 1080, 'type': 'MP4', 'duration': 127, 'fps': 25.0},
            {'width': 320, 'height': 240, 'type': 'AVI', 'duration': 61, 'fps': 15.0},
        ]
        video = dict(landscape[n % len(landscape)])
        w, h = video['width'], video['height']

        def fit(side):
            scale = side / max(w, h)
            return [round(w * scale), round(h * scale)]

        small, medium, large = fit(320), fit(480), fit(640)
        orders = [
            [(FLASH, small), (MPEG4, medium), (MPEG4, large), (FLASH, large)],
            [(MPEG4, medium), (FLASH, large), (MPEG4, large), (FLASH, small)],
            [(FLASH, large), (FLASH, small), (MPEG4, large)],
        ]
        video['renditions'] = [[t, s[0], s[1]] for t, s in orders[n % len(orders)]]
        return video

    def result(self):
        return self.accounts, self.albums, self.photos


def _demo_builder():
    b = Builder(20091128)
    demo = b.account('demo', 'demo@example.com', 'demo', 'Demo User',
                     quota_base=2400000000)
    A = b.album
    kyoto = A(demo, '京都の紅葉', 'KyotoNoKouyou', 'public', True,
              '2009-11-28 09:15:02', '2009-11-23', '京都市', '嵐山と東福寺', 12)
    b.photos_for(kyoto, 48, ms('2009-11-23 01:30'), stem='紅葉_',
                 tags=('京都', '紅葉', 'autumn'), videos=(20,))
    sakura = A(demo, '桜 2009', 'Sakura2009', 'public', True,
               '2009-04-06 13:40:11', '2009-04-05', '上野公園', '', 4)
    b.photos_for(sakura, 60, ms('2009-04-05 02:00'), tags=('桜', 'spring'))
    hokkaido = A(demo, 'Hokkaido summer', 'HokkaidoSummer', 'public', True,
                 '2009-08-16 12:01:44', '2009-08-10', 'Sapporo',
                 'Lavender fields and the sea', 7)
    b.photos_for(hokkaido, 30, ms('2009-08-10 00:10'),
                 tags=('Hokkaido', 'summer', 'flowers'))
    family = A(demo, 'Family', 'Family', 'private', True,
               '2009-03-02 20:05:00', '2009-03-01', 'Home', 'Only for us', 2)
    b.photos_for(family, 18, ms('2009-03-01 06:00'), tags=('family',))
    party = A(demo, 'Office party', 'OfficeParty', 'protected', False,
              '2009-12-19 15:30:00', '2009-12-18', 'Tokyo', 'Year-end party')
    b.photos_for(party, 24, ms('2009-12-18 10:00'), stem='DSC_')
    old = A(demo, 'Old family photos', 'OldFamilyPhotos', 'protected', False,
            '2009-02-11 10:00:00', '1955-05-05', 'Osaka', 'Scanned prints')
    b.photos_for(old, 20, ms('1952-07-14 03:00'), step_ms=420 * 86400000,
                 stem='SCAN_', tags=('old', 'family'))
    paris = A(demo, 'Paris & Rome <2009>', 'ParisRome2009', 'public', True,
              '2009-06-14 08:12:40', '2009-05-30', 'Paris & Rome',
              'Two cities, "one" trip', 3)
    b.photos_for(paris, 28, ms('2009-05-30 07:00'), tags=('Paris', 'Rome', 'travel'))
    garden = A(demo, 'Garden', 'Garden', 'private', False,
               '2009-06-14 19:47:05', '2009-06-14', '', '')
    b.photos_for(garden, 15, ms('2009-06-14 09:00'), tags=('garden',))
    # Not every camera writes JPEG: a PNG and a GIF among them.
    b.photos[-13]['title'] = 'IMG_0003.PNG'
    b.photos[-11]['title'] = 'IMG_0005.GIF'
    videos = A(demo, 'Videos', 'Videos', 'public', True,
               '2009-07-04 11:11:11', '2009-07-04', 'Yokohama', 'Clips', 5)
    b.photos_for(videos, 8, ms('2009-07-04 02:00'), stem='IMG_',
                 tags=('video',), videos=(0, 2, 3, 5, 7))
    A(demo, 'Empty album', 'EmptyAlbum', 'protected', True,
      '2009-10-01 08:00:00', '2009-10-01', '', 'Nothing here yet')
    sports = A(demo, '運動会', 'Undoukai', 'private', True,
               '2009-10-11 16:20:00', '2009-10-10', '小学校', '', 1)
    b.photos_for(sports, 22, ms('2009-10-10 00:30'), tags=('運動会',), videos=(11,))
    newyear = A(demo, 'New year', 'NewYear', 'public', False,
                '2009-01-03 09:00:00', '2009-01-01', 'Kamakura', 'Hatsumode')
    b.photos_for(newyear, 14, ms('2009-01-01 00:05'), tags=('new year',))

    friend = b.account('friend', 'friend@example.com', 'friend', 'Friend',
                       quota_base=300000000)
    beach = A(friend, 'Beach', 'Beach', 'public', True, '2009-07-20 10:00:00',
              '2009-07-19', 'Shonan', 'Sun and sand', 1)
    b.photos_for(beach, 9, ms('2009-07-19 01:00'), tags=('beach',))
    hike = A(friend, 'Mountain hike', 'MountainHike', 'public', False,
             '2009-09-23 18:00:00', '2009-09-22', 'Takao', '')
    b.photos_for(hike, 6, ms('2009-09-22 00:00'), tags=('mountain',))
    secret = A(friend, 'Secret', 'Secret', 'private', True, '2009-05-05 12:00:00')
    b.photos_for(secret, 4, ms('2009-05-05 03:00'))
    team = A(friend, 'Team', 'Team', 'protected', True, '2009-11-02 12:00:00')
    b.photos_for(team, 5, ms('2009-11-02 03:00'))

    shashinka = b.account('写真家', 'shashinka@example.com', 'demo', '写真 太郎')
    fuji = A(shashinka, '富士山', 'Fujisan', 'public', True, '2009-08-01 05:00:00',
             '2009-07-31', '富士山', '山頂から')
    b.photos_for(fuji, 5, ms('2009-07-31 20:00'))
    A(shashinka, '下書き', 'Shitagaki', 'private', True, '2009-08-02 05:00:00')

    symbols = b.account('symbols', 'symbols@example.com', 'p&ss=w+rd% ü',
                        'Symbols')
    sym = A(symbols, 'Symbols', 'Symbols', 'public', True, '2009-02-02 02:02:02')
    b.photos_for(sym, 2, ms('2009-02-02 01:00'))

    for error in LOGIN_ERRORS:
        b.account(error.lower(), error.lower() + '@example.com', 'demo', error,
                  login_error=error)
    return b


def demo():
    return _demo_builder().result()


def empty():
    """Only the demo account, with no albums."""
    b = Builder(1)
    b.account('demo', 'demo@example.com', 'demo', 'Demo User')
    return b.result()


MANY_SECOND_ALBUM = 200      # photos of the many account's second album


def large(albums=1000, photos=10000, big_album=1000, many_albums=2500,
          many_photos=2500):
    """The demo data plus the account large@example.com (password 'large')
    holding `albums` albums and `photos` photos, the first album holding
    `big_album` of them and the rest spread evenly; and the account
    many@example.com (password 'many') with `many_albums` albums, more than
    one page of the album list: its first album holds `many_photos` photos
    (more than one page of a photo list), its second 200, the rest none."""
    b = _demo_builder()
    big = b.account('large', 'large@example.com', 'large', 'Large Account',
                    quota_base=1000000000)
    rng = b.rng
    created = []
    start = ms('2007-01-01')
    for i in range(albums):
        published = start + i * 86400000 + rng.randint(0, 80000000)
        stamp = datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=published)
        created.append(b.album(
            big, 'Album %04d' % (i + 1), 'Album%04d' % (i + 1),
            ('public', 'private', 'protected')[i % 3], i % 4 != 0,
            stamp.strftime('%Y-%m-%d %H:%M:%S')))
    rest = photos - (big_album if albums else 0)
    per, extra = divmod(rest, max(albums - 1, 1))
    for i, album in enumerate(created):
        if i == 0:
            count = big_album
        else:
            count = per + (1 if i - 1 < extra else 0)
        if count:
            b.photos_for(album, count, album['timestamp'] - 86400000,
                         videos=(count - 1,) if i % 25 == 1 else ())
    # Made after the large account, whose ids therefore stay as they were.
    many = b.account('many', 'many@example.com', 'many', 'Many Albums',
                     quota_base=500000000)
    start = ms('2001-01-01')
    for i in range(many_albums):
        published = start + i * 3600000 + rng.randint(0, 3000000)
        stamp = datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=published)
        album = b.album(many, 'Many %04d' % (i + 1), 'Many%04d' % (i + 1),
                        ('public', 'private', 'protected')[i % 3], True,
                        stamp.strftime('%Y-%m-%d %H:%M:%S'))
        count = {0: many_photos, 1: MANY_SECOND_ALBUM}.get(i, 0)
        if count:
            b.photos_for(album, count, album['timestamp'] - 86400000,
                         stem='MANY_', step_ms=7000)
    return b.result()


def photolist():
    """Small albums for the photo list: the account lists@example.com
    (password 'lists') with 'Three photos' (public, 3 stills: a JPEG, a PNG
    and a GIF), 'Two photos'
    (protected, 2 stills) and 'Media' (public): a still, then videos whose
    chosen rendition is an MPEG4 of 640x480 (5 s), a Flash video of 1280x720
    (35 s) and a QuickTime clip of 320x240 (12 s)."""
    b = Builder(20120324)
    lists = b.account('lists', 'lists@example.com', 'lists', 'Photo Lists')
    b.albums_with_photos(lists, [
        ('Three photos', 'ThreePhotos', 'public', '2012-03-01 10:00:00', 3,
         '2012-02-28 09:00', 'THREE_'),
        ('Two photos', 'TwoPhotos', 'protected', '2012-03-02 10:00:00', 2,
         '2012-02-29 09:00', 'TWO_'),
        ('Media', 'Media', 'public', '2012-03-03 10:00:00', 4,
         '2012-03-01 09:00', 'MEDIA_'),
    ])
    clips = [
        ('MPEG4.MP4', {'width': 640, 'height': 480, 'type': 'MP4', 'duration': 5,
                       'fps': 30.0,
                       'renditions': [[FLASH, 320, 240], [MPEG4, 640, 480]]}),
        ('FLASH.MOV', {'width': 1280, 'height': 720, 'type': 'MOV',
                       'duration': 35, 'fps': 29.97,
                       'renditions': [[MPEG4, 640, 360], [FLASH, 1280, 720]]}),
        ('OTHER.MOV', {'width': 320, 'height': 240, 'type': 'MOV',
                       'duration': 12, 'fps': 15.0,
                       'renditions': [['video/quicktime', 320, 240]]}),
    ]
    # The three photos are a JPEG, a PNG and a GIF.
    b.photos[1]['title'] = 'THREE_0002.PNG'
    b.photos[2]['title'] = 'THREE_0003.GIF'
    for photo, (title, video) in zip(b.photos[-3:], clips):
        photo['title'] = title
        photo['width'], photo['height'] = video['width'], video['height']
        photo['video'] = video
    return b.result()


# Photo titles of the backup fixture's first album, in feed order; the
# last entry is a video. 'no extension' is stored as a PNG and 'dots... ' as
# a GIF (BACKUP_TYPES).
BACKUP_TITLES = ['桜の花.jpg', 'a<b>:c"d?.jpg', 'IMG_0001.JPG', 'IMG_0001.JPG',
                 'CON.jpg', 'no extension', 'dots... ', 'img_0001.jpg', 'clip']
BACKUP_TYPES = {'no extension': 'image/png', 'dots... ': 'image/gif'}


def backup():
    """Small albums whose titles a backup must turn into file names: the
    account backup@example.com (password 'backup') with 'Trip <2009>:
    "best"?' (public; photos titled BACKUP_TITLES, the last a video), and
    two albums both titled 'Same title' (public with 2 photos, private with
    3). Photos are 20 to 200 kB, so that whole backups stay quick."""
    b = Builder(20121208)
    owner = b.account('backup', 'backup@example.com', 'backup', 'Backup Tester')
    trip = b.album(owner, 'Trip <2009>: "best"?', 'Trip2009', 'public', True,
                   '2009-05-01 10:00:00', '2009-04-30', 'Nara', 'Deer, "many"')
    b.photos_for(trip, len(BACKUP_TITLES), ms('2009-04-30 01:00'), stem='P_',
                 videos=(len(BACKUP_TITLES) - 1,))
    for photo, title in zip(b.photos, BACKUP_TITLES):
        photo['title'] = title
        photo['mime'] = BACKUP_TYPES.get(title)
    b.albums_with_photos(owner, [
        ('Same title', 'SameTitle1', 'public', '2009-06-01 10:00:00', 2,
         '2009-06-01 01:00', 'FIRST_'),
        ('Same title', 'SameTitle2', 'private', '2009-07-01 10:00:00', 3,
         '2009-07-01 01:00', 'SECOND_'),
    ])
    for photo in b.photos:
        if not photo['video']:
            photo['size'] = b.rng.randint(20000, 200000)
    return b.result()


FIXTURES = {'demo': demo, 'empty': empty, 'large': large,
            'photolist': photolist, 'backup': backup}


def load(store, name):
    try:
        make = FIXTURES[name]
    except KeyError:
        raise ValueError('unknown fixture %r (known: %s)' % (
            name, ', '.join(sorted(FIXTURES))))
    accounts, albums, photos = make()
    store.load(name, accounts, albums, photos)
