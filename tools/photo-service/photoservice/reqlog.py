"""The request log: JSON lines in the data folder and a copy in memory,
plus counters of requests by method, kind and status."""
import base64
import collections
import datetime
import json
import threading
import time


class RequestLog:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.file = open(path, 'a', encoding='utf-8')
        self.entries = []        # in memory, entries[i]['seq'] == first + i
        self.first = 0
        self.next_seq = 0
        self._reset_counters()

    def _reset_counters(self):
        self.total = 0
        self.by_method = collections.Counter()
        self.by_kind = collections.Counter()
        self.by_status = collections.Counter()

    def close(self):
        with self.lock:
            self.file.close()

    def record(self, method, path, query, header_list, body, conn, scheme, kind):
        """Logs one request as it arrives; returns the entry, whose status
        is filled in (in memory) once the answer has gone out."""
        now = time.time()
        headers = {}
        for name, value in header_list:
            headers[name] = headers[name] + ', ' + value if name in headers else value
        try:
            body_text = body.decode('utf-8')
        except UnicodeDecodeError:
            body_text = None
        entry = {
            'time': datetime.datetime.fromtimestamp(now, datetime.timezone.utc)
                    .strftime('%Y-%m-%dT%H:%M:%S.%f')[:-3] + 'Z',
            'ts': round(now, 6),
            'method': method,
            'path': path,
            'query': query,
            'headers': headers,
            'header_list': [[n, v] for n, v in header_list],
            'body_b64': base64.b64encode(body).decode('ascii'),
            'body': body_text,
            'conn': conn,
            'scheme': scheme,
            'kind': kind,
        }
        line = json.dumps(entry, ensure_ascii=False)
        with self.lock:
            entry['seq'] = self.next_seq
            self.next_seq += 1
            self.entries.append(entry)
            self.total += 1
            self.by_method[method] += 1
            self.by_kind[kind] += 1
            self.file.write(line + '\n')
            self.file.flush()
        return entry

    def answered(self, entry, status):
        """status: the HTTP status sent, or 'reset' / 'hang' for faults."""
        with self.lock:
            entry['status'] = status
            self.by_status[str(status)] += 1

    def note(self, entry, name, value):
        """Adds a field to an entry in memory (an answer's own figures)."""
        with self.lock:
            entry[name] = value

    def since(self, seq):
        with self.lock:
            start = max(seq - self.first, 0)
            return {'requests': list(self.entries[start:]), 'next': self.next_seq}

    def clear(self):
        """Forgets the entries in memory and the counters; the file stays."""
        with self.lock:
            self.entries = []
            self.first = self.next_seq
            self._reset_counters()

    def counters(self):
        with self.lock:
            return {'total': self.total, 'by_method': dict(self.by_method),
                    'by_kind': dict(self.by_kind),
                    'by_status': dict(self.by_status)}
