#!/usr/bin/env python3
"""Records the golden frames of web/tests/frames from host_web_demo.

    python3 web/tests/frames/record.py build/<dir>/bin/host_web_demo

Each frame file holds the host messages of one scenario, as sent; the
drawings expected from them (*.expected.json) are written by the frame test
with UPDATE_GOLDEN=1 and reviewed by hand.
"""
import json
import os
import re
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


class View:
    def __init__(self, url):
        m = re.match(r'http://127\.0\.0\.1:(\d+)/(\w+)/', url)
        self.port, secret = int(m.group(1)), m.group(2)
        self.sock = socket.create_connection(('127.0.0.1', self.port))
        origin = f'http://127.0.0.1:{self.port}'
        self.sock.sendall((f'GET /{secret}/ws HTTP/1.1\r\nHost: 127.0.0.1:{self.port}\r\nOrigin: {origin}\r\n'
                           'Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n'
                           'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n').encode())
        self.buf = b''
        while b'\r\n\r\n' not in self.buf:
            self.buf += self.sock.recv(65536)
        self.buf = self.buf[self.buf.index(b'\r\n\r\n') + 4:]

    def messages(self, quiet=0.6):
        """The messages that arrive until the host is quiet."""
        self.sock.settimeout(quiet)
        try:
            while True:
                data = self.sock.recv(65536)
                if not data:
                    break
                self.buf += data
        except socket.timeout:
            pass
        out = []
        while len(self.buf) >= 2:
            n, at = self.buf[1] & 0x7F, 2
            if n == 126:
                n, at = int.from_bytes(self.buf[2:4], 'big'), 4
            elif n == 127:
                n, at = int.from_bytes(self.buf[2:10], 'big'), 10
            if len(self.buf) < at + n:
                break
            out.append(json.loads(self.buf[at:at + n].decode()))
            self.buf = self.buf[at + n:]
        return out

    def send(self, message):
        data = json.dumps(message, ensure_ascii=False).encode()
        mask = b'\x01\x02\x03\x04'
        head = bytes([0x81, 0x80 | len(data)]) if len(data) < 126 else bytes([0x81, 0xFE]) + len(data).to_bytes(2, 'big')
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))


def ids_by_name(messages):
    ids = {}
    for m in messages:
        for node in m.get('nodes', []) + m.get('created', []):
            if node['name']:
                ids[node['name']] = node['id']
            ids.setdefault('@form', m.get('form'))
    return ids


def save(name, messages, view=None):
    with open(os.path.join(HERE, f'{name}.json'), 'w', encoding='utf-8') as f:
        json.dump({'recorded': 'host_web_demo', 'view': view or {}, 'messages': messages}, f,
                  ensure_ascii=False, indent=1)
        f.write('\n')


def main():
    demo = subprocess.Popen([sys.argv[1]], stdout=subprocess.PIPE, text=True)
    try:
        url = demo.stdout.readline().split()[1]
        v = View(url)
        v.send({'t': 'hello', 'width': 1024, 'height': 640})
        start = v.messages()
        ids = ids_by_name(start)
        form = ids['frmEmployee']
        save('employee-form', start)
        save('employee-menu-open', start, {'menuOpenName': 'mnuFile'})

        v.send({'t': 'page', 'id': ids['pgcMain'], 'index': 1})
        page = v.messages()
        save('employee-contact-page', start + page)
        v.send({'t': 'page', 'id': ids['pgcMain'], 'index': 2})
        v.send({'t': 'gridclick', 'id': ids['grdHistory'], 'x': 100, 'y': 18 * 3 + 5})
        v.send({'t': 'scroll', 'id': ids['grdHistory'], 'top': 2})
        grid = v.messages()
        save('employee-history-grid', start + page + grid)
        v.send({'t': 'page', 'id': ids['pgcMain'], 'index': 0})
        back = grid + v.messages()

        v.send({'t': 'focus', 'id': ids['edtName']})
        v.send({'t': 'char', 'form': form, 'text': '王小明'})
        v.send({'t': 'key', 'form': form, 'vk': 83, 'ctrl': True})
        dialog = v.messages()
        save('employee-save-dialog', start + page + back + dialog)
        dialog_ids = ids_by_name(dialog)
        v.send({'t': 'click', 'id': dialog_ids['Yes']})
        answered = v.messages()
        save('employee-saved', start + page + back + dialog + answered)
    finally:
        demo.terminate()


if __name__ == '__main__':
    main()
