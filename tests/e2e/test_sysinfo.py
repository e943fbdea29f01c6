"""The readers of sysinfo.py on known bytes, without Wine: a misreading here
would make an installation scenario pass or fail for the wrong reason."""

import pathlib
import tempfile
import unittest

import sysinfo as si


class ValueDecoding(unittest.TestCase):
    def test_values_decode_by_type(self):
        cases = [
            # (type, stored bytes, value)
            (si.REG_SZ, "AB\0".encode("utf-16-le"), "AB"),
            (si.REG_SZ, b"\0\0", ""),
            (si.REG_SZ, b"", ""),
            (si.REG_SZ, "a\0stale".encode("utf-16-le"), "a"),  # up to the first terminator
            (si.REG_EXPAND_SZ, "%X%\0".encode("utf-16-le"), "%X%"),
            (si.REG_DWORD, bytes.fromhex("40030000"), 832),
            (si.REG_DWORD, bytes.fromhex("ffffffff"), 0xFFFFFFFF),
            (si.REG_DWORD, bytes.fromhex("4003"), bytes.fromhex("4003")),  # short: bytes
            (si.REG_MULTI_SZ, "a\0bc\0\0".encode("utf-16-le"), ["a", "bc"]),
            (si.REG_MULTI_SZ, b"\0\0", []),
            (si.REG_BINARY, b"\x01\x02", b"\x01\x02"),
        ]
        for reg_type, data, expected in cases:
            with self.subTest(type=reg_type, data=data):
                self.assertEqual(si.decode(reg_type, data), expected)

    def test_odd_string_data_is_refused(self):
        for reg_type in (si.REG_SZ, si.REG_MULTI_SZ):
            with self.subTest(type=reg_type), self.assertRaises(ValueError):
                si.decode(reg_type, b"\x41\x00\x42")

    def test_language_bytes_stored_as_a_string_keep_their_bytes(self):
        # "Language" is string-typed but holds the bytes of a number: the
        # table keeps it as text, the bytes stay comparable.
        value = {"name": "Language", "type": si.REG_SZ, "size": 4, "hex": "09040000"}
        self.assertEqual(si.value_bytes(value), b"\x09\x04\x00\x00")
        self.assertEqual(si.values_table([value]), [("Language", si.REG_SZ, "\u0409")])

    def test_expected_bytes(self):
        self.assertEqual(si.sz_bytes("1.2.1"), b"1\x00.\x002\x00.\x001\x00\x00\x00")
        self.assertEqual(si.sz_bytes(""), b"\x00\x00")
        self.assertEqual(si.dword_bytes(203), b"\xcb\x00\x00\x00")

    def test_wine_value_order_sorts_by_lower_case_name(self):
        written = ["Data Directory", "Program Directory", "Language", "PrinterName",
                   "StartMenuDir", "Uninstaller", "PrinterDriver", "MonitorName", "PortName"]
        self.assertEqual(si.wine_value_order(written),
                         ["Data Directory", "Language", "MonitorName", "PortName",
                          "PrinterDriver", "PrinterName", "Program Directory", "StartMenuDir",
                          "Uninstaller"])
        self.assertEqual(si.wine_value_order(["Zeta", "_under", "alpha"]),
                         ["_under", "alpha", "Zeta"])


class IniReading(unittest.TestCase):
    TEXT = "[Print Settings]\r\nPrinterName=Merlo 204T\r\nServiceName = TarnelPrinter Service\r\n"

    def test_each_encoding_reads_the_same(self):
        expected = {"Print Settings": {"PrinterName": "Merlo 204T",
                                       "ServiceName": "TarnelPrinter Service"}}
        encodings = {
            "ansi": self.TEXT.encode("cp1252"),
            "utf-16 with mark": b"\xff\xfe" + self.TEXT.encode("utf-16-le"),
            "utf-8 with mark": b"\xef\xbb\xbf" + self.TEXT.encode("utf-8"),
            "lf line ends": self.TEXT.replace("\r\n", "\n").encode("cp1252"),
        }
        for name, data in encodings.items():
            with self.subTest(encoding=name):
                self.assertEqual(si.read_ini(data), expected)

    def test_lines_outside_sections_and_without_equals_are_ignored(self):
        data = b"stray=1\r\n; comment\r\n[A]\r\nnoequals\r\nk=v=w\r\n[B]\r\n"
        self.assertEqual(si.read_ini(data), {"A": {"k": "v=w"}, "B": {}})


class LogLines(unittest.TestCase):
    def test_lines_are_split_on_crlf(self):
        data = b"**** FileCount=22\r\n**** Retrace Finish\r\nAddPrinter hPrinter = 1a2b\r\n"
        self.assertEqual(si.log_lines(data), ["**** FileCount=22", "**** Retrace Finish",
                                              "AddPrinter hPrinter = 1a2b"])
        self.assertEqual(si.log_lines(b""), [])

    def test_bad_line_ends_are_refused(self):
        cases = [b"no end", b"bare lf\n", b"one\nembedded\r\n", b"one\r\r\n", b"a\r\nb"]
        for data in cases:
            with self.subTest(data=data), self.assertRaises(ValueError):
                si.log_lines(data)


class Paths(unittest.TestCase):
    def test_windows_paths_map_into_drive_c(self):
        drive_c = pathlib.Path("/prefix/drive_c")
        cases = [
            ("C:\\InstallPrinter.txt", drive_c / "InstallPrinter.txt"),
            ("c:\\Program Files\\Label\\", drive_c / "Program Files" / "Label"),
            ("C:\\a\\\\b", drive_c / "a" / "b"),
        ]
        for windows_path, expected in cases:
            with self.subTest(path=windows_path):
                self.assertEqual(si.host_path(drive_c, windows_path), expected)
        for bad in ["D:\\x", "x", "\\\\server\\share", "C:\\a\\..\\..\\etc"]:
            with self.subTest(path=bad), self.assertRaises(ValueError):
                si.host_path(drive_c, bad)

    def test_names_are_found_without_regard_to_case(self):
        with tempfile.TemporaryDirectory() as folder:
            (pathlib.Path(folder) / "Merlo 204TDrv.DLL").write_bytes(b"x")
            self.assertEqual(si.find_case_insensitive(folder, "merlo 204tdrv.dll").name,
                             "Merlo 204TDrv.DLL")
            self.assertIsNone(si.find_case_insensitive(folder, "other.dll"))
            self.assertIsNone(si.find_case_insensitive(pathlib.Path(folder) / "none", "x"))


class Summary(unittest.TestCase):
    def test_values_are_described_by_what_they_hold(self):
        cases = [
            ({"name": "VidAndPid", "type": si.REG_SZ,
              "hex": si.sz_bytes("vid_4C50&pid_0201").hex()},
             'VidAndPid REG_SZ "vid_4C50&pid_0201"'),
            ({"name": "DevicePath", "type": si.REG_SZ, "hex": "0000"}, 'DevicePath REG_SZ ""'),
            ({"name": "PrintWidth", "type": si.REG_DWORD, "hex": "40030000"},
             "PrintWidth REG_DWORD 832"),
            ({"name": "Language", "type": si.REG_SZ, "hex": "09040000"},
             "Language REG_SZ bytes 09 04 00 00"),
            ({"name": "Language", "type": si.REG_SZ, "hex": "0408"},
             "Language REG_SZ bytes 04 08"),
            ({"name": "Odd", "type": si.REG_SZ, "hex": "410000"}, "Odd REG_SZ bytes 41 00 00"),
        ]
        for value, text in cases:
            with self.subTest(value=value):
                self.assertEqual(si.describe_value(value), text)

    def test_summary_names_printer_port_driver_data_and_service(self):
        printer = {"name": "Merlo 204T", "share": "Merlo 204T", "port": "USB001",
                   "driver": "Merlo 204T Driver"}
        driver = {"name": "Merlo 204T Driver", "environment": "Windows x64",
                  "driverPath": "D\\3\\Merlo 204TDrv.dll", "dataFile": "D\\3\\Merlo 204TGPC.pcd",
                  "configFile": "D\\3\\Merlo 204TUI.dll"}
        data = [{"name": "PrintWidth", "type": si.REG_DWORD, "hex": "40030000"}]
        service = {"displayName": "TarnelPrinter Service", "binaryPath": '"C:\\x\\s.exe"',
                   "start": 2, "state": 4}
        self.assertEqual(si.installation_summary(printer, driver, data, service, "Merlo 204T"), [
            'printer "Merlo 204T" (share "Merlo 204T"), port USB001, the default printer',
            '  driver "Merlo 204T Driver" (Windows x64): D\\3\\Merlo 204TDrv.dll, data file '
            'D\\3\\Merlo 204TGPC.pcd, configuration D\\3\\Merlo 204TUI.dll',
            "  data PrintWidth REG_DWORD 832",
            '  service "TarnelPrinter Service": "C:\\x\\s.exe", automatic start, running'])
        self.assertEqual(si.installation_summary(printer, None, [], None, None)[1:],
                         ['  driver "Merlo 204T Driver": not listed by the spooler',
                          "  service: none"])


if __name__ == "__main__":
    unittest.main()
