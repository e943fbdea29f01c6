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


def build_pe(wide=False, exports=(), imports=None, corrupt=None):
    """A minimal PE32 (or PE32+ when wide) DLL with one section holding an
    export table of `exports` and an import table {dll: [name or ordinal]}.
    `corrupt` names one RVA to point outside the image: 'export names',
    'import name' or 'import lookup'."""
    va, raw = 0x1000, 0x200
    body = bytearray()

    def put(data, align=4):
        body.extend(b'\0' * (-len(body) % align))
        at = va + len(body)
        body.extend(data)
        return at

    nowhere = 0x7FFF0000
    export_dir = 0
    if exports:
        names = [put(n.encode() + b'\0', 1) for n in exports]
        names_rva = put(b''.join(struct.pack('<I', n) for n in names))
        if corrupt == 'export names':
            names_rva = nowhere
        export_dir = put(struct.pack('<10I', 0, 0, 0, 0, 1, len(exports), len(exports), 0, names_rva, 0))
    import_dir = 0
    if imports:
        step, flag = (8, 1 << 63) if wide else (4, 1 << 31)
        descriptors = []
        for dll, functions in imports.items():
            entries = []
            for f in functions:
                entries.append(flag | f if isinstance(f, int) else put(struct.pack('<H', 0) + f.encode() + b'\0', 2))
            lookup = put(b''.join(struct.pack('<Q' if wide else '<I', e) for e in entries + [0]), 8)
            name = put(dll.encode() + b'\0', 1)
            if corrupt == 'import name':
                name = nowhere
            if corrupt == 'import lookup':
                lookup = nowhere
            descriptors.append(struct.pack('<5I', lookup, 0, 0, name, lookup))
        import_dir = put(b''.join(descriptors) + b'\0' * 20)
    body.extend(b'\0' * (-len(body) % 0x200))

    machine, magic, optsize = (0x8664, 0x20B, 240) if wide else (0x14C, 0x10B, 224)
    opt = bytearray(optsize)
    struct.pack_into('<H', opt, 0, magic)
    struct.pack_into('<H', opt, 68, 2)  # GUI subsystem
    dirs = 112 if wide else 96
    struct.pack_into('<I', opt, dirs - 4, 16)
    struct.pack_into('<II', opt, dirs, export_dir, 40 if export_dir else 0)
    struct.pack_into('<II', opt, dirs + 8, import_dir, 20 if import_dir else 0)
    head = bytearray(0x40)
    head[:2] = b'MZ'
    struct.pack_into('<I', head, 0x3C, 0x40)
    head += b'PE\0\0' + struct.pack('<HHIIIHH', machine, 1, 0, 0, 0, optsize, 0x2000 | 0x2) + opt
    head += struct.pack('<8sIIIIIIHHI', b'.data', len(body), va, len(body), raw, 0, 0, 0, 0, 0)
    head += b'\0' * (raw - len(head))
    return bytes(head + body)


class ExportImportTest(unittest.TestCase):
    def test_reads_exports_and_imports_of_both_widths(self):
        for wide in (False, True):
            with self.subTest(wide=wide):
                pe = check_pe.PE(build_pe(wide, ['DrvDocumentPropertySheets', 'InitializePrintMonitor2'],
                                          {'ADVAPI32.dll': ['StartServiceCtrlDispatcherW', 17],
                                           'KERNEL32.dll': ['ExitProcess']}))
                self.assertEqual(pe.exports(), ['DrvDocumentPropertySheets', 'InitializePrintMonitor2'])
                self.assertEqual(pe.imported_functions(),
                                 {'advapi32.dll': ['StartServiceCtrlDispatcherW', '#17'],
                                  'kernel32.dll': ['ExitProcess']})

    def test_tables_pointing_outside_the_image_are_rejected(self):
        cases = {
            'export names': lambda pe: pe.exports(),
            'import name': lambda pe: pe.imported_functions(),
            'import lookup': lambda pe: pe.imported_functions(),
        }
        for what, read in cases.items():
            with self.subTest(what):
                pe = check_pe.PE(build_pe(True, ['A'], {'KERNEL32.dll': ['ExitProcess']}, corrupt=what))
                with self.assertRaises(check_pe.BadFile):
                    read(pe)

    def run_program_check(self, data, *options):
        path = os.path.join(os.environ.get('TMPDIR', '/tmp'), 'check_pe_prog_%d.dll' % os.getpid())
        with open(path, 'wb') as f:
            f.write(data)
        try:
            out = io.StringIO()
            with redirect_stdout(out):
                check_pe.main([path, '--arch', 'x86_64', '--program', '--dll', *options])
            return out.getvalue()
        finally:
            os.remove(path)

    def test_program_export_and_import_checks(self):
        # The synthetic image has no version resource: only the lines of the
        # checks under test are looked at.
        clean = build_pe(True, ['DrvDeviceCapabilities', 'DrvPrinterEvent'],
                         {'ADVAPI32.dll': ['SetServiceStatus']})
        cases = [
            ('undecorated', clean, [], 'ok    exported names undecorated'),
            ('stdcall suffix', build_pe(True, ['DrvDeviceCapabilities@20']), [],
             'FAIL  exported names undecorated: DrvDeviceCapabilities@20'),
            ('leading underscore', build_pe(True, ['_DrvPrinterEvent']), [],
             'FAIL  exported names undecorated: _DrvPrinterEvent'),
            ('named export present', clean, ['--export', 'DrvPrinterEvent'], 'ok    exports DrvPrinterEvent'),
            ('named export missing', clean, ['--export', 'DrvConvertDevMode'],
             'FAIL  exports DrvConvertDevMode'),
            ('another export', clean, ['--export', 'DrvPrinterEvent', '--only-exports'],
             'FAIL  exports nothing else: DrvDeviceCapabilities'),
            ('import present, any case of the library', clean,
             ['--import', 'advapi32.dll!SetServiceStatus'], 'ok    imports advapi32.dll!SetServiceStatus'),
            ('import missing', clean, ['--import', 'advapi32.dll!StartServiceCtrlDispatcherW'],
             'FAIL  imports advapi32.dll!StartServiceCtrlDispatcherW'),
        ]
        for what, data, options, line in cases:
            with self.subTest(what):
                self.assertIn(line, self.run_program_check(data, *options))


class MemberMachineTest(unittest.TestCase):
    def check(self, *wanted):
        payload = container(entry('svc.exe', build_pe(True)), entry('notes.txt', b'text'))
        args = check_pe.argparse.Namespace(payload_size=None, payload_file=None, expect_member=None,
                                           member_machine=list(wanted))
        report = check_pe.Report()
        with redirect_stdout(io.StringIO()):
            check_pe.check_payload({('INSTALL', 142, 0): payload}, args, report)
        return report.failures

    def test_member_architecture(self):
        self.assertEqual(self.check('svc.exe=x86_64', 'SVC.EXE=x86_64'), 0)
        for wrong in ('svc.exe=i686', 'missing.exe=x86_64', 'notes.txt=i686', 'svc.exe=arm'):
            with self.subTest(wrong):
                self.assertEqual(self.check(wrong), 1)


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
