"""Reads the payload container out of an installer executable, so that the
scenarios can compare what start-up writes with what the installer carries.

Standard library only. Everything read from the file is bounds-checked: a
damaged executable raises PayloadError instead of yielding garbage.
"""

import struct
import zlib


class PayloadError(Exception):
    pass


def _unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise PayloadError(f"read of {size} bytes at {offset} is outside the data")
    return struct.unpack_from(fmt, data, offset)


def read_resource(exe_bytes, type_name, res_id):
    """Bytes of the resource (named type, numeric id, first language) of a
    PE32 or PE32+ image, or None when the image has no such resource."""
    span = resource_span(exe_bytes, type_name, res_id)
    if span is None:
        return None
    _, start, size = span
    return exe_bytes[start:start + size]


def replace_resource(exe_bytes, type_name, res_id, blob):
    """A copy of the image whose resource holds `blob` instead: written over
    the old data, which must be at least as long, with the size in the
    resource's data entry set to the new length."""
    span = resource_span(exe_bytes, type_name, res_id)
    if span is None:
        raise PayloadError(f"no resource {type_name}/{res_id} to replace")
    entry, start, size = span
    if len(blob) > size:
        raise PayloadError(f"{len(blob)} bytes do not fit the resource's {size}")
    out = bytearray(exe_bytes)
    out[start:start + len(blob)] = blob
    out[start + len(blob):start + size] = bytes(size - len(blob))
    struct.pack_into("<I", out, entry + 4, len(blob))
    return bytes(out)


def resource_span(exe_bytes, type_name, res_id):
    """(file offset of the data entry, file offset of the data, size) of the
    resource (named type, numeric id, first language), or None."""
    data = exe_bytes
    if data[:2] != b"MZ":
        raise PayloadError("not an MZ executable")
    (pe,) = _unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise PayloadError("no PE signature")
    _, nsections, _, _, _, optsize, _ = _unpack("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    (magic,) = _unpack("<H", data, opt)
    dirs = {0x10B: opt + 96, 0x20B: opt + 112}.get(magic)
    if dirs is None:
        raise PayloadError(f"unknown optional header magic {magic:#x}")
    (ndirs,) = _unpack("<I", data, dirs - 4)
    if ndirs <= 2:
        return None
    res_rva, res_size = _unpack("<II", data, dirs + 2 * 8)
    if res_rva == 0:
        return None
    sections = []
    for i in range(nsections):
        _, vsize, vaddr, rawsize, rawptr = _unpack("<8sIIII", data, opt + optsize + 40 * i)
        sections.append((vaddr, max(vsize, rawsize), rawptr, rawsize))

    def file_offset(rva, length):
        for vaddr, span, rawptr, rawsize in sections:
            if vaddr <= rva and rva + length <= vaddr + min(span, rawsize):
                return rawptr + (rva - vaddr)
        raise PayloadError(f"RVA {rva:#x}+{length} lies in no section")

    base = file_offset(res_rva, 16)

    def entries(dir_offset):
        _, _, _, _, named, ids = _unpack("<IIHHHH", data, base + dir_offset)
        for k in range(named + ids):
            name, target = _unpack("<II", data, base + dir_offset + 16 + 8 * k)
            if name & 0x80000000:
                (length,) = _unpack("<H", data, base + (name & 0x7FFFFFFF))
                start = base + (name & 0x7FFFFFFF) + 2
                if start + 2 * length > len(data):
                    raise PayloadError("resource name outside the data")
                key = data[start:start + 2 * length].decode("utf-16-le")
            else:
                key = name
            yield key, target

    def subdir(dir_offset, want):
        for key, target in entries(dir_offset):
            match = (isinstance(key, str) and isinstance(want, str)
                     and key.upper() == want.upper()) or key == want
            if match:
                if not target & 0x80000000:
                    raise PayloadError("resource directory entry is not a directory")
                return target & 0x7FFFFFFF
        return None

    types = subdir(0, type_name)
    if types is None:
        return None
    names = subdir(types, res_id)
    if names is None:
        return None
    langs = list(entries(names))
    if not langs or langs[0][1] & 0x80000000:
        raise PayloadError("resource has no data entry")
    entry = base + langs[0][1]
    rva, size, _, _ = _unpack("<IIII", data, entry)
    return entry, file_offset(rva, size), size


def parse_container(blob):
    """Members of a resource-form container, in order: (name, zlib bytes)."""
    (count,) = _unpack("<I", blob, 0)
    members, pos = [], 4
    for _ in range(count):
        name_len, comp_len = _unpack("<II", blob, pos)
        pos += 8
        if name_len > 255 or pos + name_len + comp_len > len(blob):
            raise PayloadError(f"member at {pos - 8} runs past the container")
        name = blob[pos:pos + name_len].decode("latin-1")
        pos += name_len
        members.append((name, blob[pos:pos + comp_len]))
        pos += comp_len
    if pos != len(blob):
        raise PayloadError(f"{len(blob) - pos} bytes after the last member")
    return members


def installer_members(exe_path):
    """{member name: decompressed bytes} of the installer's resource-form
    payload (type "INSTALL", id 142); {} when it carries none."""
    with open(exe_path, "rb") as f:
        blob = read_resource(f.read(), "INSTALL", 142)
    if blob is None:
        return {}
    return {name: zlib.decompress(data) for name, data in parse_container(blob)}


RT_DIALOG = 5


def dialog_caption(exe_bytes, dialog_id):
    """The caption of a dialog template (DIALOG or DIALOGEX) among the
    executable's resources, or None when there is no such dialog."""
    data = read_resource(exe_bytes, RT_DIALOG, dialog_id)
    if data is None:
        return None
    version, signature = _unpack("<HH", data, 0)
    pos = 26 if (version, signature) == (1, 0xFFFF) else 18

    def skip_sz_or_ord(offset):
        (first,) = _unpack("<H", data, offset)
        if first == 0:
            return offset + 2
        if first == 0xFFFF:
            return offset + 4
        while True:
            (unit,) = _unpack("<H", data, offset)
            offset += 2
            if unit == 0:
                return offset

    pos = skip_sz_or_ord(skip_sz_or_ord(pos))  # menu, window class
    end = pos
    while True:
        (unit,) = _unpack("<H", data, end)
        if unit == 0:
            break
        end += 2
    return data[pos:end].decode("utf-16-le")
