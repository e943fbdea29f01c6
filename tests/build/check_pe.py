#!/usr/bin/env python3
"""Checks a built Windows executable (Python 3 standard library only).

  check_pe.py EXE --arch i686|x86_64 [installer options]
  check_pe.py EXE --arch i686|x86_64 --program [--dll] [--export NAME ...]
              [--only-exports] [--import DLL!FUNCTION ...]

Installer mode (the default) checks
  (a) PE32 for i686 / PE32+ for x86_64, GUI subsystem;
  (b) imports only from the allowed system DLLs (see ALLOWED_DLLS);
  (c) a manifest (id 1) asking for requireAdministrator and Common-Controls 6;
  (d) a resource of type "INSTALL", id 142, holding a well-formed container
      (--payload-size N, --payload-file FILE, --expect-member NAME and
      --member-machine NAME=ARCH narrow it);
  (e) a version resource saying 1.2.1;
  and the dialog templates, their initial data, the icons and the bitmaps
  against the tables below, decoding every text from its UTF-16 bytes.
  --appended also requires an appended container behind the image.

Program mode checks (a), (b), (e) (the placeholder programs carry the same
version), that every exported name is undecorated (no stdcall "@N" suffix, no
leading underscore: the name a caller looks up) and, with --dll / --export,
the DLL flag and named exports; --only-exports refuses any other export, and
--import requires a function imported by name from a library.

Prints what it found; exits 1 when a check fails, 2 on unusable input.
"""

import argparse
import struct
import sys
import xml.etree.ElementTree as ET
import zlib


# Imports the installer may have. Windows loads these only from the system
# folder, whatever the program's own folder holds, so a planted copy next to
# the downloaded installer is never used:
# - the KnownDLLs, listed under
#   HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs; the names
#   below are on that list on every Windows from 7 to 11 (later systems add
#   more, e.g. gdiplus, shcore, combase, which 7 lacks);
# - ntdll.dll, which the loader maps before anything else;
# - comctl32.dll, which the manifest binds to the side-by-side copy in the
#   system's WinSxS store.
# Anything else (winspool.drv, version.dll, uxtheme.dll, userenv.dll, ...) is
# searched in the program's folder first and must be loaded at run time with
# a full system path instead.
KNOWN_DLLS = {
    'advapi32.dll', 'clbcatq.dll', 'comdlg32.dll', 'difxapi.dll', 'gdi32.dll',
    'imagehlp.dll', 'imm32.dll', 'kernel32.dll', 'msctf.dll', 'msvcrt.dll',
    'normaliz.dll', 'nsi.dll', 'ole32.dll', 'oleaut32.dll', 'psapi.dll',
    'rpcrt4.dll', 'sechost.dll', 'setupapi.dll', 'shell32.dll', 'shlwapi.dll',
    'user32.dll', 'wldap32.dll', 'ws2_32.dll',
}
ALLOWED_DLLS = KNOWN_DLLS | {'ntdll.dll', 'comctl32.dll'}

MACHINES = {'i686': (0x014C, 0x10B, 'PE32'), 'x86_64': (0x8664, 0x20B, 'PE32+')}
SUBSYSTEM_GUI = 2
IMAGE_FILE_DLL = 0x2000

RT_ICON, RT_BITMAP, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 2, 5, 14, 16, 24
RT_DLGINIT = 240
LANG_NEUTRAL = 0x0000
LANG_ZH_CN = 0x0804
LANG_EN_GB = 0x0809

# Window and control styles used in the tables.
WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_BORDER = 0x80000000, 0x10000000, 0x00C00000, 0x00800000
WS_VSCROLL, WS_SYSMENU, WS_MINIMIZEBOX, WS_TABSTOP = 0x00200000, 0x00080000, 0x00020000, 0x00010000
WS_CHILD = 0x40000000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
WS_EX_TRANSPARENT, WS_EX_APPWINDOW = 0x20, 0x40000
BS_TYPEMASK = 0x0F
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX = 0, 1, 3, 7
SS_TYPEMASK, SS_LEFT, SS_RIGHT, SS_ICON = 0x1F, 0, 2, 3
CBS_TYPEMASK, CBS_DROPDOWNLIST, CBS_SORT = 0x3, 0x3, 0x100
ES_AUTOHSCROLL, ES_READONLY = 0x80, 0x800
LVS_TYPEMASK, LVS_REPORT, LVS_SINGLESEL, LVS_SHOWSELALWAYS = 0x3, 0x1, 0x4, 0x8

CLASS_ATOMS = {0x80: 'Button', 0x81: 'Edit', 0x82: 'Static', 0x83: 'ListBox',
               0x84: 'ScrollBar', 0x85: 'ComboBox'}


class BadFile(Exception):
    pass


# ---------------------------------------------------------------------------
# PE reading. Every offset read from the file is checked against its size.

class PE:
    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b'MZ':
            raise BadFile('no MZ header')
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b'PE\0\0':
            raise BadFile('no PE signature')
        self.machine, nsect, _, _, _, optsize, self.characteristics = \
            struct.unpack_from('<HHIIIHH', data, pe + 4)
        opt = pe + 24
        self.magic = self.u16(opt)
        self.subsystem = self.u16(opt + 68)
        if self.magic == 0x10B:
            ndirs, dirs = self.u32(opt + 92), opt + 96
        elif self.magic == 0x20B:
            ndirs, dirs = self.u32(opt + 108), opt + 112
        else:
            raise BadFile('unknown optional header magic 0x%x' % self.magic)
        self.dirs = [struct.unpack_from('<II', data, dirs + 8 * i) for i in range(min(ndirs, 16))]
        self.sections = []
        sect = opt + optsize
        for i in range(nsect):
            name, vsize, va, rawsize, rawptr = struct.unpack_from('<8sIIII', data, sect + 40 * i)
            self.sections.append((name.rstrip(b'\0').decode('latin-1'), va, max(vsize, rawsize),
                                  rawptr, rawsize))
        end = 0
        for _, _, _, rawptr, rawsize in self.sections:
            end = max(end, rawptr + rawsize)
        self.image_end = end  # where the appended data starts

    def u16(self, off):
        if off + 2 > len(self.data):
            raise BadFile('read beyond the end of the file at 0x%x' % off)
        return struct.unpack_from('<H', self.data, off)[0]

    def u32(self, off):
        if off + 4 > len(self.data):
            raise BadFile('read beyond the end of the file at 0x%x' % off)
        return struct.unpack_from('<I', self.data, off)[0]

    def off(self, rva):
        for _, va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise BadFile('RVA 0x%x lies in uninitialised data' % rva)
                return rawptr + rva - va
        raise BadFile('RVA 0x%x is in no section' % rva)

    def cstr(self, rva):
        o = self.off(rva)
        end = self.data.find(b'\0', o)
        if end < 0:
            raise BadFile('unterminated string at RVA 0x%x' % rva)
        return self.data[o:end].decode('latin-1')

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    def imports(self):
        names = []
        rva, size = self.directory(1)
        if rva and size:
            o = self.off(rva)
            while True:
                desc = struct.unpack_from('<IIIII', self.data, o)
                if desc == (0, 0, 0, 0, 0):
                    break
                names.append(self.cstr(desc[3]))
                o += 20
        rva, size = self.directory(13)  # delay-load imports
        if rva and size:
            o = self.off(rva)
            while True:
                desc = struct.unpack_from('<8I', self.data, o)
                if not any(desc):
                    break
                names.append(self.cstr(desc[1]) + ' (delay-loaded)')
                o += 32
        return names

    def exports(self):
        rva, size = self.directory(0)
        if not rva or not size:
            return []
        o = self.off(rva)
        nnames = self.u32(o + 24)
        names_rva = self.u32(o + 32)
        return [self.cstr(self.u32(self.off(names_rva + 4 * i))) for i in range(nnames)]

    def imported_functions(self):
        """{library name in lower case: [function names, '#N' for ordinals]}
        of the ordinary import table."""
        out = {}
        rva, size = self.directory(1)
        if not rva or not size:
            return out
        wide = self.magic == 0x20B
        step, flag = (8, 1 << 63) if wide else (4, 1 << 31)
        o = self.off(rva)
        while True:
            if o + 20 > len(self.data):
                raise BadFile('import descriptor runs past the end of the file')
            lookup, _, _, name_rva, thunks = struct.unpack_from('<IIIII', self.data, o)
            if (lookup, name_rva, thunks) == (0, 0, 0):
                break
            names = out.setdefault(self.cstr(name_rva).lower(), [])
            t = lookup or thunks
            while True:
                at = self.off(t)
                if at + step > len(self.data):
                    raise BadFile('import lookup table runs past the end of the file')
                value = struct.unpack_from('<Q' if wide else '<I', self.data, at)[0]
                if value == 0:
                    break
                names.append('#%d' % (value & 0xFFFF) if value & flag else self.cstr((value & 0x7FFFFFFF) + 2))
                t += step
            o += 20
        return out

    def resources(self):
        """{(type, name, lang): bytes}; type and name are ints or strings."""
        rva, size = self.directory(2)
        out = {}
        if not rva or not size:
            return out
        base = self.off(rva)

        def name_of(entry_name):
            if entry_name & 0x80000000:
                o = base + (entry_name & 0x7FFFFFFF)
                n = self.u16(o)
                return self.data[o + 2:o + 2 + 2 * n].decode('utf-16-le')
            return entry_name

        def walk(offset, path, depth):
            if depth > 3:
                raise BadFile('resource tree deeper than three levels')
            nnamed, nid = struct.unpack_from('<HH', self.data, base + offset + 12)
            for i in range(nnamed + nid):
                ename, target = struct.unpack_from('<II', self.data, base + offset + 16 + 8 * i)
                key = path + (name_of(ename),)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, key, depth + 1)
                else:
                    drva, dsize = struct.unpack_from('<II', self.data, base + target)
                    o = self.off(drva)
                    if o + dsize > len(self.data):
                        raise BadFile('resource %r runs past the end of the file' % (key,))
                    out[key] = self.data[o:o + dsize]
        walk(0, (), 1)
        return out


# ---------------------------------------------------------------------------
# Resource formats.

def read_sz(data, o):
    """A NUL-terminated UTF-16 string at o; returns (text, offset after)."""
    end = o
    while True:
        if end + 2 > len(data):
            raise BadFile('unterminated UTF-16 string')
        if data[end:end + 2] == b'\0\0':
            break
        end += 2
    return data[o:end].decode('utf-16-le'), end + 2


def read_sz_or_ord(data, o):
    if data[o:o + 2] == b'\xff\xff':
        return struct.unpack_from('<H', data, o + 2)[0], o + 4
    if data[o:o + 2] == b'\0\0':
        return '', o + 2
    return read_sz(data, o)


def parse_dialogex(data):
    ver, sig, _help, exstyle, style, count, x, y, cx, cy = struct.unpack_from('<HHIIIHhhhh', data, 0)
    if ver != 1 or sig != 0xFFFF:
        raise BadFile('not an extended dialog template')
    o = 26
    menu, o = read_sz_or_ord(data, o)
    cls, o = read_sz_or_ord(data, o)
    title, o = read_sz(data, o)
    dlg = dict(exstyle=exstyle, style=style, rect=(x, y, cx, cy), menu=menu, cls=cls,
               caption=title, font=None, controls=[])
    if style & (DS_SETFONT | 0x8):
        size, weight, italic, charset = struct.unpack_from('<HHBB', data, o)
        face, o = read_sz(data, o + 6)
        dlg['font'] = (face, size, weight, italic, charset)
    for _ in range(count):
        o = (o + 3) & ~3
        _help, cexstyle, cstyle, x, y, cx, cy, cid = struct.unpack_from('<IIIhhhhI', data, o)
        o += 24
        ccls, o = read_sz_or_ord(data, o)
        ctext, o = read_sz_or_ord(data, o)
        extra = struct.unpack_from('<H', data, o)[0]
        o += 2 + extra
        if isinstance(ccls, int):
            ccls = CLASS_ATOMS.get(ccls, 'atom 0x%x' % ccls)
        if cid == 0xFFFFFFFF or cid == 0xFFFF:
            cid = -1
        dlg['controls'].append(dict(id=cid, cls=ccls, text=ctext, rect=(x, y, cx, cy),
                                    style=cstyle, exstyle=cexstyle))
    return dlg


def parse_dlginit(data):
    """[(control id, message, bytes)], or raises BadFile."""
    entries, o = [], 0
    while True:
        if o + 2 > len(data):
            raise BadFile('DLGINIT block has no terminating 0')
        cid = struct.unpack_from('<H', data, o)[0]
        if cid == 0:
            return entries
        if o + 8 > len(data):
            raise BadFile('DLGINIT entry header cut short')
        msg, n = struct.unpack_from('<HI', data, o + 2)
        if o + 8 + n > len(data):
            raise BadFile('DLGINIT entry of %d bytes runs past the block' % n)
        entries.append((cid, msg, data[o + 8:o + 8 + n]))
        o += 8 + n


def parse_version(data):
    """(fixed file version tuple, fixed product version tuple, {string: value})."""
    strings = {}
    fixed = None

    def block(o, end):
        nonlocal fixed
        length, vlen, vtype = struct.unpack_from('<HHH', data, o)
        if length == 0:
            raise BadFile('version block of length 0')
        stop = min(o + length, end)
        key, p = read_sz(data, o + 6)
        p = (p + 3) & ~3
        if key == 'VS_VERSION_INFO' and vlen >= 52:
            sig, _, fvms, fvls, pvms, pvls = struct.unpack_from('<6I', data, p)
            if sig != 0xFEEF04BD:
                raise BadFile('VS_FIXEDFILEINFO has a bad signature')
            fixed = ((fvms >> 16, fvms & 0xFFFF, fvls >> 16, fvls & 0xFFFF),
                     (pvms >> 16, pvms & 0xFFFF, pvls >> 16, pvls & 0xFFFF))
            p += vlen
        elif vtype == 1 and vlen:
            value = data[p:p + 2 * vlen].decode('utf-16-le').rstrip('\0')
            strings[key] = value
            p += 2 * vlen
        elif vlen:
            p += vlen
        p = (p + 3) & ~3
        while p < stop:
            p = block(p, stop)
        return (o + length + 3) & ~3

    block(0, len(data))
    if fixed is None:
        raise BadFile('no VS_FIXEDFILEINFO')
    return fixed[0], fixed[1], strings


def parse_container(data, offset=0, count=None):
    """Members [(name, compressed size, inflated size, inflated bytes)] of a container
    in the resource layout starting at offset (count read there unless
    given); the members must end exactly at the end of data."""
    o = offset
    if count is None:
        if len(data) < o + 4:
            raise BadFile('container shorter than its member count')
        count = struct.unpack_from('<I', data, o)[0]
        o += 4
    members, seen = [], set()
    for i in range(count):
        if o + 8 > len(data):
            raise BadFile('member %d: entry header cut short' % i)
        n, c = struct.unpack_from('<II', data, o)
        if n == 0 or n > 255:
            raise BadFile('member %d: name length %d' % (i, n))
        if o + 8 + n + c > len(data):
            raise BadFile('member %d: %d + %d bytes run past the container' % (i, n, c))
        raw = data[o + 8:o + 8 + n]
        if b'\0' in raw:
            raise BadFile('member %d: NUL in the name' % i)
        name = raw.decode('latin-1')
        if name.lower() in seen:
            raise BadFile('member %d: duplicate name %s' % (i, name))
        seen.add(name.lower())
        stream = data[o + 8 + n:o + 8 + n + c]
        try:
            d = zlib.decompressobj()
            plain = d.decompress(stream)
            if not d.eof:
                raise BadFile('member %s: zlib stream does not end' % name)
        except zlib.error as e:
            raise BadFile('member %s: %s' % (name, e))
        members.append((name, c, len(plain), plain))
        o += 8 + n + c
    if o != len(data):
        raise BadFile('%d bytes after the last member' % (len(data) - o))
    return members


# ---------------------------------------------------------------------------
# What the templates must hold. Each control: id, class, text, rectangle,
# style bits that must be set, the type value under a mask, visible or not,
# extended style bits that must be set.

def C(cid, cls, text, rect, style=0, kind=None, visible=True, exstyle=0, forbid=0):
    return dict(id=cid, cls=cls, text=text, rect=rect, style=style, kind=kind,
                visible=visible, exstyle=exstyle, forbid=forbid)


POPUP = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
DROPLIST = (CBS_TYPEMASK, CBS_DROPDOWNLIST)
PUSH = (BS_TYPEMASK, BS_PUSHBUTTON)
DEFPUSH = (BS_TYPEMASK, BS_DEFPUSHBUTTON)
RIGHT = (SS_TYPEMASK, SS_RIGHT)
REPORT = (LVS_TYPEMASK, LVS_REPORT)

DIALOGS = {
    133: dict(lang=LANG_ZH_CN, rect=(0, 0, 198, 88), style=POPUP, exstyle=0,
              font=('宋体', 9), caption='USB打印机驱动安装--选择语言', controls=[
        C(1, 'Button', '确定', (80, 67, 50, 14), kind=DEFPUSH),
        C(2, 'Button', '取消', (141, 67, 50, 14), kind=PUSH),
        C(-1, 'Static', 134, (19, 28, 20, 20), kind=(SS_TYPEMASK, SS_ICON)),
        C(1045, 'Static', '请选择语言：', (49, 33, 49, 8)),
        C(1008, 'ComboBox', '', (104, 31, 84, 30), WS_VSCROLL | WS_TABSTOP, DROPLIST,
          forbid=CBS_SORT),
    ]),
    136: dict(lang=LANG_EN_GB, rect=(0, 0, 162, 81), style=POPUP, exstyle=0,
              font=('MS Sans Serif', 10), caption='Wizard--Select Language', controls=[
        C(1, 'Button', 'OK', (60, 60, 44, 14), kind=DEFPUSH),
        C(2, 'Button', 'Cancel', (111, 60, 44, 14), kind=PUSH),
        C(-1, 'Static', 134, (17, 23, 20, 20), kind=(SS_TYPEMASK, SS_ICON)),
        C(1045, 'Static', 'Please select language:', (44, 18, 101, 9)),
        C(1008, 'ComboBox', '', (44, 32, 89, 30), WS_VSCROLL | WS_TABSTOP, DROPLIST,
          forbid=CBS_SORT),
    ]),
    102: dict(lang=LANG_NEUTRAL, rect=(0, 0, 317, 214), style=POPUP | WS_MINIMIZEBOX,
              exstyle=WS_EX_APPWINDOW, font=('MS Sans Serif', 9), caption=None, controls=[
        C(1028, 'Static', '型号：', (6, 38, 38, 8), kind=RIGHT, visible=False, exstyle=WS_EX_TRANSPARENT),
        C(1025, 'ComboBox', '', (46, 37, 82, 30), WS_VSCROLL, DROPLIST, False, forbid=CBS_SORT),
        C(1027, 'Static', '打印机名称：', (130, 38, 75, 8), kind=RIGHT, visible=False,
          exstyle=WS_EX_TRANSPARENT),
        C(1030, 'Edit', '', (209, 36, 77, 13), WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, visible=False),
        C(1029, 'Button', '设置为默认打印机', (197, 66, 114, 9), kind=(BS_TYPEMASK, BS_AUTOCHECKBOX),
          visible=False, exstyle=WS_EX_TRANSPARENT),
        C(1024, 'Button', '设置端口', (7, 55, 293, 106), kind=(BS_TYPEMASK, BS_GROUPBOX), visible=False,
          exstyle=WS_EX_TRANSPARENT),
        C(1004, 'msctls_progress32', '', (16, 151, 248, 13), WS_BORDER, visible=False),
        C(1043, 'ComboBox', '', (50, 64, 85, 78), 0, DROPLIST, False, forbid=CBS_SORT),
        C(1036, 'Static', '端口：', (15, 66, 32, 8), kind=RIGHT, visible=False, exstyle=WS_EX_TRANSPARENT),
        C(1040, 'Static', '波特率：', (16, 97, 53, 8), kind=RIGHT, visible=False, exstyle=WS_EX_TRANSPARENT),
        C(1048, 'ComboBox', '', (77, 95, 64, 30), 0, DROPLIST, False, forbid=CBS_SORT),
        C(1046, 'Static', '数据位：', (159, 97, 49, 8), kind=RIGHT, visible=False),
        C(1047, 'ComboBox', '', (215, 96, 64, 30), CBS_SORT, DROPLIST, False),
        C(1054, 'Static', '奇偶校验：', (20, 117, 50, 8), kind=RIGHT, visible=False),
        C(1049, 'ComboBox', '', (77, 115, 64, 30), CBS_SORT, DROPLIST, False),
        C(1050, 'Static', '停止位：', (159, 117, 49, 8), kind=RIGHT, visible=False),
        C(1051, 'ComboBox', '', (215, 116, 64, 30), CBS_SORT, DROPLIST, False),
        C(1053, 'Static', '数据流控制：', (10, 138, 61, 8), kind=RIGHT, visible=False),
        C(1052, 'ComboBox', '', (77, 136, 64, 30), 0, DROPLIST, False, forbid=CBS_SORT),
        C(1002, 'Button', None, (272, 152, 39, 14), kind=PUSH, visible=False),
        C(1003, 'Button', None, (166, 193, 46, 14), kind=PUSH, visible=False),
        C(1001, 'Button', None, (215, 193, 46, 14), kind=PUSH),
        C(1007, 'Button', None, (265, 193, 46, 14), kind=PUSH),
    ]),
    138: dict(lang=LANG_NEUTRAL, rect=(0, 0, 292, 194), style=POPUP, exstyle=0,
              font=('MS Sans Serif', 9), caption='Select Printer Port', controls=[
        C(1009, 'SysListView32', '', (7, 7, 278, 165), WS_BORDER, REPORT, forbid=LVS_SINGLESEL),
        C(1, 'Button', 'OK', (235, 176, 50, 14), kind=DEFPUSH),
        C(2, 'Button', 'Cancel', (177, 176, 50, 14), kind=PUSH),
    ]),
    140: dict(lang=LANG_NEUTRAL, rect=(0, 0, 320, 175), style=POPUP, exstyle=0,
              font=('MS Sans Serif', 8), caption='网络端口配置', controls=[
        C(1021, 'Button', '请选择符合要求的TCP端口或者创建一个新端口', (7, 7, 306, 144),
          kind=(BS_TYPEMASK, BS_GROUPBOX)),
        C(1009, 'SysListView32', '', (10, 22, 300, 99), WS_BORDER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
          REPORT),
        C(1022, 'Button', '删除端口', (11, 129, 50, 14), kind=PUSH),
        C(1023, 'Button', '新端口', (201, 127, 50, 14), kind=PUSH),
        C(1024, 'Button', '配置端口', (257, 127, 50, 14), kind=PUSH),
        C(1, 'Button', '确定', (104, 156, 50, 14), kind=DEFPUSH),
        C(2, 'Button', '取消', (166, 156, 50, 14), kind=PUSH),
    ]),
}

DLGINIT_133 = [(1008, 0x0403, '简体中文'), (1008, 0x0403, 'English'), (1008, 0x0403, 'Русский')]
BITMAPS = {130: (78, 13, 24), 131: (163, 295, None)}
ICONS = {128: {16, 32, 48}, 134: {16, 32, 48}}


# ---------------------------------------------------------------------------

class Report:
    def __init__(self):
        self.failures = 0

    def ok(self, what):
        print('  ok    ' + what)

    def fail(self, what):
        self.failures += 1
        print('  FAIL  ' + what)

    def check(self, cond, what):
        (self.ok if cond else self.fail)(what)
        return cond


def find(res, rtype, name):
    """[(lang, data)] of one resource in every language."""
    return [(k[2], v) for k, v in res.items() if k[0] == rtype and k[1] == name]


def check_header(pe, arch, r):
    machine, magic, label = MACHINES[arch]
    r.check(pe.machine == machine and pe.magic == magic,
            '%s for %s (machine 0x%04x, optional header 0x%x)' % (label, arch, pe.machine, pe.magic))
    r.check(pe.subsystem == SUBSYSTEM_GUI, 'GUI subsystem (subsystem %d)' % pe.subsystem)


def check_imports(pe, r):
    names = pe.imports()
    print('  imports: ' + (', '.join(names) if names else '(none)'))
    bad = [n for n in names if n.lower() not in ALLOWED_DLLS]
    r.check(not bad, 'imports only from always-system DLLs' + (': not allowed ' + ', '.join(bad) if bad else ''))


def check_version(res, r):
    found = find(res, RT_VERSION, 1)
    if not r.check(len(found) == 1, 'one version resource (id 1)'):
        return
    try:
        fv, pv, strings = parse_version(found[0][1])
    except (BadFile, struct.error, UnicodeDecodeError) as e:
        r.fail('version resource unreadable: %s' % e)
        return
    print('  version: file %s, product %s, %s' % ('.'.join(map(str, fv)), '.'.join(map(str, pv)),
                                                  ', '.join('%s=%r' % kv for kv in sorted(strings.items()))))
    r.check(fv[:3] == (1, 2, 1) and pv[:3] == (1, 2, 1), 'fixed file and product version 1.2.1')
    r.check(strings.get('ProductVersion') == '1.2.1' and strings.get('FileVersion') == '1.2.1',
            'ProductVersion and FileVersion strings "1.2.1"')
    return strings


def check_manifest(res, arch, r):
    found = find(res, RT_MANIFEST, 1)
    if not r.check(len(found) == 1, 'one manifest resource (id 1)'):
        return
    try:
        root = ET.fromstring(found[0][1])
    except ET.ParseError as e:
        r.fail('manifest is not well-formed XML: %s' % e)
        return
    levels = [e.get('level') for e in root.iter() if e.tag.endswith('}requestedExecutionLevel')]
    r.check(levels == ['requireAdministrator'], 'requestedExecutionLevel requireAdministrator (%s)' % levels)
    cc = [e for e in root.iter() if e.tag.endswith('}assemblyIdentity')
          and e.get('name') == 'Microsoft.Windows.Common-Controls']
    r.check(len(cc) == 1 and cc[0].get('version') == '6.0.0.0'
            and cc[0].get('publicKeyToken', '').lower() == '6595b64144ccf1df'
            and cc[0].get('processorArchitecture') in ('*', {'i686': 'x86', 'x86_64': 'amd64'}[arch]),
            'dependency on Microsoft.Windows.Common-Controls 6.0.0.0')
    oses = [e.get('Id') for e in root.iter() if e.tag.endswith('}supportedOS')]
    r.check(len(oses) > 0, 'supportedOS entries (%d)' % len(oses))


def check_payload(res, args, r):
    found = find(res, 'INSTALL', 142)
    if not r.check(len(found) == 1, 'one resource of type "INSTALL", id 142'):
        return
    data = found[0][1]
    print('  payload: %d bytes' % len(data))
    if args.payload_size is not None:
        r.check(len(data) == args.payload_size, 'payload size %d' % args.payload_size)
    if args.payload_file:
        with open(args.payload_file, 'rb') as f:
            r.check(f.read() == data, 'payload equals %s' % args.payload_file)
    try:
        members = parse_container(data)
    except (BadFile, struct.error) as e:
        r.fail('payload container: %s' % e)
        return
    for name, c, n, _ in members:
        print('    %-28s %9d -> %9d' % (name, c, n))
    r.check(True, 'payload container well-formed, %d members' % len(members))
    names = {m[0].lower() for m in members}
    for want in args.expect_member or []:
        r.check(want.lower() in names, 'payload member %s' % want)
    inflated = {m[0].lower(): m[3] for m in members}
    for want in args.member_machine or []:
        name, _, arch = want.rpartition('=')
        data = inflated.get(name.lower())
        if data is None or arch not in MACHINES:
            r.fail('payload member %s: no such member or architecture' % want)
            continue
        try:
            machine = PE(data).machine
        except (BadFile, struct.error) as e:
            r.fail('payload member %s is no PE: %s' % (name, e))
            continue
        r.check(machine == MACHINES[arch][0], 'payload member %s built for %s (machine 0x%04x)'
                % (name, arch, machine))


def check_appended(pe, r):
    data = pe.data
    if len(data) < pe.image_end + 8:
        r.fail('appended container: nothing behind the image')
        return
    count, start = struct.unpack_from('<II', data, len(data) - 8)
    print('  appended: %d members at offset %d (image ends at %d)' % (count, start, pe.image_end))
    if not r.check(count > 0 and pe.image_end <= start <= len(data) - 12,
                   'appended trailer names a container behind the image'):
        return
    h = struct.unpack_from('<I', data, start)[0]
    if not r.check(start + 4 + h <= len(data) - 8, 'appended header of %d bytes fits' % h):
        return
    try:
        members = parse_container(data[:len(data) - 8], start + 4 + h, count)
        r.check(True, 'appended container well-formed, %d members' % len(members))
    except (BadFile, struct.error) as e:
        r.fail('appended container: %s' % e)


def fmt_text(t):
    return repr(t) if isinstance(t, str) else '#%d' % t


def check_dialog(tid, want, res, r):
    found = find(res, RT_DIALOG, tid)
    if not r.check(len(found) == 1, 'dialog %d present once' % tid):
        return
    lang, data = found[0]
    try:
        d = parse_dialogex(data)
    except (BadFile, struct.error, UnicodeDecodeError) as e:
        r.fail('dialog %d unreadable: %s' % (tid, e))
        return
    print('  dialog %d: lang 0x%04x %r font %r style 0x%08x exstyle 0x%x %r' %
          (tid, lang, d['caption'], d['font'], d['style'], d['exstyle'], d['rect']))
    problems = []
    if lang != want['lang']:
        problems.append('language 0x%04x, want 0x%04x' % (lang, want['lang']))
    if d['rect'] != want['rect']:
        problems.append('rectangle %r' % (d['rect'],))
    if d['style'] & want['style'] != want['style']:
        problems.append('window style 0x%08x lacks 0x%08x' % (d['style'], want['style']))
    if d['exstyle'] & want['exstyle'] != want['exstyle']:
        problems.append('extended style 0x%x' % d['exstyle'])
    if d['font'] is None or d['font'][:2] != want['font']:
        problems.append('font %r' % (d['font'],))
    if want['caption'] is not None and d['caption'] != want['caption']:
        problems.append('caption %r' % d['caption'])
    if d['menu'] not in ('', 0):
        problems.append('has a menu')
    ids = [c['id'] for c in d['controls']]
    if ids != [c['id'] for c in want['controls']]:
        problems.append('controls %r, want %r' % (ids, [c['id'] for c in want['controls']]))
    for got, exp in zip(d['controls'], want['controls']):
        where = 'control %d' % exp['id']
        if got['cls'].lower() != exp['cls'].lower():
            problems.append('%s class %r' % (where, got['cls']))
        if exp['text'] is not None and got['text'] != exp['text']:
            problems.append('%s text %s, want %s' % (where, fmt_text(got['text']), fmt_text(exp['text'])))
        if got['rect'] != exp['rect']:
            problems.append('%s rectangle %r' % (where, got['rect']))
        if not got['style'] & WS_CHILD:
            problems.append('%s is not WS_CHILD' % where)
        if bool(got['style'] & WS_VISIBLE) != exp['visible']:
            problems.append('%s %s' % (where, 'hidden' if exp['visible'] else 'visible'))
        if got['style'] & exp['style'] != exp['style']:
            problems.append('%s style 0x%08x lacks 0x%x' % (where, got['style'], exp['style']))
        if got['style'] & exp['forbid']:
            problems.append('%s style 0x%08x has 0x%x' % (where, got['style'], exp['forbid']))
        if exp['kind'] and got['style'] & exp['kind'][0] != exp['kind'][1]:
            problems.append('%s kind 0x%x, want 0x%x' % (where, got['style'] & exp['kind'][0], exp['kind'][1]))
        if got['exstyle'] & exp['exstyle'] != exp['exstyle']:
            problems.append('%s extended style 0x%x' % (where, got['exstyle']))
    if tid == 102:
        defaults = [c['id'] for c in d['controls']
                    if c['cls'] == 'Button' and c['style'] & BS_TYPEMASK == BS_DEFPUSHBUTTON]
        if defaults or any(c['id'] in (1, 2) for c in d['controls']):
            problems.append('has a default button or an IDOK/IDCANCEL control')
    r.check(not problems, 'dialog %d as specified%s' % (tid, ''.join('\n          - ' + p for p in problems)))
    if tid == 102:
        print('    texts: ' + ', '.join('%d=%s' % (c['id'], fmt_text(c['text'])) for c in d['controls']
                                           if c['text']))


def check_dlginit(res, r):
    found = find(res, RT_DLGINIT, 133)
    if not r.check(len(found) == 1, 'initial data (DLGINIT) of dialog 133 present once'):
        return
    try:
        entries = [(cid, msg, raw) for cid, msg, raw in parse_dlginit(found[0][1])]
        decoded = [(cid, msg, raw.rstrip(b'\0').decode('cp936')) for cid, msg, raw in entries]
        terminated = all(raw.endswith(b'\0') for _, _, raw in entries)
    except (BadFile, UnicodeDecodeError) as e:
        r.fail('DLGINIT of 133 unreadable: %s' % e)
        return
    print('  dlginit 133: ' + ', '.join('%d/0x%x %r' % e for e in decoded))
    r.check(decoded == DLGINIT_133 and terminated,
            'dialog 133 initial data: three NUL-terminated combo entries in code page 936')
    r.check(not find(res, RT_DLGINIT, 136), 'dialog 136 has no initial data')


def check_images(res, r):
    for bid, (w, h, bpp) in BITMAPS.items():
        found = find(res, RT_BITMAP, bid)
        if not r.check(len(found) == 1, 'bitmap %d present once' % bid):
            continue
        size, bw, bh, planes, bits = struct.unpack_from('<IiiHH', found[0][1], 0)
        r.check(size >= 40 and (bw, abs(bh)) == (w, h) and (bpp is None or bits == bpp),
                'bitmap %d is %d x %d%s (found %d x %d, %d bpp)' %
                (bid, w, h, ', %d bpp' % bpp if bpp else '', bw, bh, bits))
    for gid, sizes in ICONS.items():
        found = find(res, RT_GROUP_ICON, gid)
        if not r.check(len(found) == 1, 'icon group %d present once' % gid):
            continue
        data = found[0][1]
        _, _, n = struct.unpack_from('<HHH', data, 0)
        got, missing = set(), []
        for i in range(n):
            w, h, _, _, _, bits, nbytes, iid = struct.unpack_from('<BBBBHHIH', data, 6 + 14 * i)
            got.add(w or 256)
            if not find(res, RT_ICON, iid):
                missing.append(iid)
        r.check(sizes <= got and not missing, 'icon %d has %s px images (found %s%s)' %
                (gid, '/'.join(map(str, sorted(sizes))), sorted(got),
                 ', missing icon ids %s' % missing if missing else ''))


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('exe')
    ap.add_argument('--arch', required=True, choices=sorted(MACHINES))
    ap.add_argument('--program', action='store_true', help='a placeholder program, not the installer')
    ap.add_argument('--dll', action='store_true', help='with --program: must be a DLL')
    ap.add_argument('--export', action='append', help='with --program: a name the DLL exports')
    ap.add_argument('--only-exports', action='store_true',
                    help='with --program: no export but those named by --export')
    ap.add_argument('--import', dest='imports', action='append', metavar='DLL!FUNCTION',
                    help='with --program: a function imported by name from DLL')
    ap.add_argument('--payload-size', type=int)
    ap.add_argument('--payload-file')
    ap.add_argument('--expect-member', action='append')
    ap.add_argument('--member-machine', action='append', metavar='NAME=ARCH',
                    help='a payload member that must be a PE built for ARCH')
    ap.add_argument('--appended', action='store_true', help='an appended container must follow the image')
    args = ap.parse_args(argv)

    print('%s:' % args.exe)
    try:
        with open(args.exe, 'rb') as f:
            pe = PE(f.read())
        res = pe.resources()
    except (OSError, BadFile, struct.error) as e:
        print('  FAIL  cannot read: %s' % e)
        return 2
    r = Report()
    check_header(pe, args.arch, r)
    try:
        check_imports(pe, r)
    except (BadFile, struct.error) as e:
        r.fail('import table unreadable: %s' % e)
    strings = check_version(res, r)
    if args.program:
        if strings is not None:
            r.check('placeholder' in strings.get('FileDescription', '').lower(),
                    'version resource calls it a placeholder')
        if args.dll:
            r.check(bool(pe.characteristics & IMAGE_FILE_DLL), 'DLL')
        else:
            r.check(not pe.characteristics & IMAGE_FILE_DLL, 'not a DLL')
        try:
            exports = pe.exports()
        except (BadFile, struct.error) as e:
            r.fail('export table unreadable: %s' % e)
            exports = []
        print('  exports: ' + (', '.join(exports) if exports else '(none)'))
        decorated = [n for n in exports if '@' in n or n.startswith('_')]
        r.check(not decorated, 'exported names undecorated' +
                (': ' + ', '.join(decorated) if decorated else ''))
        for name in args.export or []:
            r.check(name in exports, 'exports %s' % name)
        if args.only_exports:
            other = sorted(set(exports) - set(args.export or []))
            r.check(not other, 'exports nothing else' + (': ' + ', '.join(other) if other else ''))
        if args.imports:
            try:
                imported = pe.imported_functions()
            except (BadFile, struct.error) as e:
                r.fail('import table unreadable: %s' % e)
                imported = {}
            for want in args.imports:
                dll, _, function = want.partition('!')
                r.check(function in imported.get(dll.lower(), []), 'imports %s' % want)
    else:
        check_manifest(res, args.arch, r)
        check_payload(res, args, r)
        if args.appended:
            check_appended(pe, r)
        for tid, want in DIALOGS.items():
            check_dialog(tid, want, res, r)
        check_dlginit(res, r)
        check_images(res, r)
    print('  %s' % ('all checks passed' if not r.failures else '%d check(s) FAILED' % r.failures))
    return 1 if r.failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
