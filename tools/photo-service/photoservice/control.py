"""The control endpoint under /__control/: JSON in and out, loopback only.

  POST reset            {"fixture": "demo"}   store, tokens, faults, log
  GET  requests?since=N                       {"requests": [...], "next": M}
  POST clear-requests
  POST fault            {...}                 {"id": N}
  GET  faults
  POST clear-faults
  GET  counters
  GET  state
  GET  info
  GET  settings                               {"page_size", "latency_ms", "media_host"}
  POST settings         {"latency_ms": 50}    changed until the next reset
"""
import json

from .api import Response

LOOPBACK = ('127.0.0.1', '::1', '::ffff:127.0.0.1')


def _json(status, value):
    return Response(status, json.dumps(value, ensure_ascii=False, indent=1),
                    'application/json; charset=UTF-8')


class Control:
    def __init__(self, app):
        self.app = app

    def handle(self, method, name, query, body, client_host):
        if client_host not in LOOPBACK:
            return _json(403, {'error': 'the control endpoint answers loopback only'})
        try:
            payload = json.loads(body.decode('utf-8')) if body.strip() else {}
        except (UnicodeDecodeError, ValueError) as e:
            return _json(400, {'error': 'body is not JSON: %s' % e})
        route = self.ROUTES.get((method, name))
        if route is None:
            known = sorted('%s %s' % k for k in self.ROUTES)
            return _json(404, {'error': 'no control %s %s' % (method, name),
                               'known': known})
        try:
            return _json(200, route(self, query, payload))
        except (ValueError, TypeError, LookupError) as e:
            return _json(400, {'error': str(e)})

    def reset(self, query, payload):
        fixture = payload.get('fixture', 'demo') if isinstance(payload, dict) else 'demo'
        self.app.reset(fixture)
        return {'ok': True, 'fixture': fixture, 'counts': self.app.store.counts()}

    def requests(self, query, payload):
        return self.app.reqlog.since(int(query.get('since', 0)))

    def clear_requests(self, query, payload):
        self.app.reqlog.clear()
        return {'ok': True}

    def fault(self, query, payload):
        if not isinstance(payload, dict):
            raise ValueError('the fault must be a JSON object')
        return {'ok': True, 'id': self.app.faults.add(payload).id}

    def faults(self, query, payload):
        return {'faults': self.app.faults.describe()}

    def clear_faults(self, query, payload):
        self.app.faults.clear()
        return {'ok': True}

    def counters(self, query, payload):
        return self.app.reqlog.counters()

    def state(self, query, payload):
        return self.app.store.state()

    def info(self, query, payload):
        return self.app.info()

    def settings(self, query, payload):
        return self.app.settings()

    def change_settings(self, query, payload):
        if not isinstance(payload, dict):
            raise ValueError('the settings must be a JSON object')
        return dict(self.app.change_settings(payload), ok=True)

    def photo(self, query, payload):
        if not isinstance(payload, dict) or 'id' not in payload:
            raise ValueError('the photo must be a JSON object with its id')
        fields = {k: v for k, v in payload.items() if k != 'id'}
        changed = self.app.store.set_photo_fields(int(payload['id']), fields)
        return {'ok': True, 'title': changed['title']}

    def photos(self, query, payload):
        """The photos of one album (?album=<id>) in album order: the fields
        the photo commands change, and the version (ids as text)."""
        return {'photos': [
            dict({k: p[k] for k in ('title', 'summary', 'tags', 'version', 'size')},
                 id=str(p['id']), album_id=str(p['album_id']))
            for p in self.app.store.list_photos(int(query.get('album', '0')))]}

    ROUTES = {
        ('POST', 'reset'): reset,
        ('GET', 'requests'): requests,
        ('POST', 'clear-requests'): clear_requests,
        ('POST', 'fault'): fault,
        ('GET', 'faults'): faults,
        ('POST', 'clear-faults'): clear_faults,
        ('GET', 'counters'): counters,
        ('GET', 'state'): state,
        ('GET', 'info'): info,
        ('GET', 'settings'): settings,
        ('POST', 'settings'): change_settings,
        ('POST', 'photo'): photo,
        ('GET', 'photos'): photos,
    }
