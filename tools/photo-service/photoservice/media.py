"""Small generated images and video placeholders for media addresses."""
import functools
import re
import struct
import zlib

DEFAULT_SIDE = 128     # .../{dir}/{file}
FULL_SIDE = 256        # .../{dir}/s0/{file}
MAX_SIDE = 512

_SIZE = re.compile(r'^s(\d+)(-c)?$')


def _chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data +
            struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))


@functools.lru_cache(maxsize=256)
def png(width, height, seed):
    """A valid RGB PNG: a vertical gradient in a colour chosen by seed,
    with a darker frame so that the picture's edges show."""
    width, height = max(1, width), max(1, height)
    r0, g0, b0 = (seed * 67) % 200 + 40, (seed * 151) % 200 + 40, (seed * 211) % 200 + 40
    frame = b'\x00' + bytes((r0 // 3, g0 // 3, b0 // 3)) * width
    rows = [frame]
    for y in range(1, height - 1):
        f = y / max(height - 1, 1)
        colour = bytes((int(r0 + (255 - r0) * f), int(g0 * (1 - f / 2)),
                        int(b0 + (255 - b0) * (1 - f))))
        edge = bytes((r0 // 3, g0 // 3, b0 // 3))
        rows.append(b'\x00' + edge + colour * max(width - 2, 0) +
                    (edge if width > 1 else b''))
    if height > 1:
        rows.append(frame)
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + _chunk(b'IHDR', header) +
            _chunk(b'IDAT', zlib.compress(b''.join(rows), 6)) + _chunk(b'IEND', b''))


def _colours(seed):
    return (seed * 67) % 200 + 40, (seed * 151) % 200 + 40, (seed * 211) % 200 + 40


def _row_colour(seed, y, height):
    r0, g0, b0 = _colours(seed)
    f = y / max(height - 1, 1)
    return (int(r0 + (255 - r0) * f), int(g0 * (1 - f / 2)),
            int(b0 + (255 - b0) * (1 - f)))


def _is_edge(x, y, width, height):
    return x in (0, width - 1) or y in (0, height - 1)


def gif(width, height, seed, comment=b''):
    """The same picture as png() as a GIF: 255 shades down the rows and the
    darker frame, LZW-coded with literal codes alone (a clear code every
    254 of them keeps the codes 9 bits wide). `comment` goes into a comment
    extension, which pads an original to its size."""
    width, height = max(1, width), max(1, height)
    r0, g0, b0 = _colours(seed)
    palette = [(r0 // 3, g0 // 3, b0 // 3)]
    palette += [_row_colour(seed, round(i * (height - 1) / 254), height)
                for i in range(255)]
    pixels = []
    for y in range(height):
        shade = 1 + round(y * 254 / max(height - 1, 1))
        pixels += [0 if _is_edge(x, y, width, height) else shade
                   for x in range(width)]
    codes = []
    for i, p in enumerate(pixels):
        if i % 254 == 0:
            codes.append(256)
        codes.append(p)
    codes.append(257)
    data, acc, bits = bytearray(), 0, 0
    for code in codes:
        acc |= code << bits
        bits += 9
        while bits >= 8:
            data.append(acc & 0xff)
            acc >>= 8
            bits -= 8
    if bits:
        data.append(acc & 0xff)

    def blocks(payload):
        out = bytearray()
        for i in range(0, len(payload), 255):
            chunk = payload[i:i + 255]
            out += bytes((len(chunk),)) + chunk
        return bytes(out + b'\x00')

    head = (b'GIF89a' + struct.pack('<HHBBB', width, height, 0xf7, 0, 0) +
            b''.join(bytes(c) for c in palette))
    extension = b'\x21\xfe' + blocks(comment) if comment else b''
    image = (b'\x2c' + struct.pack('<HHHHB', 0, 0, width, height, 0) +
             b'\x08' + blocks(bytes(data)))
    return head + extension + image + b'\x3b'


def bmp(width, height, seed, padding=0):
    """The same picture as a 24-bit BMP, `padding` zero bytes after the
    pixels (counted in the file's size)."""
    width, height = max(1, width), max(1, height)
    r0, g0, b0 = _colours(seed)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):      # bottom-up
        r, g, b = _row_colour(seed, y, height)
        row = bytearray()
        for x in range(width):
            row += bytes((b0 // 3, g0 // 3, r0 // 3) if _is_edge(x, y, width, height)
                         else (b, g, r))
        rows.append(bytes(row) + b'\x00' * (stride - width * 3))
    pixels = b''.join(rows)
    size = 54 + len(pixels) + padding
    return (b'BM' + struct.pack('<IHHI', size, 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels),
                        2835, 2835, 0, 0) + pixels + b'\x00' * padding)


def picture(mime, width, height, seed):
    """(bytes, type) of the generated picture in the photo's own type where
    the stand-in can write it (PNG, GIF, BMP), else a PNG."""
    if mime == 'image/gif':
        return gif(width, height, seed), mime
    if mime == 'image/bmp':
        return bmp(width, height, seed), mime
    return png(width, height, seed), 'image/png'


# Pictures that declare a size they barely hold: a decoder that believes
# the header needs width x height pixels of memory for a few bytes.
DECLARED_FORMATS = ('jpeg', 'png')


def _jpeg_segment(marker, data):
    return b'\xff' + bytes((marker,)) + struct.pack('>H', len(data) + 2) + data


@functools.lru_cache(maxsize=8)
def declared_jpeg(width, height):
    """A grey baseline JPEG of width x height whose scan holds a few blocks
    of flat grey and then ends: a decoder that goes on fills the rest."""
    quant = _jpeg_segment(0xDB, b'\x00' + b'\x01' * 64)
    frame = _jpeg_segment(0xC0, struct.pack('>BHHB', 8, height, width, 1) + b'\x01\x11\x00')
    # One code each: '0' for a DC difference of 0, '0' for the end of block.
    one_code = b'\x01' + b'\x00' * 15 + b'\x00'
    tables = _jpeg_segment(0xC4, b'\x00' + one_code + b'\x10' + one_code)
    scan = _jpeg_segment(0xDA, b'\x01\x01\x00\x00\x3f\x00')
    return b'\xff\xd8' + quant + frame + tables + scan + b'\x00' * 32 + b'\xff\xd9'


@functools.lru_cache(maxsize=8)
def declared_png(width, height):
    """A grey PNG of width x height, every row there and black: about a
    thousandth of its width x height bytes, decoded width x height."""
    # Made without compressing it all: a run of rows compressed once and
    # flushed so that it refers to nothing before it, then repeated.
    row = b'\x00' * (1 + width)
    per_run = max(1, min(height, (1 << 21) // len(row)))

    def run(rows):
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        return packer.compress(row * rows) + packer.flush(zlib.Z_FULL_FLUSH)

    runs, rest = divmod(height, per_run)
    deflated = run(per_run) * runs + (run(rest) if rest else b'') + b'\x03\x00'  # an empty last block
    # Adler-32 of zero bytes alone: 1, and the count in the high half.
    adler = ((len(row) * height) % 65521) << 16 | 1
    data = b'\x78\xda' + deflated + struct.pack('>I', adler)
    header = struct.pack('>IIBBBBB', width, height, 8, 0, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + _chunk(b'IHDR', header) +
            _chunk(b'IDAT', data) + _chunk(b'IEND', b''))


def declared_picture(kind, width, height):
    """(bytes, content type) of a declared_jpeg or declared_png."""
    if kind == 'jpeg':
        return declared_jpeg(width, height), 'image/jpeg'
    return declared_png(width, height), 'image/png'


def is_original(segments):
    """Whether an image address (segments after 'img') asks for the
    original: an s0 size folder."""
    return any(s == 's0' for s in segments[:-1])


# The private, safe-to-copy chunk that pads an original to its size.
_PAD_KIND = b'paDd'
_CHUNK_OVERHEAD = 12


@functools.lru_cache(maxsize=16)
def original(photo_id, size, width, height, mime='image/png'):
    """(bytes, type) of the original of a photo: the full-size picture
    padded to exactly `size` bytes (a PNG by an ancillary chunk before IEND,
    a GIF by a comment, a BMP by bytes after its pixels), the same bytes
    every time. A size too small for any padding gives the bare picture."""
    seed = photo_id % 9973
    scale = FULL_SIDE / max(width, height, 1)
    w, h = max(1, round(width * scale)), max(1, round(height * scale))
    if mime == 'image/gif':
        # Uncoded pixels take room: a smaller picture where the size is small.
        # (A comment takes 5 bytes at the least.)
        while max(w, h) > 1 and (len(gif(w, h, seed)) > size or 0 < size - len(gif(w, h, seed)) < 5):
            w, h = max(1, w // 2), max(1, h // 2)
        bare = gif(w, h, seed)
        return _padded_gif(bare, gif(w, h, seed, b'.'), size, w, h, seed), mime
    if mime == 'image/bmp':
        while len(bmp(w, h, seed)) > size and max(w, h) > 1:
            w, h = max(1, w // 2), max(1, h // 2)
        bare = bmp(w, h, seed)
        return bmp(w, h, seed, max(size - len(bare), 0)), mime
    return _padded_png(photo_id, size, w, h, seed), 'image/png'


def _padded_gif(bare, one, size, w, h, seed):
    """A GIF of exactly `size` bytes where it can be: a comment of n bytes
    takes n + ceil(n / 255) + 3 bytes, which misses every 256th length; that
    one gets an empty second comment (3 bytes) after a shorter first."""
    room = size - len(bare)

    def comment_for(total):
        start = max(1, total - 3 - total // 255 - 2)
        for n in range(start, max(start, total) + 1):
            if n + -(-n // 255) + 3 == total:
                return n
        return None

    n = comment_for(room)
    if n is not None:
        return gif(w, h, seed, b'.' * n)
    n = comment_for(room - 3)
    if n is None:
        return bare
    picture = gif(w, h, seed, b'.' * n)
    return picture[:-1] + b'\x21\xfe\x00' + picture[-1:]


def _padded_png(photo_id, size, w, h, seed):
    picture = png(w, h, seed)
    room = size - len(picture) - _CHUNK_OVERHEAD
    if room < 0:
        picture = png(1, 1, seed)
        room = size - len(picture) - _CHUNK_OVERHEAD
        if room < 0:
            return picture
    pattern = bytes((photo_id * 31 + i * 7) % 256 for i in range(256))
    fill = (pattern * (room // 256 + 1))[:room]
    end = len(picture) - _CHUNK_OVERHEAD     # IEND is the last, empty chunk
    return picture[:end] + _chunk(_PAD_KIND, fill) + picture[end:]


def image_for_path(segments, photo):
    """PNG bytes for an image address: segments after 'img'. A segment
    s{N} or s{N}-c picks the size (s0: full size); the photo, when known,
    gives the proportions and the colour."""
    side, crop = DEFAULT_SIDE, False
    for s in segments[:-1]:
        m = _SIZE.match(s)
        if m:
            n = int(m.group(1))
            side = FULL_SIDE if n == 0 else min(n, MAX_SIDE)
            crop = bool(m.group(2))
    if photo and not crop and photo['width'] > 0 and photo['height'] > 0:
        scale = side / max(photo['width'], photo['height'])
        w, h = round(photo['width'] * scale), round(photo['height'] * scale)
    elif crop:
        w = h = side
    else:
        w, h = side, side * 3 // 4
    seed = photo['id'] % 9973 if photo else sum(map(ord, '/'.join(segments))) % 9973
    return png(w, h, seed)


# The first bytes of a Flash video and of an MPEG-4 file, padded out so the
# placeholder has a plausible size.
_FLV = b'FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00'
_MP4 = (struct.pack('>I', 24) + b'ftypmp42' + b'\x00\x00\x00\x00' + b'mp42isom' +
        struct.pack('>I', 8) + b'free')


def video_placeholder(mime):
    head = _FLV if 'flash' in mime else _MP4
    return head + b'\x00' * (2048 - len(head))


def video_type(name, photo, index):
    """The type of rendition `index` of photo, else guessed from the name."""
    video = photo.get('video') if photo else None
    if video and 0 <= index < len(video['renditions']):
        return video['renditions'][index][0]
    return 'application/x-shockwave-flash' if name.endswith('.flv') else 'video/mpeg4'
