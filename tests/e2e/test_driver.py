"""The driver against its own test program (driver/fixture.cpp), whose
reactions are known: every action must arrive, across the process boundary,
as the program's own controls would have delivered it."""

import unittest

from harness import DriverError, E2ECase, wait_until
from wizard import PRINTERS_KEY, ports_fixture, printers_fixture

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
                             "raw": "115200,n,8,1,p\0", "string": "115200,n,8,1,p"}),
            (short, "empty", {"key": True, "exists": True, "type": 1, "size": 2, "raw": "\0",
                              "string": ""}),
            (short, "number", {"key": True, "exists": True, "type": 4, "size": 4, "dword": 42}),
            (short, "gone", {"key": True, "exists": False}),
            (short + r"\missing", "text", {"key": False, "exists": False}),
        ]
        for path, name, expected in cases:
            with self.subTest(key=path, value=name):
                self.assertEqual(self.drv.reg_value(path, name), expected)
        with self.assertRaises(DriverError) as caught:
            self.drv.reg_value(r"HKXX\Software", "text")
        self.assertIn("unknown hive", str(caught.exception))


if __name__ == "__main__":
    unittest.main()
