"""HTTP/1.1 request handling: reading requests, the request log, armed
faults, and writing answers with a correct Content-Length."""
import http.server
import socket
import struct
import sys
import traceback

from . import uploads
from .api import Request, Response, kind_of, path_segments, text
from urllib.parse import parse_qsl

MAX_BODY = 64 * 1024 * 1024
_HOST_CHARS = set('abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]')


class BadRequest(Exception):
    pass


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    # Wine's WinHTTP sends headers and body in separate segments; with
    # Nagle's algorithm and delayed ACKs each keep-alive request would
    # stall for about 40 ms.
    disable_nagle_algorithm = True
    server_version = 'PhotoService/1.0'
    sys_version = ''
    timeout = 600

    def version_string(self):
        return self.server_version

    def setup(self):
        super().setup()
        host, port = self.client_address[:2]
        self.conn_id = '%s:%d' % (host, port)
        self.app = self.server.app

    def finish(self):
        try:
            super().finish()
        except (OSError, ValueError):
            pass

    def log_message(self, format, *args):
        if self.app.verbose:
            sys.stderr.write('%s %s\n' % (self.conn_id, format % args))

    def handle_one_request(self):
        try:
            self.raw_requestline = self.rfile.readline(65537)
        except (OSError, ValueError):
            self.close_connection = True
            return
        if not self.raw_requestline:
            self.close_connection = True
            return
        if len(self.raw_requestline) > 65536:
            self.requestline = self.request_version = self.command = ''
            self.send_error(414)
            return
        try:
            if not self.parse_request():
                return
            self._quickack()
            self._handle()
            self.wfile.flush()
        except (OSError, ValueError):
            # The client went away, or the socket was cut on purpose.
            self.close_connection = True

    def _quickack(self):
        quickack = getattr(socket, 'TCP_QUICKACK', None)
        if quickack is not None:
            try:
                self.connection.setsockopt(socket.IPPROTO_TCP, quickack, 1)
            except OSError:
                pass

    # -- reading ----------------------------------------------------------------

    def _read_body(self):
        if 'chunked' in self.headers.get('Transfer-Encoding', '').lower():
            return self._read_chunked()
        length = self.headers.get('Content-Length')
        if length is None:
            return b''
        try:
            n = int(length.strip())
        except ValueError:
            raise BadRequest('Invalid Content-Length: %r' % length)
        if n < 0 or n > MAX_BODY:
            raise BadRequest('Content-Length out of range: %d' % n)
        body = self.rfile.read(n)
        if len(body) < n:
            raise ConnectionError('request body cut short')
        return body

    def _read_chunked(self):
        parts, total = [], 0
        while True:
            line = self.rfile.readline(1024)
            try:
                size = int(line.split(b';')[0].strip(), 16)
            except ValueError:
                raise BadRequest('Invalid chunk size line')
            if size == 0:
                while self.rfile.readline(1024) not in (b'\r\n', b'\n', b''):
                    pass
                return b''.join(parts)
            total += size
            if total > MAX_BODY:
                raise BadRequest('Body too large')
            parts.append(self.rfile.read(size))
            self.rfile.readline(1024)

    def _base(self):
        host = self.headers.get('Host', '')
        if not host or not set(host) <= _HOST_CHARS:
            host = 'localhost:%d' % self.server.server_address[1]
        return '%s://%s' % (self.server.scheme, host)

    # -- one request ------------------------------------------------------------

    def _handle(self):
        raw = self.path.encode('latin-1', errors='replace')
        if raw[:7].lower() == b'http://' or raw[:8].lower() == b'https://':
            # absolute form, as sent to a proxy: keep the path and query
            raw = b'/' + raw.split(b'/', 3)[3] if raw.count(b'/') >= 3 else b'/'
        raw_path, _, raw_query = raw.partition(b'?')
        query_text = raw_query.decode('utf-8', errors='replace')
        method = self.command
        spooled, bad_status = None, 400
        try:
            if uploads.is_upload(method, path_segments(raw_path)):
                # Photos and videos go to a file as they arrive.
                spooled = uploads.spool(self.rfile, self.headers,
                                        uploads.folder(self.app.store))
                body, bad = spooled.head, None
            else:
                body, bad = self._read_body(), None
        except BadRequest as e:
            body, bad = b'', str(e)
            self.close_connection = True
        except uploads.Refused as e:
            body, bad, bad_status = b'', e.message, e.status
            self.close_connection = True
        try:
            self._handle_read(method, raw_path, query_text, body, bad, bad_status,
                              spooled)
        finally:
            if spooled is not None:
                spooled.discard()

    def _handle_read(self, method, raw_path, query_text, body, bad, bad_status,
                     spooled):

        if raw_path.startswith(b'/__control/') and bad is None:
            self._send(self._answer(lambda: self.app.control.handle(
                method, raw_path[len(b'/__control/'):].decode('latin-1'),
                dict(parse_qsl(query_text)), body, self.client_address[0])))
            return

        segments = path_segments(raw_path)
        log = self.app.reqlog
        entry = log.record(method, raw_path.decode('utf-8', errors='backslashreplace'),
                           query_text, list(self.headers.items()), body,
                           self.conn_id, self.server.scheme,
                           kind_of(method, segments))
        # The slow link: logged on arrival, answered (faults too) later.
        if self.app.latency_ms:
            self.app.stopping.wait(self.app.latency_ms / 1000.0)
        if bad is not None:
            log.answered(entry, bad_status)
            self._send(text(bad_status, bad))
            return
        decoded = '/' + '/'.join(segments)
        fault = self.app.faults.take(method, {raw_path.decode('latin-1'), decoded})
        if fault is not None:
            self._fault(fault, entry, body)
            return
        request = Request(method, raw_path, dict(parse_qsl(query_text)),
                          self.headers, body, self._base())
        request.upload = spooled
        response = self._answer(lambda: self.app.api.dispatch(request))
        # The log has the status before the client can see the answer.
        log.answered(entry, response.status)
        self._send(response)

    def _answer(self, make):
        """make()'s response, or a 500 when it fails unexpectedly."""
        try:
            return make()
        except Exception:
            sys.stderr.write('error answering %s %s\n' % (self.command, self.path))
            traceback.print_exc()
            return text(500, 'Internal server error')

    def _send(self, response, declared_length=None):
        body = response.body
        self.send_response(response.status)
        for name, value in response.headers:
            self.send_header(name, value)
        if response.content_type:
            self.send_header('Content-Type', response.content_type)
        self.send_header('Content-Length', str(
            len(body) if declared_length is None else declared_length))
        if self.close_connection:
            self.send_header('Connection', 'close')
        self.end_headers()
        if self.command != 'HEAD' and body:
            self.wfile.write(body)

    # -- faults -----------------------------------------------------------------

    def _fault(self, fault, entry, body=b''):
        """Carries out an armed fault, logging what the client will see."""
        stopping, log = self.app.stopping, self.app.reqlog
        if fault.action == 'hang':
            stopping.wait(fault.delay)
            log.answered(entry, 'hang')
            self.close_connection = True
            return
        if fault.delay:
            stopping.wait(fault.delay)
        if fault.action == 'cut_body':
            self._cut_body(fault, entry, body)
            return
        if fault.action == 'endless':
            self._endless(fault, entry)
            return
        if fault.action == 'reset':
            log.answered(entry, 'reset')
            partial = fault.partial_bytes()
            if partial:
                self.wfile.write(partial)
            self._cut()
            return
        status, body, content_type = fault.answer()
        response = Response(status, body, content_type, fault.headers.items())
        log.answered(entry, status)
        if fault.short:
            self.close_connection = True
            self._send(response, declared_length=len(body) + 512)
        else:
            self._send(response)

    def _cut_body(self, fault, entry, body=b''):
        """The real answer with its whole Content-Length, but only the first
        `keep` bytes of its body before the connection is closed (an orderly
        close, so that the client surely reads what was sent): a download
        cut short."""
        raw, _, query = self.path.partition('?')
        request = Request(self.command, raw.encode('latin-1', errors='replace'),
                          dict(parse_qsl(query)), self.headers, body, self._base())
        response = self._answer(lambda: self.app.api.dispatch(request))
        body = response.body
        keep = len(body) // 2 if fault.keep is None else min(fault.keep, len(body))
        self.app.reqlog.answered(entry, 'cut')
        self.send_response(response.status)
        for name, value in response.headers:
            self.send_header(name, value)
        if response.content_type:
            self.send_header('Content-Type', response.content_type)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body[:keep])
        self.wfile.flush()
        if fault.hold:
            self.app.stopping.wait(fault.hold)
        self.close_connection = True

    def _endless(self, fault, entry):
        """A body that does not end: zero bytes until the client hangs up
        (or `limit` bytes went out), without a Content-Length unless the
        fault announces one. The log entry gets 'sent', the bytes that went
        out, once the connection is done."""
        self.app.reqlog.answered(entry, 'endless')
        self.send_response(fault.status)
        for name, value in fault.headers.items():
            self.send_header(name, value)
        self.send_header('Content-Type', fault.content_type or 'application/octet-stream')
        if fault.length is not None:
            self.send_header('Content-Length', str(fault.length))
        self.send_header('Connection', 'close')
        self.end_headers()
        self.close_connection = True
        piece = bytes(256 * 1024)
        sent = 0
        try:
            while sent < fault.limit and not self.app.stopping.is_set():
                n = min(len(piece), fault.limit - sent)
                self.wfile.write(piece[:n])
                sent += n
            self.wfile.flush()
        except OSError:
            pass                            # the client hung up
        finally:
            self.app.reqlog.note(entry, 'sent', sent)

    def _cut(self):
        """Closes the connection with a reset instead of an orderly close."""
        self.close_connection = True
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                   struct.pack('ii', 1, 0))
        self.rfile.close()
        self.connection.close()
