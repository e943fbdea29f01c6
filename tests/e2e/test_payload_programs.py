"""The payload programs that the system loads or starts, under Wine's own
spooler and service manager: the driver's configuration library (the 64-bit
"plotui.dll"), the port monitor and the printer service.

`probe/spoolprobe.cpp` makes the system's calls inside the prefix and writes
what they answered as JSON; the programs come from the 64-bit payload-programs
build beside the installer under test. Wine runs the spooler in the calling
process, so a fault in a library shows as a crashed probe."""

import json
import pathlib
import shutil
import struct

import harness
from harness import E2ECase

HERE = pathlib.Path(__file__).resolve().parent
PROBE_SOURCE = HERE / "probe" / "spoolprobe.cpp"
PROBE_TIMEOUT = 120

DMPAPER_USER = 256
DM_ORIENTATION, DM_PAPERSIZE, DM_PAPERLENGTH, DM_PAPERWIDTH = 0x1, 0x2, 0x4, 0x8
DM_SCALE, DM_COPIES, DM_PRINTQUALITY, DM_COLOR = 0x10, 0x100, 0x400, 0x800
DM_YRESOLUTION, DM_FORMNAME = 0x2000, 0x10000
PUBLIC_FIELDS = DM_ORIENTATION | DM_SCALE | DM_COPIES | DM_COLOR
FORM_FIELDS = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_FORMNAME
RESOLUTION_FIELDS = DM_PRINTQUALITY | DM_YRESOLUTION
DEVMODEW_SIZE, PRIVATE_SIZE = 220, 16

# The form table of the GPC data file that the installer writes: record 0 is
# the model's paper, the others are fixed (sizes in tenths of a millimetre).
FIXED_FORMS = [
    ("ZTXD(94mm x 187mm)", 940, 1870), ("KJKD(100mm x 180mm)", 1000, 1800),
    ("YTSD(100mm x 180mm)", 1000, 1800), ("BSHT(100mm x 180mm)", 1000, 1800),
    ("YTSD(100mm x 180mm)", 1000, 1800), ("SFSY(100mm x 150mm)", 1000, 1500),
    ("SFSY(100mm x 150mm)", 1000, 1500), ("EMS(105mm x 149mm)", 1050, 1490),
    ("CNYT(100mm x 180mm)", 1000, 1800), ("BZBQ(100mm x 50mm)", 1000, 500),
    ("SMALL LABEL(50mm x 20mm)", 500, 200),
]
COLORINFO = [6810, 3050, 0, 2260, 6550, 0, 1810, 500, 0, 2000, 2450, 0, 5210, 2100, 0,
             4750, 5100, 0, 3324, 3474, 10000, 10000, 10000, 10000,
             1422, 952, 787, 495, 324, 248]


def gpc_file(dpi, paper_width, paper_height):
    """The 932-byte plotter GPC data file as the installer lays it out, for a
    model of `dpi` and a paper of the given tenths of a millimetre."""
    header = bytearray(256)
    struct.pack_into("<4sIHH", header, 0, b"Plot", 0x010A, 256, 676)
    struct.pack_into("<32s", header, 12, b"TQ8851 Printer Driver")
    struct.pack_into("<II4iI", header, 44, 215900, 5000000, 0, 0, 0, 0, 1)
    struct.pack_into("<IIHH", header, 72, dpi, dpi, dpi & 0xFFFF, dpi & 0xFFFF)
    struct.pack_into("<6H", header, 84, 0, 100, 8, 9999, 128, 4)
    struct.pack_into("<ii", header, 96, -1, -1)
    struct.pack_into("<30i", header, 104, *COLORINFO)
    struct.pack_into("<iI", header, 224, 0, 0xFFFFFFFF)
    struct.pack_into("<HHIHHI", header, 240, 12, 56, 260, 2, 2, 256)
    forms = [("Custom", paper_width, paper_height)] + FIXED_FORMS
    records = b"".join(struct.pack("<32sII16x", name.encode("ascii"), w * 100, h * 100)
                       for name, w, h in forms)
    data = bytes(header) + bytes([0, 0, 1, 0]) + records
    assert len(data) == 932
    return data


def patched(data, offset, fmt, *values):
    out = bytearray(data)
    struct.pack_into(fmt, out, offset, *values)
    return bytes(out)


def build_probe():
    """spoolprobe.exe in the harness's bin folder, rebuilt when stale."""
    out = harness.BIN / "spoolprobe.exe"
    if out.exists() and out.stat().st_mtime >= PROBE_SOURCE.stat().st_mtime:
        return out
    harness.BIN.mkdir(parents=True, exist_ok=True)
    cxx = harness._find_tool("x86_64-w64-mingw32-g++-win32", "x86_64-w64-mingw32-g++")
    harness._run([cxx, "-std=c++17", "-O2", "-Wall", "-Wextra", "-Werror", "-municode", "-static",
                  "-static-libgcc", "-static-libstdc++", "-DUNICODE", "-D_UNICODE",
                  "-DWIN32_LEAN_AND_MEAN", "-o", str(out), str(PROBE_SOURCE), "-lwinspool",
                  "-ladvapi32"], timeout=300)
    return out


def programs_folder():
    """The 64-bit payload programs built beside the installer under test."""
    return harness.configured_installer().parent / "res" / "payload-programs-x86_64" / "bin"


class PayloadProgramCase(E2ECase):
    def setUp(self):
        super().setUp()
        self.programs = programs_folder()
        missing = [name for name in ("plotui.dll", "plotter.dll", "Rad80PrinterMon.dll",
                                     "Rad80PrinterMonUI.dll", "VorskPrinterService.exe")
                   if not (self.programs / name).is_file()]
        self.assertFalse(missing, f"payload programs not built in {self.programs}: {missing}")
        self.probe = build_probe()
        self.drive_c = self.prefix.path / "drive_c"
        self.runs = 0

    def run_probe(self, *args):
        """Runs the probe with `args`; returns its JSON answer."""
        self.runs += 1
        out = self.drive_c / f"probe-{self.runs}.json"
        log = self.art.folder / f"probe-{self.runs}.log"
        proc = self.prefix.start(self.probe, args=[f"C:\\{out.name}", *args], log=log)
        code = self.prefix.wait_exit(proc, PROBE_TIMEOUT)
        self.assertEqual(code, 0, f"probe {args} ended with {code:#x}; see {log}")
        text = out.read_text("utf-8")
        (self.art.folder / f"probe-{self.runs}.json").write_text(text, "utf-8")
        return json.loads(text)

    def place(self, host_file, windows_path):
        """Copies a host file to a path inside the prefix (C:\\...)."""
        target = self.drive_c / windows_path[3:].replace("\\", "/")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(host_file, target)
        return target


def expected_devmode(printer, form_index, forms, dpi, orientation=1, copies=1):
    name, width, height = forms[form_index]
    return {"device": printer, "spec_version": 0x401, "size": DEVMODEW_SIZE, "extra": PRIVATE_SIZE,
            "fields": PUBLIC_FIELDS | FORM_FIELDS | RESOLUTION_FIELDS,
            "orientation": orientation, "paper": DMPAPER_USER + form_index, "width": width,
            "length": height, "copies": copies, "quality": dpi, "yres": dpi, "form": name}


class ConfigurationLibrary(PayloadProgramCase):
    """The configuration library installed as a driver's configuration file,
    with GPC files good and damaged."""

    def add_printer(self, printer, gpc_bytes):
        folder = self.drive_c / "e2e-driver"
        folder.mkdir(exist_ok=True)
        shutil.copyfile(self.programs / "plotui.dll", folder / f"{printer}UI.dll")
        shutil.copyfile(self.programs / "plotter.dll", folder / f"{printer}Drv.dll")
        if gpc_bytes is not None:
            (folder / f"{printer}GPC.pcd").write_bytes(gpc_bytes)
        return self.run_probe("driver", printer, "C:\\e2e-driver")

    def test_printer_added_with_devmode_and_forms_of_its_gpc_file(self):
        printer = "E2E Label"
        answer = self.add_printer(printer, gpc_file(300, 800, 2000))
        self.assertEqual(answer["add_driver"], {"ok": True, "error": 0})
        self.assertEqual(answer["add_printer"], {"ok": True, "error": 0})
        self.assertTrue(answer["data_file"].endswith(f"\\3\\{printer}GPC.pcd"), answer["data_file"])
        forms = [("Custom", 800, 2000)] + FIXED_FORMS

        self.assertEqual(answer["devmode_size"], DEVMODEW_SIZE + PRIVATE_SIZE)
        self.assertEqual(answer["default"], {"result": 1,
                                             "devmode": expected_devmode(printer, 0, forms, 300)})
        # AddPrinter stored the library's default device mode.
        self.assertEqual(answer["stored_devmode"]["form"], "Custom")
        self.assertEqual(answer["stored_devmode"]["paper"], DMPAPER_USER)
        # A caller's wishes the printer can honour are kept ...
        self.assertEqual(answer["merged"], {"result": 1, "devmode": expected_devmode(
            printer, 10, forms, 300, orientation=2, copies=5)})
        self.assertEqual(answer["by_name"], {"result": 1,
                                             "devmode": expected_devmode(printer, 8, forms, 300)})
        # ... the others give way to the defaults.
        self.assertEqual(answer["refused"], {"result": 1,
                                             "devmode": expected_devmode(printer, 0, forms, 300)})
        self.assertEqual(answer["small_buffer"], {"result": -1, "error": 122, "untouched": True})

        caps = answer["capabilities"]
        self.assertEqual({k: caps[k] for k in ("size", "extra", "version", "fields", "copies",
                                               "orientation", "bins", "nup")},
                         {"size": DEVMODEW_SIZE, "extra": PRIVATE_SIZE, "version": 0x401,
                          "fields": PUBLIC_FIELDS | FORM_FIELDS | RESOLUTION_FIELDS,
                          "copies": 9999, "orientation": 90, "bins": 0, "nup": -1})
        self.assertEqual(caps["papers_count"], 12)
        self.assertEqual(caps["names_count"], 12)
        self.assertEqual(caps["sizes_count"], 12)
        # Twelve entries each, and the entry behind them left as it was.
        self.assertEqual(caps["papers"], [DMPAPER_USER + i for i in range(12)] + [0xCDCD])
        self.assertEqual(caps["names"], [name for name, _, _ in forms] + ["#" * 64])
        self.assertEqual(caps["sizes"], [[w, h] for _, w, h in forms] + [[-7, -7]])
        self.assertEqual(caps["resolutions"], [300, 300])

        # The entry points Wine never calls, called directly.
        direct = answer["direct"]
        self.assertTrue(direct["entry_points"], direct)
        self.assertEqual(direct["default_small"],
                         {"ok": False, "error": 122, "needed": 236, "untouched": True})
        self.assertEqual(direct["default"], {"ok": True, "needed": 236,
                                             "devmode": expected_devmode(printer, 0, forms, 300)})
        nt351 = dict(expected_devmode(printer, 0, forms, 300, orientation=2),
                     spec_version=0x320, size=188, extra=0)
        self.assertEqual(direct["convert351"],
                         {"ok": True, "needed": 188, "devmode": nt351, "end_untouched": True})
        # A public part that ends before the form name loses that field only.
        self.assertEqual(direct["convert_short"], {
            "ok": True, "needed": 102 + 4, "size": 102, "extra": 4,
            "fields": PUBLIC_FIELDS | RESOLUTION_FIELDS | (FORM_FIELDS & ~DM_FORMNAME),
            "orientation": 2, "end_untouched": True})
        self.assertEqual(direct["convert_bad_mode"], {"ok": False, "error": 87})
        self.assertEqual(direct["device_sheets_without_ui"], -1)
        for event in ("printer_event", "driver_event", "query", "upgrade"):
            self.assertTrue(direct[event], event)

    def test_damaged_or_missing_gpc_file_gives_no_forms_and_no_crash(self):
        good = gpc_file(203, 1000, 1500)
        cases = [
            ("E2E NoGpc", None, False, 0),
            ("E2E BadId", patched(good, 0, "<4s", b"Plox"), False, 0),
            ("E2E BadVersion", patched(good, 4, "<I", 0x0109), False, 0),
            ("E2E Short", good[:255], False, 0),
            ("E2E FormsOutside", patched(good, 244, "<I", 932 - 56 * 12 + 1), False, 0),
            ("E2E HugeCount", patched(good, 240, "<H", 0xFFFF), False, 0),
            ("E2E TinyRecord", patched(good, 242, "<H", 39), False, 0),
            # A resolution no device mode can carry: forms yes, resolution no.
            ("E2E HighDpi", patched(good, 72, "<I", 70000), True, 0),
            # One record without a name and one of zero width are skipped.
            ("E2E Skipped", patched(patched(good, 260, "<32s", b""), 260 + 56 + 32, "<I", 0),
             True, 203),
        ]
        for printer, data, has_forms, dpi in cases:
            with self.subTest(printer=printer):
                answer = self.add_printer(printer, data)
                self.assertEqual(answer["add_printer"], {"ok": True, "error": 0})
                self.assertEqual(answer["devmode_size"], DEVMODEW_SIZE + PRIVATE_SIZE)
                devmode = answer["default"]["devmode"]
                caps = answer["capabilities"]
                self.assertEqual(devmode["device"], printer)
                if not has_forms:
                    self.assertEqual(devmode["fields"], PUBLIC_FIELDS)
                    self.assertEqual((devmode["paper"], devmode["form"]), (0, ""))
                    self.assertEqual(caps["papers_count"], 0)
                    self.assertEqual(caps["resolutions_count"], 0)
                    continue
                want_fields = PUBLIC_FIELDS | FORM_FIELDS | (RESOLUTION_FIELDS if dpi else 0)
                self.assertEqual(devmode["fields"], want_fields)
                self.assertEqual(caps["resolutions_count"], 1 if dpi else 0)
                if printer == "E2E Skipped":
                    self.assertEqual(caps["papers_count"], 10)
                    self.assertEqual(caps["names"][:2], ["KJKD(100mm x 180mm)", "YTSD(100mm x 180mm)"])
                    self.assertEqual((devmode["form"], devmode["width"]), ("KJKD(100mm x 180mm)", 1000))
                else:
                    self.assertEqual(caps["papers_count"], 12)
                    self.assertEqual(devmode["form"], "Custom")


class PortMonitor(PayloadProgramCase):
    """The port monitor registered with the spooler keeps the ports it is
    given in its registry key, across processes, until they are deleted."""

    MONITOR = "E2E Label Monitor"
    MONITOR_DLL = "C:\\windows\\system32\\E2E LabelMon.dll"
    UI_DLL = "C:\\windows\\system32\\E2E LabelMonUI.dll"

    def test_ports_added_listed_again_by_a_new_process_and_deleted(self):
        self.place(self.programs / "Rad80PrinterMon.dll", self.MONITOR_DLL)
        self.place(self.programs / "Rad80PrinterMonUI.dll", self.UI_DLL)
        port = "E2E Label-Port:"
        added = self.run_probe("monitor", self.MONITOR, self.MONITOR_DLL,
                               port, port, "two,ports", "back\\slash", "")
        self.assertEqual(added["add_monitor"], {"ok": True, "error": 0})
        ok = {"ok": True, "error": 0}
        bad_name = {"ok": False, "error": 123}
        # The same port twice gives the port; names that cannot be keys or
        # port-list entries are refused.
        self.assertEqual(added["add_ports"][:4], [ok, ok, bad_name, bad_name])
        self.assertFalse(added["add_ports"][4]["ok"])

        # A new process: the spooler loads the monitor again, which reads its key.
        listed = self.run_probe("ports", self.MONITOR)
        ours = [p for p in listed["ports"] if p["name"] == port]
        self.assertEqual(ours, [{"name": port, "monitor": self.MONITOR,
                                 "description": "Label printer port"}])
        self.assertEqual(listed["port_keys"], [port])
        self.assertEqual(listed["monitor_ui"], {"ok": True, "status": 0, "name": "E2E LabelMonUI.dll"})

        self.assertEqual(self.run_probe("deleteport", self.MONITOR, port)["delete_port"], ok)
        after = self.run_probe("ports", self.MONITOR)
        self.assertEqual([p for p in after["ports"] if p["name"] == port], [])
        self.assertEqual(after["port_keys"], [])
        self.assertFalse(self.run_probe("deleteport", self.MONITOR, port)["delete_port"]["ok"])

    def test_interface_deletes_through_the_monitor(self):
        self.place(self.programs / "Rad80PrinterMon.dll", self.MONITOR_DLL)
        self.place(self.programs / "Rad80PrinterMonUI.dll", self.UI_DLL)
        port = "E2E Label-Port:"
        added = self.run_probe("monitor", self.MONITOR, self.MONITOR_DLL, port)
        self.assertEqual(added["add_ports"], [{"ok": True, "error": 0}])
        calls = self.run_probe("monitorui", self.UI_DLL, port)
        self.assertTrue(calls["loaded"])
        self.assertEqual(calls["add"], {"ok": False, "error": 50, "no_name": True})
        self.assertEqual(calls["configure"], {"ok": True, "error": 0})
        self.assertEqual(calls["delete"], {"ok": True, "error": 0})
        self.assertFalse(calls["delete_again"]["ok"])
        after = self.run_probe("ports", self.MONITOR)
        self.assertEqual([p for p in after["ports"] if p["name"] == port], [])
        self.assertEqual(after["port_keys"], [])


class PrinterService(PayloadProgramCase):
    """The printer service under Wine's service manager, registered as the
    installer registers it."""

    def test_service_starts_reports_running_and_stops(self):
        path = "C:\\Program Files\\E2E Label\\VorskPrinterService.exe"
        self.place(self.programs / "VorskPrinterService.exe", path)
        answer = self.run_probe("service", "TarnelPrinter Service", path)
        ok = {"ok": True, "error": 0}
        for step in ("open_manager", "create", "start", "interrogate", "stop", "delete"):
            self.assertEqual(answer[step], ok, step)
        self.assertEqual(answer["starting"][-1], 4)   # SERVICE_RUNNING
        self.assertEqual(answer["running_accepts"], 0x1 | 0x4)  # STOP | SHUTDOWN
        self.assertFalse(answer["pause"]["ok"])
        self.assertEqual(answer["stopping"][-1], 1)   # SERVICE_STOPPED
        self.assertEqual(answer["exit_code"], 0)
        print(f"  service running {answer['start_ms']} ms after StartService", flush=True)
        # Without the service manager it ends at once, quietly, with the
        # failed connection's error.
        self.assertEqual(answer["plain_run"], {"ended": True, "exit_code": 1063})
