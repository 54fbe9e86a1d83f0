import unittest

from photoservice.store import LOGIN_ERRORS
from tests.support import ServiceTestCase


class ClientLoginTest(ServiceTestCase):

    def post_form(self, body):
        return self.request('POST', '/accounts/ClientLogin', body, {
            'Content-Type': 'application/x-www-form-urlencoded'})

    def test_success_gives_three_lines_and_a_working_token(self):
        reply = self.post_form(b'accountType=HOSTED_OR_GOOGLE&Email=demo@example.com'
                               b'&Passwd=demo&service=lh2&source=QUILLON 1.0')
        self.assertEqual(reply.status, 200)
        self.assertTrue(reply.headers['Content-Type'].startswith('text/plain'))
        lines = reply.text.split('\n')
        self.assertEqual([l.split('=', 1)[0] for l in lines], ['SID', 'LSID', 'Auth', ''])
        token = lines[2][5:]
        self.assertGreater(len(token), 20)
        root = self.feed('/data/feed/api/user/demo@example.com', token)
        self.assertIsNotNone(root.find('{http://schemas.google.com/photos/2007}quotalimit'))

    def test_tokens_differ_between_sign_ins_and_name_works_too(self):
        first = self.login('demo@example.com', 'demo')
        second = self.login('demo', 'demo')
        self.assertNotEqual(first, second)

    def test_wrong_password_and_unknown_name(self):
        for email, password in (('demo@example.com', 'wrong'),
                                ('nobody@example.com', 'demo'),
                                ('', '')):
            reply = self.login(email, password, expect=403)
            self.assertEqual(reply.text, 'Error=BadAuthentication\n')

    def test_every_error_state(self):
        for error in LOGIN_ERRORS:
            with self.subTest(error=error):
                reply = self.login(error.lower() + '@example.com', 'demo',
                                   expect=503 if error == 'ServiceUnavailable' else 403)
                lines = reply.text.strip().split('\n')
                self.assertEqual(lines[0], 'Error=' + error)
                self.assertTrue(lines[1].startswith('Url=http://localhost:'))
                if error == 'CaptchaRequired':
                    self.assertRegex(lines[2], r'^CaptchaToken=\S+$')
                    self.assertRegex(lines[3], r'^CaptchaUrl=Captcha\?ctoken=\S+$')
                    captcha = self.request('GET', '/accounts/' + lines[3][11:])
                    self.assertEqual(captcha.status, 200)
                    self.assertEqual(captcha.body[:8], b'\x89PNG\r\n\x1a\n')
                else:
                    self.assertEqual(len(lines), 2)
                # a wrong password is still just a wrong password
                wrong = self.login(error.lower() + '@example.com', 'x', expect=403)
                self.assertEqual(wrong.text, 'Error=BadAuthentication\n')

    def test_percent_encoded_symbols_password(self):
        self.login('symbols@example.com', 'p&ss=w+rd% ü')
        # the same password sent without escaping reaches the service altered
        raw = 'Email=symbols@example.com&Passwd=p&ss=w+rd% ü&service=lh2'
        self.assertEqual(self.post_form(raw.encode('utf-8')).status, 403)
        self.assertEqual(self.post_form(raw.encode('cp1252')).status, 403)

    def test_raw_non_ascii_bytes_in_code_pages(self):
        # A Japanese name sent unescaped in the Japanese code page, and the
        # Latin-1 u-umlaut of an escaped password, are both understood.
        self.assertEqual(self.post_form(
            'Email=写真家&Passwd=demo&service=lh2'.encode('cp932')).status, 200)
        self.assertEqual(self.post_form(
            b'Email=symbols%40example.com&Passwd=p%26ss%3Dw%2Brd%25%20%FC').status, 200)

    def test_only_post(self):
        reply = self.request('GET', '/accounts/ClientLogin')
        self.assertEqual(reply.status, 405)
        self.assertEqual(reply.headers['Allow'], 'POST')


if __name__ == '__main__':
    unittest.main()
