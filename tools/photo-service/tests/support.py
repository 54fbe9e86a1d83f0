"""Shared by the tests: a real service on free loopback ports in a fresh
data folder, and small HTTP helpers built on http.client."""
import atexit
import http.client
import json
import os
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import quote

from photoservice.feeds import OPENSEARCH
from photoservice.server import PhotoService, ensure_certificate

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE_DIR = os.path.dirname(HERE)
SERVE = os.path.join(SERVICE_DIR, 'serve.py')

NS = {'atom': 'http://www.w3.org/2005/Atom',
      'gphoto': 'http://schemas.google.com/photos/2007',
      'media': 'http://search.yahoo.com/mrss/',
      'gd': 'http://schemas.google.com/g/2005',
      'openSearch': OPENSEARCH}
A, G, M = '{%s}' % NS['atom'], '{%s}' % NS['gphoto'], '{%s}' % NS['media']

_certificate_dir = None


def copy_certificate(data_dir):
    """Gives data_dir a certificate made once per test run (making an RSA
    key for every test class would cost seconds)."""
    global _certificate_dir
    if _certificate_dir is None:
        _certificate_dir = tempfile.mkdtemp(prefix='photo-service-cert-')
        atexit.register(shutil.rmtree, _certificate_dir, True)
        ensure_certificate(_certificate_dir)
    for name in ('cert.pem', 'key.pem'):
        shutil.copy(os.path.join(_certificate_dir, name), data_dir)


class Reply:
    def __init__(self, response, body):
        self.status = response.status
        self.headers = response.headers
        self.body = body

    @property
    def text(self):
        return self.body.decode('utf-8')

    def xml(self):
        return ET.fromstring(self.body)


class ServiceTestCase(unittest.TestCase):
    """One in-process service per test class, on ports chosen by the system."""
    fixture = 'demo'

    @classmethod
    def setUpClass(cls):
        cls.data_dir = tempfile.mkdtemp(prefix='photo-service-test-')
        copy_certificate(cls.data_dir)
        cls.service = PhotoService(cls.data_dir, cls.fixture)
        urls = cls.service.start(0, 0)
        cls.http_port = int(urls['http'].rsplit(':', 1)[1])
        cls.https_port = int(urls['https'].rsplit(':', 1)[1])

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.data_dir, ignore_errors=True)

    def connect(self, timeout=10):
        return http.client.HTTPConnection('localhost', self.http_port,
                                          timeout=timeout)

    def request(self, method, path, body=None, headers=None, token=None,
                conn=None):
        """Sends one request (on conn when given, else on a new connection)
        and returns the whole reply."""
        headers = dict(headers or {})
        if token:
            headers['Authorization'] = 'GoogleLogin auth=' + token
        if isinstance(body, str):
            body = body.encode('utf-8')
        own = conn is None
        conn = conn or self.connect()
        try:
            conn.request(method, path, body=body, headers=headers)
            response = conn.getresponse()
            return Reply(response, response.read())
        finally:
            if own:
                conn.close()

    def login(self, email, password, expect=200):
        form = 'accountType=HOSTED_OR_GOOGLE&Email=%s&Passwd=%s&service=lh2&source=%s' % (
            quote(email, safe=''), quote(password, safe=''), quote('QUILLON 1.0'))
        reply = self.request('POST', '/accounts/ClientLogin', form, {
            'Content-Type': 'application/x-www-form-urlencoded'})
        self.assertEqual(reply.status, expect, reply.text)
        if expect != 200:
            return reply
        auth = [l for l in reply.text.split('\n') if l.startswith('Auth=')]
        self.assertEqual(len(auth), 1, reply.text)
        return auth[0][5:]

    def control(self, method, name, payload=None, expect=200):
        body = json.dumps(payload) if payload is not None else None
        reply = self.request(method, '/__control/' + name, body)
        self.assertEqual(reply.status, expect, reply.text)
        return json.loads(reply.body)

    def reset(self, fixture='demo'):
        self.control('POST', 'reset', {'fixture': fixture})

    def feed(self, path, token=None, expect=200):
        reply = self.request('GET', path, token=token)
        self.assertEqual(reply.status, expect, reply.text)
        self.assertEqual(reply.headers['Content-Type'],
                         'application/atom+xml; charset=UTF-8')
        return reply.xml()

    def album_by_title(self, root, title):
        for entry in root.findall(A + 'entry'):
            if entry.findtext(A + 'title') == title:
                return entry
        self.fail('no album %r in the feed' % title)

    @staticmethod
    def link(entry, rel):
        for link in entry.findall(A + 'link'):
            if link.get('rel') == rel:
                return link.get('href')
        return None

    @staticmethod
    def path_of(url):
        return '/' + url.split('/', 3)[3]

    def photos_path(self, album):
        """The path of an album entry's photo feed."""
        return self.path_of(self.link(album, 'http://schemas.google.com/g/2005#feed'))
