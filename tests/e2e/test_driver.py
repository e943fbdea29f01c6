"""The driver against its own test program (driver/fixture.cpp), whose
reactions are known: every action must arrive, across the process boundary,
as the program's own controls would have delivered it."""

import unittest

import sysinfo as si
from harness import DriverError, E2ECase, wait_until
from wizard import PRINTERS_KEY, ports_fixture, printers_fixture, refusing_printer_fixture

FIXTURE_CAPTION = "E2E Fixture"
LIST, STATE, EVENT, EDIT, PORTS, CHECK, ASK = 1008, 1045, 1046, 1010, 1020, 1030, 1040


class FixtureCase(E2ECase):
    def start_fixture(self, locale="en_US.UTF-8"):
        proc = self.prefix.start(self.session.fixture, locale)
        win = self.drv.find_one(timeout=20, exe="fixture.exe", cls="#32770",
                                caption=FIXTURE_CAPTION, visible=True)
        return proc, win["hwnd"]

    def text_of(self, hwnd, control_id):
        return self.drv.control(hwnd, control_id)["text"]

    def wait_text(self, hwnd, control_id, expected):
        return wait_until(lambda: self.text_of(hwnd, control_id) == expected, 10,
                          what=f"control {control_id} to read {expected!r}")


class DriverReadsControls(FixtureCase):
    def test_dump_reports_every_kind_of_control(self):
        _, dlg = self.start_fixture("zh_CN.UTF-8")
        window = self.drv.dump(dlg)
        self.shot("fixture", dlg)
        self.assertEqual(window["text"], FIXTURE_CAPTION)
        self.assertEqual(window["exe"], "fixture.exe")
        controls = window["controls"]

        combo = controls[LIST]
        self.assertEqual(combo["class"], "ComboBox")
        self.assertEqual(combo["items"], ["简体中文", "English", "Русский"])
        self.assertEqual(combo["cursel"], 0)
        self.assertFalse(combo["dropped"])

        ports = controls[PORTS]
        self.assertEqual([c["text"] for c in ports["columns"]], ["Port", "Description"])
        self.assertEqual([r["cells"] for r in ports["rows"]],
                         [["COM1:", "Serial port"], ["USB001", "虚拟打印机端口"]])
        self.assertEqual([r["selected"] for r in ports["rows"]], [False, False])

        self.assertEqual(controls[CHECK]["checked"], 0)
        self.assertEqual(controls[STATE]["text"], "sel=0")
        for control_id in (1, 2, ASK, EDIT):
            self.assertTrue(controls[control_id]["visible"], control_id)
            self.assertTrue(controls[control_id]["enabled"], control_id)
        # Controls lie inside their window.
        left, top, right, bottom = window["rect"]
        for child in window["children"]:
            l, t, r, b = child["rect"]
            self.assertTrue(left <= l <= r <= right and top <= t <= b <= bottom, child)

    def test_bad_requests_fail_cleanly(self):
        _, dlg = self.start_fixture()
        cases = [
            (("dump", "0x7ffffff0"), "no such window"),
            (("dump", "notahandle"), "window handle expected"),
            (("click", dlg, 4242), "no control 4242"),
            (("select", dlg, LIST, 7), "no item at index 7"),
            (("select", dlg, LIST, "text=Deutsch"), "no item Deutsch"),
            (("key", dlg, "nosuchkey"), "unknown key"),
            (("frobnicate",), "unknown command"),
            (("find", 300, "caption=No such window anywhere"), "timeout"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                with self.assertRaises(DriverError) as caught:
                    self.drv.call(*args, timeout=1)
                self.assertIn(message, str(caught.exception))
        # The failed selections changed nothing, and the driver still answers.
        self.assertEqual(self.drv.control(dlg, LIST)["cursel"], 0)
        self.assertEqual(self.text_of(dlg, STATE), "sel=0")


class DriverActs(FixtureCase):
    def test_actions_arrive_as_notifications(self):
        _, dlg = self.start_fixture()
        steps = [
            ("select by index", lambda: self.drv.select(dlg, LIST, index=2), STATE, "sel=2"),
            ("select by text", lambda: self.drv.select(dlg, LIST, text="English"), STATE, "sel=1"),
            ("set edit text", lambda: self.drv.settext(dlg, EDIT, "Hello 世界"), EVENT,
             "edit:Hello 世界"),
            ("select list-view row", lambda: self.drv.lvselect(dlg, PORTS, 1), EVENT, "row=1"),
            ("click check box", lambda: self.drv.click(dlg, CHECK), EVENT, "check=1"),
        ]
        for name, act, control_id, expected in steps:
            with self.subTest(step=name):
                act()
                self.wait_text(dlg, control_id, expected)
        controls = self.drv.dump(dlg)["controls"]
        self.assertEqual(controls[LIST]["cursel"], 1)
        self.assertEqual(controls[EDIT]["text"], "Hello 世界")
        self.assertEqual([r["selected"] for r in controls[PORTS]["rows"]], [False, True])
        self.assertEqual(controls[CHECK]["checked"], 1)
        self.shot("after-actions", dlg)

    def test_message_box_is_read_and_answered(self):
        _, dlg = self.start_fixture()
        self.drv.click(dlg, ASK)
        box = self.drv.find_one(timeout=10, exe="fixture.exe", caption="Fixture question",
                                visible=True)
        self.shot("question", box["hwnd"])
        facts = self.drv.msgbox(box["hwnd"])
        self.assertEqual(facts["message"], "Continue with the test?")
        self.assertEqual(facts["owner"], dlg)
        self.assertEqual([(b["id"], b["text"].replace("&", "")) for b in facts["buttons"]],
                         [(6, "Yes"), (7, "No")])
        self.assertTrue(facts["icon"], "the question icon was not seen")
        self.assertFalse(self.drv.dump(dlg)["enabled"], "owner stays disabled under the box")
        self.assertEqual(self.drv.press(box["hwnd"], "No")["id"], 7)
        self.drv.wait_gone(box["hwnd"], timeout=10)
        self.wait_text(dlg, EVENT, "answer=7")

    def test_each_way_of_ending_the_dialog(self):
        cases = [
            ("OK button", lambda d: self.drv.click(d, 1), 1),
            ("Enter key", lambda d: self.drv.key(d, "enter"), 1),
            ("Cancel button", lambda d: self.drv.click(d, 2), 2),
            ("Escape key", lambda d: self.drv.key(d, "escape"), 2),
            ("close box", lambda d: self.drv.close_window(d, "sc"), 2),
            ("WM_CLOSE", lambda d: self.drv.close_window(d, "wm"), 2),
            ("WM_COMMAND IDOK", lambda d: self.drv.command(d, 1), 1),
        ]
        for name, act, exit_code in cases:
            with self.subTest(way=name):
                proc, dlg = self.start_fixture()
                act(dlg)
                self.drv.wait_gone(dlg, timeout=10)
                self.assertEqual(self.prefix.wait_exit(proc, 20), exit_code)


class DriverReadsSpoolerAndRegistry(E2ECase):
    """What a program in the prefix sees of registry fixtures."""

    def test_spooler_lists_fixture_ports_and_printers(self):
        self.prefix.import_registry(ports_fixture(["LPT2:", "COM7:", "FILE:"]))
        self.prefix.import_registry(printers_fixture(["E2E one", "E2E 二"]))
        self.assertEqual([p["name"] for p in self.drv.ports()], ["COM7:", "FILE:", "LPT2:"])
        self.assertEqual(sorted(p["name"] for p in self.drv.printers()), ["E2E one", "E2E 二"])
        self.prefix.import_registry({"-" + PRINTERS_KEY: {}})
        self.assertEqual(self.drv.printers(), [])

    def test_registry_values_are_read_as_stored(self):
        key = r"HKEY_LOCAL_MACHINE\Software\E2E Driver Test"
        self.prefix.import_registry({key: {"text": "115200,n,8,1,p", "empty": "", "number": 42,
                                           "gone": "x"}})
        self.prefix.import_registry({key: {"gone": None}})
        short = r"HKLM\Software\E2E Driver Test"
        cases = [
            (short, "text", {"key": True, "exists": True, "type": 1, "size": 30,
                             "hex": si.sz_bytes("115200,n,8,1,p").hex(),
                             "raw": "115200,n,8,1,p\0", "string": "115200,n,8,1,p"}),
            (short, "empty", {"key": True, "exists": True, "type": 1, "size": 2, "hex": "0000",
                              "raw": "\0", "string": ""}),
            (short, "number", {"key": True, "exists": True, "type": 4, "size": 4,
                               "hex": "2a000000", "dword": 42}),
            (short, "gone", {"key": True, "exists": False}),
            (short + r"\missing", "text", {"key": False, "exists": False}),
        ]
        for path, name, expected in cases:
            with self.subTest(key=path, value=name):
                self.assertEqual(self.drv.reg_value(path, name), expected)
        for args, message in [(("regget", r"HKXX\Software", "text"), "unknown hive"),
                              (("regget", short, "text", "48"), "view 64 or 32 expected"),
                              (("regvalues",), "key path expected")]:
            with self.subTest(args=args):
                with self.assertRaises(DriverError) as caught:
                    self.drv.call(*args)
                self.assertIn(message, str(caught.exception))

    def test_each_view_lists_its_own_values_in_wines_order(self):
        # Written in this order; Wine enumerates them sorted by name (see
        # sysinfo.wine_value_order), so a test of the order of writing can
        # only be a unit test of the writer.
        written = {"Zeta": "z", "_under": 7, "alpha": "a", "Mid Name": ""}
        self.prefix.import_registry({
            r"HKEY_LOCAL_MACHINE\Software\E2E Views": written,
            r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\E2E Views": {"only32": "thirty-two"}})
        key = r"HKLM\Software\E2E Views"
        values64 = self.drv.reg_values(key, 64)
        self.assertEqual([v["name"] for v in values64], si.wine_value_order(written))
        self.assertEqual([v["name"] for v in values64], ["_under", "alpha", "Mid Name", "Zeta"])
        self.assertEqual(si.values_table(values64),
                         [("_under", si.REG_DWORD, 7), ("alpha", si.REG_SZ, "a"),
                          ("Mid Name", si.REG_SZ, ""), ("Zeta", si.REG_SZ, "z")])
        self.assertEqual(si.values_table(self.drv.reg_values(key, 32)),
                         [("only32", si.REG_SZ, "thirty-two")])
        self.assertIsNone(self.drv.reg_values(key + r"\missing"))
        self.assertIn("E2E Views", self.drv.reg_keys(r"HKLM\Software", 32))
        # Deleting a value, then the key; deleting again finds nothing.
        self.assertTrue(self.drv.reg_delete(key, "alpha"))
        self.assertFalse(self.drv.reg_delete(key, "alpha"))
        self.assertTrue(self.drv.reg_delete(key))
        self.assertIsNone(self.drv.reg_values(key))
        self.assertEqual(len(self.drv.reg_values(key, 32)), 1)


class DriverReadsInstalledPrinters(E2ECase):
    """A driver and a printer installed by the driver itself (its
    configuration library does not exist, which Wine accepts), read back
    through every query the installation scenarios use."""

    DRIVER = "E2E Fixture Driver"

    def add_fixture_printer(self, name, port, share="", attributes=0):
        self.drv.add_printer(name, self.DRIVER, port, share, attributes)

    def setUp(self):
        super().setUp()
        self.drv.add_driver(self.DRIVER, "Windows x64", "e2edrv.dll", "e2e.pcd", "e2eui.dll")

    def test_printer_driver_and_data_read_back_as_written(self):
        self.drv.add_driver("E2E x86 Driver", "Windows NT x86", "x86drv.dll", "x86.pcd",
                            "x86ui.dll")
        self.add_fixture_printer("E2E Label", "LPT1:", "E2E Label", 4)
        folders = self.drv.folders()
        x64 = folders["driverDirectoryX64"]
        self.assertEqual(folders["driverDirectory"], x64)
        self.assertTrue(x64.lower().endswith("\\spool\\drivers\\x64"), x64)
        self.assertEqual(folders["systemDirectory"].lower(), "c:\\windows\\system32")
        self.assertTrue(folders["startMenu"].endswith("\\Start Menu"), folders["startMenu"])

        printer = self.drv.printers()[0]
        self.assertEqual({k: printer[k] for k in ("name", "share", "port", "driver",
                                                  "printProcessor", "datatype", "attributes")},
                         {"name": "E2E Label", "share": "E2E Label", "port": "LPT1:",
                          "driver": self.DRIVER, "printProcessor": "WinPrint",
                          "datatype": "RAW", "attributes": 4})
        drivers = {d["name"]: d for d in self.drv.drivers()}
        self.assertEqual(sorted(drivers), ["E2E Fixture Driver", "E2E x86 Driver"])
        self.assertEqual({k: drivers[self.DRIVER][k] for k in
                          ("environment", "driverPath", "dataFile", "configFile")},
                         {"environment": "Windows x64", "driverPath": x64 + "\\3\\e2edrv.dll",
                          "dataFile": x64 + "\\3\\e2e.pcd",
                          "configFile": x64 + "\\3\\e2eui.dll"})
        self.assertEqual(drivers["E2E x86 Driver"]["environment"], "Windows NT x86")
        self.assertEqual([d["name"] for d in self.drv.drivers("Windows NT x86")],
                         ["E2E x86 Driver"])

        written = [("VidAndPid", si.REG_SZ, si.sz_bytes("vid_4C50&pid_0201")),
                   ("Language", si.REG_SZ, bytes.fromhex("09040000")),
                   ("PrintWidth", si.REG_DWORD, si.dword_bytes(832)),
                   ("DevicePath", si.REG_SZ, si.sz_bytes(""))]
        for name, reg_type, data in written:
            self.drv.set_printer_data("E2E Label", name, reg_type, data)
        values = self.drv.printer_data("E2E Label")
        self.assertEqual([v["name"] for v in values], si.wine_value_order(n for n, _, _ in written))
        for name, reg_type, data in written:
            with self.subTest(value=name):
                read = {v["name"]: v for v in values}[name]
                self.assertEqual(read["type"], reg_type)
                # A 4-byte string may come back with a terminator added.
                self.assertEqual(si.value_bytes(read)[:len(data)], data)
                one = self.drv.printer_value("E2E Label", name)
                self.assertEqual((one["exists"], one["type"], one["hex"]),
                                 (True, reg_type, read["hex"]))
        self.assertFalse(self.drv.printer_value("E2E Label", "Missing")["exists"])

    def test_default_printer_raw_job_and_deletion(self):
        job_file = self.art.folder / "job.prn"
        self.prefix.import_registry({r"HKEY_CURRENT_USER\Software\Wine\Printing\Spooler":
                                     {"USB001": str(job_file)}})
        self.add_fixture_printer("E2E Raw", "USB001")
        self.add_fixture_printer("E2E Other", "LPT1:")
        self.assertIsNone(self.drv.default_printer())
        self.drv.set_default_printer("E2E Raw")
        self.assertEqual(self.drv.default_printer(), "E2E Raw")
        data = b"SIZE 40 mm,30 mm\r\nPRINT 1\r\n\x00\xff"
        self.assertGreater(self.drv.raw_job("E2E Raw", data), 0)
        wait_until(lambda: job_file.exists() and job_file.read_bytes() == data, 10,
                   what="the job's bytes at the port's file")
        self.drv.delete_printer("E2E Raw")
        self.assertEqual([p["name"] for p in self.drv.printers()], ["E2E Other"])
        with self.assertRaises(DriverError):
            self.drv.raw_job("E2E Raw", b"x")

    def test_spooler_refusals_that_the_scenarios_use(self):
        # Wine 8 overwrites a printer added again under the same name...
        self.add_fixture_printer("E2E Twice", "LPT1:")
        self.add_fixture_printer("E2E Twice", "LPT2:")
        self.assertEqual([(p["name"], p["port"]) for p in self.drv.printers()],
                         [("E2E Twice", "LPT2:")])
        # ...and refuses (1802) only a key with an "Attributes" sub-key; the
        # key of "MERLO 204T" is also the key of "Merlo 204T", which a
        # case-exact comparison of the listed names does not find.
        self.prefix.import_registry(refusing_printer_fixture("MERLO 204T"))
        self.assertIn("MERLO 204T", [p["name"] for p in self.drv.printers()])
        with self.assertRaises(DriverError) as caught:
            self.add_fixture_printer("Merlo 204T", "LPT1:")
        self.assertIn("AddPrinter failed, error 1802", str(caught.exception))
        # A volatile driver branch refuses the persistent key of a new driver.
        branch = (r"HKLM\System\CurrentControlSet\Control\Print\Environments\Windows x64"
                  r"\Drivers\Version-3")
        self.assertTrue(self.drv.reg_delete(branch))
        self.assertTrue(self.drv.reg_create(branch, volatile=True))
        with self.assertRaises(DriverError) as caught:
            self.drv.add_driver("E2E Refused", "Windows x64", "a.dll", "b.pcd", "c.dll")
        self.assertIn("AddPrinterDriver failed, error 1021", str(caught.exception))
        self.assertEqual(self.drv.drivers("Windows x64"), [])


class DriverReadsServicesAndShortcuts(E2ECase):
    def test_service_configuration_and_status(self):
        # Wine's own print spooler service, as Wine 8 registers it.
        spooler = self.drv.service("Spooler")
        self.assertEqual({k: spooler[k] for k in ("type", "start", "errorControl", "binaryPath",
                                                  "account", "displayName", "description")},
                         {"type": 0x110, "start": 3, "errorControl": 1,
                          "binaryPath": "C:\\windows\\system32\\spoolsv.exe",
                          "account": "LocalSystem", "displayName": "Print Spooler",
                          "description": "Loads files to memory for later printing"})
        self.assertIn(spooler["state"], range(1, 8))
        self.assertIsNone(self.drv.service("E2E No Such Service"))

    def test_shortcut_target_and_working_folder(self):
        folder = self.drv.folders()["startMenu"] + "\\E2E Links"
        (si.host_path(self.prefix.path / "drive_c", folder)).mkdir(parents=True)
        link = folder + "\\Uninstall Printer Driver.lnk"
        target = "C:\\Program Files\\E2E Label\\Merlo 204T\\Uninstaller.exe"
        self.drv.make_shortcut(link, target, "C:\\Program Files\\E2E Label\\Merlo 204T")
        read = self.drv.shortcut(link)
        self.assertEqual((read["target"], read["workingFolder"], read["arguments"]),
                         (target, "C:\\Program Files\\E2E Label\\Merlo 204T", ""))
        self.assertIsNone(self.drv.shortcut(folder + "\\missing.lnk"))


if __name__ == "__main__":
    unittest.main()
