"""serve.py as a process: ready file, HTTPS certificate, clean stop on
signals, data that survives a restart; and the large data set."""
import http.client
import json
import os
import shutil
import signal
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

from tests.support import A, G, SERVE, SERVICE_DIR

NEW_ALBUM = ("<entry xmlns='http://www.w3.org/2005/Atom' "
             "xmlns:gphoto='http://schemas.google.com/photos/2007'>"
             "<title type='text'>Kept</title><gphoto:access>public</gphoto:access>"
             "</entry>")


class ServeProcess:
    def __init__(self, data_dir, *args, https=True, env=None):
        self.ready = os.path.join(data_dir, 'ready.json')
        if os.path.exists(self.ready):
            os.remove(self.ready)
        self.proc = subprocess.Popen(
            [sys.executable, SERVE, '--data', data_dir, '--http-port', '0',
             *(['--https-port', '0'] if https else []), '--ready-file', self.ready, *args],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        deadline = time.monotonic() + 30
        while not os.path.exists(self.ready):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.kill()
                raise AssertionError('serve.py did not start: %s' %
                                     self.proc.stderr.read())
            time.sleep(0.05)
        with open(self.ready, encoding='utf-8') as f:
            self.urls = json.load(f)
        self.http_port = int(self.urls['http'].rsplit(':', 1)[1])
        self.https_port = int(self.urls['https'].rsplit(':', 1)[1]) if https else 0

    def request(self, method, path, body=None, headers=None):
        conn = http.client.HTTPConnection('localhost', self.http_port, timeout=30)
        try:
            conn.request(method, path, body=body, headers=headers or {})
            response = conn.getresponse()
            return response.status, response.read()
        finally:
            conn.close()

    def stop(self, sig=signal.SIGTERM):
        self.proc.send_signal(sig)
        out, err = self.proc.communicate(timeout=20)
        return self.proc.returncode, out, err

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.communicate()


class ServeProcessTest(unittest.TestCase):

    def setUp(self):
        self.data_dir = tempfile.mkdtemp(prefix='photo-service-proc-')
        self.processes = []

    def tearDown(self):
        for p in self.processes:
            p.kill()
        shutil.rmtree(self.data_dir, ignore_errors=True)

    def start(self, *args, **options):
        p = ServeProcess(self.data_dir, *args, **options)
        self.processes.append(p)
        return p

    def login(self, p):
        status, body = p.request('POST', '/accounts/ClientLogin',
                                 b'Email=demo&Passwd=demo&service=lh2')
        self.assertEqual(status, 200)
        return body.decode().split('Auth=')[1].strip()

    def titles(self, p, token):
        status, body = p.request('GET', '/data/feed/api/user/demo',
                                 headers={'Authorization': 'GoogleLogin auth=' + token})
        self.assertEqual(status, 200)
        return [e.findtext(A + 'title') for e in ET.fromstring(body).findall(A + 'entry')]

    def test_without_openssl_serves_http_alone(self):
        # As on a Windows machine: no openssl command, no HTTPS port asked for.
        env = dict(os.environ, PATH=tempfile.mkdtemp(prefix='no-openssl-'))
        p = self.start('--fixture', 'demo', https=False, env=env)
        self.assertEqual(p.urls['https'], '')
        self.assertEqual(self.titles(p, self.login(p))[:1], ['Office party'])
        self.assertFalse(os.path.exists(os.path.join(self.data_dir, 'cert.pem')))
        code, out, _ = p.stop()
        self.assertEqual(code, 0)
        self.assertIn('https (off: no openssl command)', out)
        shutil.rmtree(env['PATH'], ignore_errors=True)

    def test_start_https_stop_and_restart(self):
        p = self.start('--fixture', 'demo')
        self.assertEqual(p.urls['pid'], p.proc.pid)
        cert = os.path.join(self.data_dir, 'cert.pem')
        with open(cert, 'rb') as f:
            cert_bytes = f.read()
        self.assertIn(b'BEGIN CERTIFICATE', cert_bytes)
        context = ssl.create_default_context(cafile=cert)
        conn = http.client.HTTPSConnection('localhost', p.https_port, context=context,
                                           timeout=30)
        conn.request('GET', '/data/feed/api/user/demo@example.com')
        response = conn.getresponse()
        self.assertEqual(response.status, 200)
        self.assertIn(b"href='https://localhost:%d/" % p.https_port, response.read())
        conn.close()
        token = self.login(p)
        status, _ = p.request('POST', '/data/feed/api/user/demo', NEW_ALBUM.encode(), {
            'Authorization': 'GoogleLogin auth=' + token,
            'Content-Type': 'application/atom+xml; charset=UTF-8'})
        self.assertEqual(status, 201)
        code, out, err = p.stop()
        self.assertEqual(code, 0, err)
        self.assertEqual(out.split('\n')[:2], ['http  ' + p.urls['http'],
                                               'https ' + p.urls['https']])

        again = self.start()                      # no fixture: the store is kept
        self.assertIn('Kept', self.titles(again, self.login(again)))
        with open(cert, 'rb') as f:
            self.assertEqual(f.read(), cert_bytes)
        self.assertEqual(again.stop(signal.SIGINT)[0], 0)

        fresh = self.start('--fixture', 'demo')
        self.assertNotIn('Kept', self.titles(fresh, self.login(fresh)))
        self.assertEqual(fresh.stop()[0], 0)

    def test_large_fixture(self):
        # How long its start takes is for scripts/bench, which starts it too.
        p = self.start('--fixture', 'large')
        status, body = p.request('GET', '/__control/state')
        state = json.loads(body)
        large = [a for a in state['accounts'] if a['email'] == 'large@example.com'][0]
        self.assertEqual(len(large['albums']), 1000)
        self.assertEqual(sum(a['numphotos'] for a in large['albums']), 10000)
        self.assertEqual(max(a['numphotos'] for a in large['albums']), 1000)
        status, body = p.request('POST', '/accounts/ClientLogin',
                                 b'Email=large%40example.com&Passwd=large')
        token = body.decode().split('Auth=')[1].strip()
        status, body = p.request('GET', '/data/feed/api/user/large', headers={
            'Authorization': 'GoogleLogin auth=' + token})
        entries = ET.fromstring(body).findall(A + 'entry')
        self.assertEqual(len(entries), 1000)
        big = [e for e in entries if e.findtext(G + 'numphotos') == '1000'][0]
        status, body = p.request('GET', '/data/feed/api/user/large/albumid/%s'
                                 % big.findtext(G + 'id'), headers={
                                     'Authorization': 'GoogleLogin auth=' + token})
        self.assertEqual(len(ET.fromstring(body).findall(A + 'entry')), 1000)
        self.assertEqual(p.stop()[0], 0)

    def test_page_size_and_latency_from_the_command_line(self):
        p = self.start('--fixture', 'demo', '--page-size', '5', '--latency-ms', '150')
        info = json.loads(p.request('GET', '/__control/info')[1])
        self.assertEqual((info['page_size'], info['latency_ms']), (5, 150))
        status, body = p.request('POST', '/accounts/ClientLogin',
                                 b'Email=demo%40example.com&Passwd=demo')
        token = body.decode().split('Auth=')[1].strip()
        started = time.monotonic()
        status, body = p.request('GET', '/data/feed/api/user/demo', headers={
            'Authorization': 'GoogleLogin auth=' + token})
        self.assertGreaterEqual(time.monotonic() - started, 0.14)
        root = ET.fromstring(body)
        self.assertEqual(len(root.findall(A + 'entry')), 5)
        self.assertIn('start-index=6', [l.get('href') for l in root.findall(A + 'link')
                                        if l.get('rel') == 'next'][0])
        # A reset comes back to the command line's values.
        p.request('POST', '/__control/settings', b'{"page_size": 100, "latency_ms": 0}')
        p.request('POST', '/__control/reset', b'{}')
        info = json.loads(p.request('GET', '/__control/settings')[1])
        self.assertEqual(info, {'page_size': 5, 'latency_ms': 150, 'media_host': ''})
        self.assertEqual(p.stop()[0], 0)
        for bad in (('--page-size', '0'), ('--latency-ms', '-5')):
            result = subprocess.run([sys.executable, SERVE, '--data', self.data_dir, *bad],
                                    capture_output=True, text=True, timeout=30)
            self.assertEqual(result.returncode, 2, bad)

    def test_generator_script(self):
        result = subprocess.run(
            [sys.executable, os.path.join(SERVICE_DIR, 'gen_large.py'), '--data',
             self.data_dir, '--albums', '20', '--photos', '300', '--big-album', '100'],
            capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        p = self.start()
        state = json.loads(p.request('GET', '/__control/state')[1])
        self.assertEqual(state['fixture'], 'large')
        large = [a for a in state['accounts'] if a['name'] == 'large'][0]
        counts = sorted(a['numphotos'] for a in large['albums'])
        self.assertEqual((len(counts), sum(counts), counts[-1]), (20, 300, 100))
        self.assertLessEqual(counts[-2] - counts[0], 1)     # the rest spread evenly
        self.assertEqual(p.stop()[0], 0)


if __name__ == '__main__':
    unittest.main()
