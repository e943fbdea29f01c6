"""Reading the driver's answers about the system, and the files the
installer leaves, without Wine: registry and printer data values as Python
values, the order in which Wine enumerates registry values, initialization
files in any of the encodings Windows writes them in, the install log's
lines, and Windows paths inside a prefix.

Standard library only; tested by test_sysinfo.py."""

import pathlib
import re

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7
TYPE_NAMES = {REG_SZ: "REG_SZ", REG_EXPAND_SZ: "REG_EXPAND_SZ", REG_BINARY: "REG_BINARY",
              REG_DWORD: "REG_DWORD", REG_MULTI_SZ: "REG_MULTI_SZ"}


def value_bytes(value):
    """The stored bytes of a registry or printer data value of the driver."""
    return bytes.fromhex(value["hex"])


def sz_bytes(text):
    """The bytes of a REG_SZ value holding `text` with its terminator."""
    return (text + "\0").encode("utf-16-le")


def dword_bytes(number):
    return int(number).to_bytes(4, "little")


def decode(reg_type, data):
    """A value's bytes as Python: str for REG_SZ/REG_EXPAND_SZ (up to the
    first terminator), int for a 4-byte REG_DWORD, list of str for
    REG_MULTI_SZ, bytes otherwise. Refuses string data of odd length."""
    if reg_type in (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ):
        if len(data) % 2:
            raise ValueError(f"{TYPE_NAMES[reg_type]} data of odd length {len(data)}")
        text = data.decode("utf-16-le")
        if reg_type == REG_MULTI_SZ:
            return [s for s in text.split("\0") if s] if text.strip("\0") else []
        return text.split("\0", 1)[0]
    if reg_type == REG_DWORD and len(data) == 4:
        return int.from_bytes(data, "little")
    return data


def values_table(values):
    """[(name, type, Python value)] of a list of the driver's values, in
    their order."""
    return [(v["name"], v["type"], decode(v["type"], value_bytes(v))) for v in values]


def wine_value_order(names):
    """The order in which Wine's registry enumerates values: it keeps them
    sorted by name, compared in lower case, whatever order they were
    written in (Windows enumerates in the order of writing)."""
    return sorted(names, key=lambda n: n.lower())


def read_ini(data):
    """{section: {key: value}} of an initialization file's bytes: UTF-16LE
    with byte-order mark, UTF-8 with one, or 8-bit text (code page 1252
    for anything beyond ASCII). Section and key names keep their case;
    blanks around keys and values are dropped, as the profile functions
    do. Lines before the first section and without "=" are ignored."""
    if data[:2] == b"\xff\xfe":
        text = data[2:].decode("utf-16-le")
    elif data[:3] == b"\xef\xbb\xbf":
        text = data[3:].decode("utf-8")
    else:
        text = data.decode("cp1252")
    sections = {}
    current = None
    for line in re.split(r"\r\n|\n|\r", text):
        stripped = line.strip()
        if stripped.startswith("[") and "]" in stripped:
            current = sections.setdefault(stripped[1:stripped.index("]")], {})
        elif current is not None and "=" in stripped:
            key, value = stripped.split("=", 1)
            current[key.strip()] = value.strip()
    return sections


def log_lines(data):
    """The lines of the install log, each of which must end in exactly one
    CR LF pair; raises ValueError naming the first line that does not."""
    if not data:
        return []
    if not data.endswith(b"\r\n"):
        raise ValueError(f"the log does not end in CR LF: {data[-40:]!r}")
    lines = data[:-2].split(b"\r\n")
    for line in lines:
        if b"\r" in line or b"\n" in line:
            raise ValueError(f"a log line with a stray line end: {line!r}")
    return [line.decode("ascii") for line in lines]


def host_path(drive_c, windows_path):
    """The host path of a path on drive C: of a prefix (drive_c is the
    prefix's drive_c folder). Refuses other drives and ".." parts."""
    if not re.match(r"(?i)^c:\\", windows_path):
        raise ValueError(f"not a path on drive C: {windows_path}")
    parts = [p for p in windows_path[3:].split("\\") if p]
    if any(p in (".", "..") for p in parts):
        raise ValueError(f"a path with . or .. parts: {windows_path}")
    return pathlib.Path(drive_c).joinpath(*parts)


def find_case_insensitive(folder, name):
    """The entry of `folder` named `name` without regard to case (Windows
    names files that way; the host's file system does not), or None."""
    folder = pathlib.Path(folder)
    if not folder.is_dir():
        return None
    for entry in folder.iterdir():
        if entry.name.lower() == name.lower():
            return entry
    return None


SERVICE_STATES = {1: "stopped", 2: "start pending", 3: "stop pending", 4: "running",
                  5: "continue pending", 6: "pause pending", 7: "paused"}
START_TYPES = {0: "boot start", 1: "system start", 2: "automatic start", 3: "demand start",
               4: "disabled"}


def describe_value(value):
    """One printer data or registry value of the driver as text: name, type
    and content. A string is shown as text only when it is printable ASCII
    with its terminator; anything else (such as "Language", whose string
    type holds the bytes of a number) shows its bytes."""
    data = value_bytes(value)
    type_name = TYPE_NAMES.get(value["type"], f"type {value['type']}")
    if value["type"] in (REG_SZ, REG_EXPAND_SZ) and len(data) % 2 == 0 and data.endswith(b"\0\0"):
        text = data[:-2].decode("utf-16-le")
        if all(0x20 <= ord(c) < 0x7f for c in text):
            return f'{value["name"]} {type_name} "{text}"'
    if value["type"] == REG_DWORD and len(data) == 4:
        return f"{value['name']} {type_name} {int.from_bytes(data, 'little')}"
    return f"{value['name']} {type_name} bytes {data.hex(' ')}"


def installation_summary(printer, driver, data, service, default_printer):
    """Lines that say what an installation installed: the printer (a
    PRINTER_INFO_2 answer), its driver (DRIVER_INFO_3 or None), its printer
    data values, the service (or None) and the default printer's name."""
    lines = [f'printer "{printer["name"]}" (share "{printer["share"]}"), port {printer["port"]}'
             + (", the default printer" if default_printer == printer["name"] else "")]
    if driver:
        lines.append(f'  driver "{driver["name"]}" ({driver["environment"]}): '
                     f'{driver["driverPath"]}, data file {driver["dataFile"]}, '
                     f'configuration {driver["configFile"]}')
    else:
        lines.append(f'  driver "{printer["driver"]}": not listed by the spooler')
    for value in data:
        lines.append("  data " + describe_value(value))
    if service:
        state = SERVICE_STATES.get(service.get("state"), f"state {service.get('state')}")
        start = START_TYPES.get(service["start"], f"start type {service['start']}")
        lines.append(f'  service "{service["displayName"]}": {service["binaryPath"]}, '
                     f"{start}, {state}")
    else:
        lines.append("  service: none")
    return lines
