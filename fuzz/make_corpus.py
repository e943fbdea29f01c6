#!/usr/bin/env python3
"""Writes the hand-made seed corpus of every fuzz target into fuzz/corpus/.

Seeds are small: good inputs and each damaged form the unit tests use. The
files are committed; run this again only to change them. Deterministic.
Files named "found-*" are inputs a long fuzz run stopped on; they are kept
as they were found (this script does not write them) so that every short run
starts from them again.
"""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def entry(name, data, n=None, c=None):
    n = len(name) if n is None else n
    c = len(data) if c is None else c
    return u32(n) + u32(c) + name + data


def resource(entries, count=None):
    return u32(len(entries) if count is None else count) + b"".join(entries)


def appended(exe, header, entries, count=None, header_length=None, offset=None):
    out = exe + u32(len(header) if header_length is None else header_length) + header + b"".join(entries)
    return out + u32(len(entries) if count is None else count) + u32(len(exe) if offset is None else offset)


def utf16_file(text, bom=True):
    body = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le")
    return (b"\xff\xfe" if bom else b"") + body


def source_text(name):
    with open(os.path.join(ROOT, "payload_files", name), encoding="utf-8") as f:
        text = f.read()
    return text[:-1] if text.endswith("\n") else text


def container_seeds():
    models = zlib.compress(utf16_file("//c\nModel,0,TSC,TSC.GPD,vid_4c50&pid_0201,203,HW,800,2000,831"))
    texts = zlib.compress(utf16_file("Welcome\n" + "=" * 50 + "\nName"))
    dll = zlib.compress(b"MZ" + bytes(200))
    good = [entry(b"PrinterName.txt", models), entry(b"InstallConfig_en.txt", texts),
            entry(b"plotter.dll", dll), entry(b"sub\\Image.dll", dll), entry(b"Text.ini", zlib.compress(b"[Text]\r\nOK=Fine"))]
    write("container", "resource-good", resource(good))
    write("container", "resource-double-byte-names",
          resource([entry(b"\x95\x5c.txt", dll), entry(b"\x83\x7c\\Text.ini", texts), entry(b"\x81\x5c", dll),
                    entry(b"PRINTERNAME.TXT", models)]))
    write("container", "resource-unsafe-names",
          resource([entry(n, dll) for n in (b"..\\Text.ini", b"C:Text.ini", b"\\Text.ini", b"Text.ini\x00evil",
                                            b"Text.ini.", b"NUL.txt", b"a/b", b"T" * 300)]))
    write("container", "resource-count-too-large", resource(good[:2], count=9))
    write("container", "resource-cut-in-name", resource(good)[:40])
    write("container", "resource-oversized-lengths",
          resource([entry(b"a", dll, c=0xFFFFFFF0), entry(b"b", dll)]) + resource([entry(b"x", dll, n=0xFFFF)]))
    corrupt = bytearray(dll)
    corrupt[10] ^= 0xFF
    d = zlib.compressobj(zdict=b"printer")
    with_dict = d.compress(b"printer printer") + d.flush()
    write("container", "resource-bad-streams",
          resource([entry(b"logo.bmp", bytes(corrupt)), entry(b"Text.ini", b""), entry(b"PrinterName.txt", with_dict),
                    entry(b"InstallConfig_cn.txt", texts[: len(texts) // 2])]))
    write("container", "resource-empty", u32(0))
    exe = b"MZ" + bytes(62)
    write("container", "appended-good", appended(exe, b"LPSETUP-PAYLOAD-1", good))
    write("container", "appended-long-header", appended(exe, b"h" * 300, good[:2]))
    write("container", "appended-no-form", exe + u32(0) + u32(0))
    write("container", "appended-offset-past-end", appended(exe, b"HDR", good[:1], offset=100000))
    write("container", "appended-header-past-trailer", appended(exe, b"", [], count=1, header_length=40))
    write("container", "appended-entry-into-trailer", appended(exe, b"", [entry(b"a.txt", dll, c=len(dll) + 5)]))


def install_texts_seeds():
    for name in ("InstallConfig_en.txt", "InstallConfig_cn.txt", "InstallConfig_tn.txt"):
        write("install_texts", name, utf16_file(source_text(name)))
    en = source_text("InstallConfig_en.txt")
    write("install_texts", "no-byte-order-mark", utf16_file(en, bom=False))
    write("install_texts", "five-separators", utf16_file("\n".join(["page", "=" * 20] * 5) + "\nName"))
    write("install_texts", "long-lines",
          utf16_file("p" * 600 + "\n" + ("=" * 20 + "\n") * 6 + "n" * 253 + "\n" + "m" * 300 + "\n\nTitle"))
    write("install_texts", "separator-inside-text", utf16_file("a sentence ==================== inside\n" + en))
    write("install_texts", "odd-size", utf16_file("Title")[:-1])
    write("install_texts", "nul-inside", utf16_file("a\x00b\n" + "=" * 20 + "\nlast\x00line"))


def model_catalogue_seeds():
    text = source_text("PrinterName.txt")
    write("model_catalogue", "PrinterName.txt", utf16_file(text))
    header = text.split("\n")[0]
    write("model_catalogue", "blanks-and-tabs",
          utf16_file(header + "\n  Padded,  1,\tTSC, TSC.GPD,  vid_ABCD&pid_0001,\t203, HW,  800 ,\t2000,  831"))
    write("model_catalogue", "empty-fields", utf16_file(header + "\nName,1,,TSC.GPD,x,203\n,1,TSC\n\n   \n"))
    write("model_catalogue", "long-line-and-fields",
          utf16_file(header + "\n" + "n" * 300 + ",1\n" + ",".join(["f" * 70] * 3) + "\n" + "x" * 255))
    write("model_catalogue", "numbers",
          utf16_file(header + "\nN,+7,TSC,G,V,-2147483649,H,99999999999,\t12abc,\x0b 5"))
    write("model_catalogue", "many-rows",
          utf16_file("\n".join("M%d,%d" % (i, i) for i in range(260))))
    write("model_catalogue", "lf-only-and-cr", utf16_file("//\nA,1\rB,2\n")[:-2] + "\n".encode("utf-16-le"))


def text_ini_seeds():
    keys = ["SelectLanguage", "PleaseSelectLanguage", "Cancel", "Chinese", "English", "Russian",
            "SelectLanguageCN", "PleaseSelectLanguageCN", "CancelCN", "OK", "Back", "Next", "Browse",
            "DriverTitle", "PrintTitle", "DefaultPrinter", "Please select model", "NoSelectPrinter",
            "MsgBoxTitle", "Finish", "Choose installation folder", "InstallPath", "Printer Setting",
            "Installing", "Setup Complete", "Setup Failed"]
    full = "[Text]\n" + "\n".join("%s=Значение %d" % (k, i) for i, k in enumerate(keys))
    write("text_ini", "every-key-utf16", utf16_file(full))
    write("text_ini", "every-key-8bit", ("[Text]\n" + "\n".join("%s=Value %d" % (k, i) for i, k in enumerate(keys)))
          .encode("latin-1"))
    write("text_ini", "long-value", utf16_file("[Text]\nCancel=" + "c" * 300 + "\nFinish=\"" + "f" * 260 + "\""))
    write("text_ini", "sections-and-case",
          utf16_file("[Other]\nOK=Wrong\n[TEXT]\n  ok  =  Right  \nok=Second\n[text]\nNext='quoted'\n"))
    write("text_ini", "no-section", b"OK=nothing\r\nCancel=nope\r\n")
    write("text_ini", "empty", b"")


def usb_detect_seeds():
    rng = random.Random(42)
    for size in (16, 64, 256, 1024, 4096):
        write("usb_detect", "bytes-%d" % size, bytes(rng.randrange(256) for _ in range(size)))
    # Mostly printable, so that names and identifiers look like the real ones.
    alphabet = b"vid_pid&0123456789abcdef#USB\\{}-"
    for size in (200, 800, 3000):
        write("usb_detect", "printable-%d" % size, bytes(rng.choice(alphabet) for _ in range(size)))


def member_name_seeds():
    names = [b"Image.dll", b"sub\\Image.dll", b"a\\b\\c.txt", b"..x", b"CONSOLE.txt", b"COM10", b"my con.txt",
             b"\xc4\xe3\xba\xc3.txt", b"\x95\x5c", b"\x95\x5c.txt", b"\x83\x7c.dll", b"\x81\x5c\x81\x5c",
             b"a\x95", b"", b"a\x00b", b"\\x", b"C:x", b"a/b", b"..\\x", b"a\\\\b", b"a\\", b"a.", b"a ",
             b"NUL .txt", b"COM\xb9", b"CONOUT$", b"a|b", b"n" * 255, b"n" * 256, b"InstallConfig_CN.TXT",
             "\u8868.txt".encode("utf-16-le"), "CON".encode("utf-16-le")]
    for i, name in enumerate(names):
        write("member_name", "name-%02d" % i, name)


class Provider:
    """Builds input for a target that reads it with FuzzedDataProvider:
    integers are taken from the end of the data, last byte most
    significant, each as the offset from the range's minimum."""

    def __init__(self):
        self.tail = []  # bytes in the order the provider takes them

    def integral(self, value, lo, hi):
        span = hi - lo
        width = 0
        while width < 8 and (span >> (8 * width)) > 0:
            width += 1
        raw = value - lo
        self.tail += [(raw >> (8 * (width - 1 - i))) & 0xFF for i in range(width)]

    def int32(self, value):
        self.integral(value, -(1 << 31), (1 << 31) - 1)

    def text(self, chars, capacity):
        self.integral(len(chars), 0, capacity)
        for c in chars:
            self.integral(ord(c), 0, 0xFFFF)

    def data(self):
        return bytes(reversed(self.tail))


def gpc_seeds():
    rows = [
        ("shipped row", "Merlo 204T", 0, "TSC", "TSC.GPD", "vid_4C50&pid_0201", 203, "MRL204T", 1040, 1500, 832, 0, "Merlo 204T"),
        ("chinese", "Q712", 1, "ESC", "ESC.GPD", "vid_ABCD&pid_0001", 300, "HW", 800, 2000, 831, 1, "Q712 (副本 1)"),
        ("largest numbers", "M" * 64, (1 << 31) - 1, "T" * 32, "G" * 256, "v" * 64, (1 << 31) - 1, "H" * 32,
         (1 << 31) - 1, (1 << 31) - 1, (1 << 31) - 1, 2, "n" * 255),
        ("smallest numbers", "", -(1 << 31), "", "", "", -(1 << 31), "", -(1 << 31), -(1 << 31), -(1 << 31), -1, ""),
        ("wrapping sizes", "W", 0, "TSC", "", "vid_0000&pid_0000", 65536 + 203, "", 42949673, -42949673, 0, 3,
         "..\\CON"),
    ]
    for name, model, cutter, command, gpd, vidpid, dpi, hwid, width, height, head, language, printer in rows:
        p = Provider()
        for value in (cutter, dpi, width, height, head):
            p.int32(value)
        p.integral(language, -1, 3)
        p.text(model, 64)
        p.text(command, 32)
        p.text(gpd, 256)
        p.text(vidpid, 64)
        p.text(hwid, 32)
        p.integral(len(printer), 0, 300)
        for c in printer:
            p.integral(0, 0, 1)  # not the filler: the character follows
            p.integral(ord(c), 0, 0xFFFF)
        write("gpc", name.replace(" ", "-"), p.data())


if __name__ == "__main__":
    container_seeds()
    install_texts_seeds()
    model_catalogue_seeds()
    text_ini_seeds()
    usb_detect_seeds()
    member_name_seeds()
    gpc_seeds()
