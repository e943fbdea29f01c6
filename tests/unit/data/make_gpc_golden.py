#!/usr/bin/env python3
"""Writes gpc_dpi203_60x40.pcd, the expected GPC data file for a model with
Dpi 203, PaperWidth 600 and PaperHeight 400 (tenths of a millimetre).

Built field by field from the file layout with struct, independently of the
installer's C++ writer; the unit tests compare BuildGpcFile with it. Run it
again only when the layout itself changes.
"""
import os
import struct

DPI, PAPER_WIDTH, PAPER_HEIGHT = 203, 600, 400

header = b"".join([
    b"Plot",                                  # 0   identifier
    struct.pack("<I", 0x010A),                # 4   version
    struct.pack("<H", 256),                   # 8   header size
    struct.pack("<H", 4 + 12 * 56),           # 10  data after the header: 676
    b"TQ8851 Printer Driver".ljust(32, b"\0"),  # 12  device name
    struct.pack("<I", 215900),                # 44  device width
    struct.pack("<I", 5000000),               # 48  device length
    struct.pack("<4i", 0, 0, 0, 0),           # 52  margins
    struct.pack("<I", 1),                     # 68  flags
    struct.pack("<2I", DPI, DPI),             # 72  pen resolution x, y
    struct.pack("<2H", DPI & 0xFFFF, DPI & 0xFFFF),  # 80 raster resolution x, y
    struct.pack("<H", 0),                     # 84  ROP level
    struct.pack("<H", 100),                   # 86  maximum scale
    struct.pack("<H", 8),                     # 88  maximum pens
    struct.pack("<H", 9999),                  # 90  maximum copies
    struct.pack("<H", 128),                   # 92  maximum polygon points
    struct.pack("<H", 4),                     # 94  maximum quality
    struct.pack("<2i", -1, -1),               # 96  paper tray size
    struct.pack("<30i",                       # 104 COLORINFO
                6810, 3050, 0, 2260, 6550, 0, 1810, 500, 0,
                2000, 2450, 0, 5210, 2100, 0, 4750, 5100, 0,
                3324, 3474, 10000,
                10000, 10000, 10000,
                1422, 952, 787, 495, 324, 248),
    struct.pack("<I", 0),                     # 224 device pels per inch
    struct.pack("<I", 0xFFFFFFFF),            # 228 halftone pattern size
    struct.pack("<HHI", 0, 0, 0),             # 232 initialisation string
    struct.pack("<HHI", 12, 56, 260),         # 240 form list
    struct.pack("<HHI", 2, 2, 256),           # 248 third list
])
assert len(header) == 256, len(header)

third_list = struct.pack("<HH", 0, 1)

FORMS = [
    ("Custom", PAPER_WIDTH, PAPER_HEIGHT),
    ("ZTXD(94mm x 187mm)", 940, 1870),
    ("KJKD(100mm x 180mm)", 1000, 1800),
    ("YTSD(100mm x 180mm)", 1000, 1800),
    ("BSHT(100mm x 180mm)", 1000, 1800),
    ("YTSD(100mm x 180mm)", 1000, 1800),
    ("SFSY(100mm x 150mm)", 1000, 1500),
    ("SFSY(100mm x 150mm)", 1000, 1500),
    ("EMS(105mm x 149mm)", 1050, 1490),
    ("CNYT(100mm x 180mm)", 1000, 1800),
    ("BZBQ(100mm x 50mm)", 1000, 500),
    ("SMALL LABEL(50mm x 20mm)", 500, 200),
]
forms = b"".join(
    name.encode("ascii").ljust(32, b"\0") + struct.pack("<II4i", w * 100, h * 100, 0, 0, 0, 0)
    for name, w, h in FORMS)

data = header + third_list + forms
assert len(data) == 932, len(data)
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gpc_dpi203_60x40.pcd")
with open(out, "wb") as f:
    f.write(data)
print(out, len(data))
