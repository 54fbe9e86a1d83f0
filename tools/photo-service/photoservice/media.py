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
def original(photo_id, size, width, height):
    """The original of a photo: the full-size picture padded with an
    ancillary chunk before IEND to exactly `size` bytes, the same bytes
    every time. A size too small for any padding gives the bare picture."""
    seed = photo_id % 9973
    scale = FULL_SIDE / max(width, height, 1)
    picture = png(max(1, round(width * scale)), max(1, round(height * scale)), seed)
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
