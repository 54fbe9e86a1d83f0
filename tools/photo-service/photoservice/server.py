"""The application: the store, the request log, the faults and the two
loopback listeners (HTTP and HTTPS) that serve both services."""
import http.server
import os
import socketserver
import ssl
import subprocess
import sys
import threading
import traceback

from . import fixtures
from .api import DEFAULT_PAGE_SIZE, PhotoApi
from .control import Control
from .faults import FaultTable
from .handler import Handler
from .reqlog import RequestLog
from .store import Store

HOST = '127.0.0.1'


def ensure_certificate(data_dir, required=True):
    """DIR/cert.pem and DIR/key.pem for localhost, made once with openssl.

    Without the openssl command (as on most Windows machines) this is None
    when not required: the service then serves HTTP alone."""
    cert = os.path.join(data_dir, 'cert.pem')
    key = os.path.join(data_dir, 'key.pem')
    if os.path.exists(cert) and os.path.exists(key):
        return cert, key
    tmp_cert, tmp_key = cert + '.tmp', key + '.tmp'
    try:
        subprocess.run(
            ['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes',
             '-days', '3650', '-subj', '/CN=localhost',
             '-addext', 'subjectAltName=DNS:localhost,IP:127.0.0.1',
             '-keyout', tmp_key, '-out', tmp_cert],
            check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, timeout=120)
    except FileNotFoundError:
        if not required:
            return None
        raise SystemExit('photo-service: the openssl command is needed to make '
                         'the HTTPS certificate')
    except subprocess.CalledProcessError as e:
        raise SystemExit('photo-service: openssl failed: %s' %
                         e.stderr.decode(errors='replace'))
    os.replace(tmp_key, key)
    os.replace(tmp_cert, cert)
    return cert, key


class Listener(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, port, app, ssl_context=None):
        self.app = app
        self.ssl_context = ssl_context
        self.scheme = 'https' if ssl_context else 'http'
        super().__init__((HOST, port), Handler)

    def server_bind(self):
        # HTTPServer.server_bind would look the host name up; not needed.
        socketserver.TCPServer.server_bind(self)
        self.server_name = 'localhost'
        self.server_port = self.server_address[1]

    def process_request_thread(self, request, client_address):
        # The TLS handshake runs here, in the connection's own thread, so a
        # slow or broken client cannot hold up the accept loop.
        try:
            if self.ssl_context is not None:
                request.settimeout(30)
                request = self.ssl_context.wrap_socket(request, server_side=True)
            self.finish_request(request, client_address)
        except Exception:
            self.handle_error(request, client_address)
        finally:
            self.shutdown_request(request)

    def handle_error(self, request, client_address):
        if isinstance(sys.exc_info()[1], OSError):
            return          # disconnects and failed handshakes
        sys.stderr.write('photo-service: error on connection from %s\n' %
                         (client_address,))
        traceback.print_exc()

    @property
    def url(self):
        return '%s://localhost:%d' % (self.scheme, self.server_address[1])


class PhotoService:
    def __init__(self, data_dir, fixture=None, verbose=False,
                 page_size=DEFAULT_PAGE_SIZE, latency_ms=0):
        self.data_dir = os.path.abspath(data_dir)
        os.makedirs(self.data_dir, exist_ok=True)
        self.verbose = verbose
        # What the command line asked for; a reset comes back to it.
        self.start_settings = {'page_size': page_size, 'latency_ms': latency_ms,
                               'media_host': ''}
        # Every reply but the control endpoint's waits this long first.
        self.latency_ms = latency_ms
        self.store = Store(os.path.join(self.data_dir, 'store.sqlite3'))
        if fixture:
            fixtures.load(self.store, fixture)
        elif self.store.fixture_name() is None:
            fixtures.load(self.store, 'demo')
        self.reqlog = RequestLog(os.path.join(self.data_dir, 'requests.log'))
        self.faults = FaultTable()
        self.api = PhotoApi(self.store, page_size)
        self.control = Control(self)
        self.stopping = threading.Event()
        self.listeners = []
        self.threads = []

    def reset(self, fixture):
        fixtures.load(self.store, fixture)
        self.faults.clear()
        self.reqlog.clear()
        self.change_settings(self.start_settings)

    def settings(self):
        return {'page_size': self.api.page_size, 'latency_ms': self.latency_ms,
                'media_host': self.api.media_host}

    def change_settings(self, changes):
        """Takes page_size (at least 1), latency_ms (0 or more) and
        media_host ('' or another name of this server, such as 127.0.0.1);
        the values are checked before any is changed."""
        unknown = set(changes) - {'page_size', 'latency_ms', 'media_host'}
        if unknown:
            raise ValueError('unknown settings: %s' % ', '.join(sorted(unknown)))
        values = self.settings()
        for name, value in changes.items():
            if name == 'media_host':
                if not isinstance(value, str) or not set(value) <= set(
                        'abcdefghijklmnopqrstuvwxyz0123456789.-'):
                    raise ValueError('media_host must be a host name or ""')
                values[name] = value
                continue
            if not isinstance(value, int) or isinstance(value, bool):
                raise ValueError('%s must be a whole number' % name)
            values[name] = value
        if values['page_size'] < 1 or values['latency_ms'] < 0:
            raise ValueError('page_size must be 1 or more and latency_ms 0 or more')
        self.api.page_size = values['page_size']
        self.latency_ms = values['latency_ms']
        self.api.media_host = values['media_host']
        return self.settings()

    def start(self, http_port=0, https_port=0, https_required=True):
        self.listeners = [Listener(http_port, self)]
        pair = ensure_certificate(self.data_dir, https_required)
        if pair:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*pair)
            self.listeners.append(Listener(https_port, self, context))
        for listener in self.listeners:
            t = threading.Thread(target=listener.serve_forever,
                                 kwargs={'poll_interval': 0.2},
                                 name='serve-' + listener.scheme, daemon=True)
            t.start()
            self.threads.append(t)
        return self.urls()

    def urls(self):
        return {l.scheme: l.url for l in self.listeners}

    def info(self):
        return dict(self.urls(), pid=os.getpid(), data=self.data_dir,
                    fixture=self.store.fixture_name(), **self.settings())

    def stop(self):
        self.stopping.set()
        for listener in self.listeners:
            listener.shutdown()
            listener.server_close()
        for t in self.threads:
            t.join(5)
        self.reqlog.close()
        self.store.close()
