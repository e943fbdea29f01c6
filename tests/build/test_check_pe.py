#!/usr/bin/env python3
"""Tests of the readers in check_pe.py: good inputs beside damaged ones, so a
checker that accepts anything is caught.

  python3 tests/build/test_check_pe.py [-v]
  CHECK_PE_EXE=build/win32/LabelPrinterSetup.exe CHECK_PE_ARCH=i686 \
      python3 tests/build/test_check_pe.py    (adds tests on a built installer)
"""

import io
import os
import struct
import sys
import unittest
import zlib
from contextlib import redirect_stdout

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pe  # noqa: E402


def entry(name, payload, stream=None):
    raw = name.encode('latin-1')
    stream = zlib.compress(payload) if stream is None else stream
    return struct.pack('<II', len(raw), len(stream)) + raw + stream


def container(*entries):
    return struct.pack('<I', len(entries)) + b''.join(entries)


class ContainerTest(unittest.TestCase):
    GOOD = container(entry('PrinterName.txt', b'models' * 50), entry('a\\b.dll', b''),
                     entry('x' * 255, b'\0' * 1000))

    def test_good_container_lists_members(self):
        members = check_pe.parse_container(self.GOOD)
        self.assertEqual([(m[0], m[2]) for m in members],
                         [('PrinterName.txt', 300), ('a\\b.dll', 0), ('x' * 255, 1000)])

    def test_empty_container(self):
        self.assertEqual(check_pe.parse_container(struct.pack('<I', 0)), [])

    def test_damaged_containers_are_rejected(self):
        good_stream = zlib.compress(b'abc')
        cases = {
            'no count': b'\1\0',
            'count larger than members': struct.pack('<I', 2) + entry('a', b'x'),
            'truncated by one byte': self.GOOD[:-1],
            'one byte too many': self.GOOD + b'\0',
            'name length 0': container(struct.pack('<II', 0, len(good_stream)) + good_stream),
            'name length 256': container(entry('y' * 256, b'x')),
            'NUL in name': container(entry('a\0b', b'x')),
            'duplicate name, other case': container(entry('Text.ini', b'1'), entry('TEXT.INI', b'2')),
            'compressed length past the end': container(
                struct.pack('<II', 1, 0xFFFFFFF0) + b'a' + good_stream),
            'stream cut short': container(entry('a', b'', good_stream[:-3])),
            'stream with a changed byte': container(
                entry('a', b'', good_stream[:2] + bytes([good_stream[2] ^ 0xFF]) + good_stream[3:])),
            'not zlib (bad header)': container(entry('a', b'', b'\x00\x00' + good_stream[2:])),
        }
        for what, data in cases.items():
            with self.subTest(what):
                with self.assertRaises(check_pe.BadFile):
                    check_pe.parse_container(data)

    def test_appended_layout_offset_and_count(self):
        body = entry('a', b'1') + entry('b', b'22')
        data = b'IMAGE' + struct.pack('<I', 3) + b'hdr' + body
        members = check_pe.parse_container(data, offset=5 + 4 + 3, count=2)
        self.assertEqual([m[0] for m in members], ['a', 'b'])
        with self.assertRaises(check_pe.BadFile):
            check_pe.parse_container(data, offset=5 + 4 + 3, count=3)


class DlgInitTest(unittest.TestCase):
    def blob(self, *items):
        out = b''
        for cid, text in items:
            raw = text.encode('cp936') + b'\0'
            out += struct.pack('<HHI', cid, 0x0403, len(raw)) + raw
        return out + b'\0\0'

    def test_unaligned_entries_are_read(self):
        # 9 and 15 bytes: the next entry starts at an odd offset.
        data = self.blob((1008, '简体中文'), (1008, 'English'), (1008, 'Русский'))
        got = [(c, m, r.rstrip(b'\0').decode('cp936')) for c, m, r in check_pe.parse_dlginit(data)]
        self.assertEqual(got, check_pe.DLGINIT_133)

    def test_damaged_blocks_are_rejected(self):
        data = self.blob((1008, 'English'))
        for what, bad in {'no terminator': data[:-2], 'header cut short': data[:6],
                          'count past the end': data[:4] + struct.pack('<I', 99) + data[8:]}.items():
            with self.subTest(what):
                with self.assertRaises(check_pe.BadFile):
                    check_pe.parse_dlginit(bad)


class VersionTest(unittest.TestCase):
    @staticmethod
    def node(key, value=b'', vlen=0, vtype=0, children=b''):
        head = struct.pack('<HHH', 0, vlen, vtype) + (key + '\0').encode('utf-16-le')
        head += b'\0' * (-len(head) % 4)
        body = value + b'\0' * (-len(value) % 4) + children
        data = head + body
        return struct.pack('<H', len(data)) + data[2:]

    def build(self, fixed_sig=0xFEEF04BD, product='1.2.1'):
        fixed = struct.pack('<13I', fixed_sig, 0x10000, 0x10002, 0x10000, 0x10002, 0x10000,
                            0x3F, 0, 4, 1, 0, 0, 0)
        text = (product + '\0').encode('utf-16-le')
        strings = self.node('StringFileInfo', children=self.node(
            '040904B0', children=self.node('ProductVersion', text, len(text) // 2, 1)
            + self.node('FileVersion', text, len(text) // 2, 1)))
        return self.node('VS_VERSION_INFO', fixed, len(fixed), 0, strings)

    def test_reads_fixed_and_string_versions(self):
        fv, pv, strings = check_pe.parse_version(self.build())
        self.assertEqual((fv, pv), ((1, 2, 1, 0), (1, 2, 1, 0)))
        self.assertEqual(strings, {'ProductVersion': '1.2.1', 'FileVersion': '1.2.1'})

    def test_bad_signature_is_rejected(self):
        with self.assertRaises(check_pe.BadFile):
            check_pe.parse_version(self.build(fixed_sig=0xFEEF04BE))


class PeHeaderTest(unittest.TestCase):
    def test_not_a_pe(self):
        for what, data in {'empty': b'', 'bad magic': b'ZM' + b'\0' * 200,
                           'no PE signature': b'MZ' + b'\0' * 58 + struct.pack('<I', 64) + b'PX\0\0' + b'\0' * 300,
                           'e_lfanew past the end': b'MZ' + b'\0' * 58 + struct.pack('<I', 10 ** 6)}.items():
            with self.subTest(what):
                with self.assertRaises((check_pe.BadFile, struct.error)):
                    check_pe.PE(data)


@unittest.skipUnless(os.environ.get('CHECK_PE_EXE'), 'set CHECK_PE_EXE to a built installer')
class BuiltInstallerTest(unittest.TestCase):
    """The whole check passes on the built installer and fails when one byte
    of a dialog caption, the DLGINIT data or the manifest is changed."""

    def run_check(self, data):
        path = os.path.join(os.environ.get('TMPDIR', '/tmp'), 'check_pe_test_%d.exe' % os.getpid())
        with open(path, 'wb') as f:
            f.write(data)
        try:
            out = io.StringIO()
            with redirect_stdout(out):
                rc = check_pe.main([path, '--arch', os.environ.get('CHECK_PE_ARCH', 'i686')])
            return rc, out.getvalue()
        finally:
            os.remove(path)

    def test_good_then_one_changed_byte(self):
        with open(os.environ['CHECK_PE_EXE'], 'rb') as f:
            data = f.read()
        rc, out = self.run_check(data)
        self.assertEqual(rc, 0, out)
        targets = {
            'caption of 140': '网络端口配置'.encode('utf-16-le'),
            'prompt of 133': '请选择语言：'.encode('utf-16-le'),
            'DLGINIT entry': 'Русский'.encode('cp936'),
            'manifest': b'requireAdministrator',
        }
        for what, needle in targets.items():
            with self.subTest(what):
                at = data.find(needle)
                self.assertGreater(at, 0, what)
                bad = bytearray(data)
                bad[at + 1] ^= 0x01
                rc, out = self.run_check(bytes(bad))
                self.assertEqual(rc, 1, out)


if __name__ == '__main__':
    unittest.main()
