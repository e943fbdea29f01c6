"""The installer's wizard under Wine, page by page, in its three languages.

Each scenario starts the installer in a fresh prefix copy whose spooler
ports, printers and USB devices are set by registry fixtures, answers the
language dialog and drives the wizard from outside: what every page shows,
the checks of Next with their message boxes, what reaches the disk and the
registry, and how the wizard ends. The spooler registration is not built
yet, so every installation deploys its files and then ends on the failure
page.

Screenshots of every page and message box land in the scenario's artefacts
folder (see README.md)."""

import os
import re
import signal
import string
import unittest

import harness
import wizard as wz
from harness import INSTALLER_EXE, E2ECase, wait_until
from payload import dialog_caption, installer_members

LOCALE = {"English": "en_US.UTF-8", "Chinese": "zh_CN.UTF-8", "Russian": "ru_RU.UTF-8"}
ENGLISH_TITLE = "Label Printer Driver V 1.0"  # ProductTitle of the English texts
CHINESE_TITLE = "标签打印机驱动 V 1.0"
FIXTURE_PORTS = ["COM1:", "COM2:", "LPT1:", "FILE:"]
FIXTURE_PORT_ENTRIES = ["USB", "COM1", "COM2", "LPT1"]
SERIAL_DEFAULTS = {wz.BAUD: ("115200", 9), wz.DATA_BITS: ("8", 3), wz.PARITY: ("无", 2),
                   wz.STOP_BITS: ("1", 0), wz.FLOW: ("硬件", 1)}
SERIAL_LABELS = {wz.DATA_LABEL: "数据位：", wz.PARITY_LABEL: "奇偶校验：",
                 wz.STOP_LABEL: "停止位：", wz.FLOW_LABEL: "数据流控制："}
INSTALL_LOG = "InstallPrinter.txt"


def write_text_ini(folder, values):
    """Text.ini as UTF-16LE with byte-order mark, section [Text]."""
    lines = ["[Text]"] + [f"{k}={v}" for k, v in values.items()]
    (folder / "Text.ini").write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n")
                                      .encode("utf-16-le"))


def message(caption, text, owned, icon):
    return {"caption": caption, "text": text, "owned": owned, "icon": icon}


def english_messages():
    return {
        "empty": message("Driver Installation", "The folder is empty!", True, False),
        "invalid": message("Driver Installation", "The folder is invalid", True, False),
        "no-model": message("Printer Driver Installation", "Please Select a Printer Driver", False,
                            True),
        "no-usb": message("Printer Driver Installation",
                          "No matching label printer detected, please connect and try again.",
                          False, True),
        "no-new-usb": message("Printer Driver Installation",
                              "No matching label new printer detected, please connect and try "
                              "again.", False, True),
    }


CHINESE_MESSAGES = {
    "empty": message("打印机驱动安装", "安装文件夹不能为空", True, False),
    "invalid": message("打印机驱动安装", "安装文件夹不是有效文件夹", True, False),
    "no-model": message("打印机驱动安装", "您没有选择打印机型号，请先选择打印机型号", False, True),
    "no-usb": message("打印机驱动安装", "没有检测到打印机连接到电脑上，请先连接打印机并上电。 ",
                      False, True),
}

# What each language shows. caption None: the dialog template's caption.
LANGUAGES = {
    "English": {
        "caption": "Label Printer Driver installation",
        "labels": {wz.BACK: "Back", wz.NEXT: "Next", wz.CANCEL: "Cancel", wz.BROWSE: "Browse",
                   wz.PORT_GROUP: "Select Port", wz.MODEL_LABEL: "Model:",
                   wz.NAME_LABEL: "Printer Name:", wz.SET_DEFAULT: "Set as default printer",
                   wz.PORT_LABEL: "Port:", wz.BAUD_LABEL: "Baudrate:"},
        "product": ENGLISH_TITLE,
        "prompt": "Please select model",
        "network": ["Net Port(TCP/IP)"],
        "messages": english_messages(),
        "finish": "Finish",
    },
    "Chinese": {
        "caption": "标签打印机驱动安装",
        "labels": {wz.BACK: "<<上一步", wz.NEXT: "下一步>>", wz.CANCEL: "取消", wz.BROWSE: "浏览...",
                   wz.PORT_GROUP: "设置端口", wz.MODEL_LABEL: "型号：", wz.NAME_LABEL: "打印机名称：",
                   wz.SET_DEFAULT: "设置为默认打印机", wz.PORT_LABEL: "端口：",
                   wz.BAUD_LABEL: "波特率："},
        "product": CHINESE_TITLE,
        "prompt": "请选择打印机型号",
        "network": ["网络端口（TCP/IP）"],
        "messages": CHINESE_MESSAGES,
        "finish": "完成",
    },
    # No InstallConfig_rs.txt in the payload and no Text.ini: the built-in
    # defaults and the English Text.ini defaults.
    "Russian": {
        "caption": None,
        "labels": {wz.BACK: "Back", wz.NEXT: "Next", wz.CANCEL: "Отмена", wz.BROWSE: "Browse",
                   wz.PORT_GROUP: "выбор порта", wz.MODEL_LABEL: "Model:",
                   wz.NAME_LABEL: "Printer Name:", wz.SET_DEFAULT: "Set as default printer",
                   wz.PORT_LABEL: "Port:", wz.BAUD_LABEL: "Baudrate:"},
        "product": "USB Printer",
        "prompt": "Please select model",
        "network": None,  # the implementer's choice: none or one network entry
        "messages": english_messages(),
        "finish": "Finish",
    },
}


class WizardCase(E2ECase):
    needs_installer = True

    def setUp(self):
        super().setUp()
        self.drive_c = self.prefix.path / "drive_c"
        self._runs = []  # installer processes; none outlives the scenario
        self.addCleanup(lambda: [self._stop(proc) for proc in self._runs])

    # --- the run
    def start(self, language, fixtures=None, locale=None, log_name="installer.log"):
        """Imports the fixtures, starts the installer and answers the
        language dialog; the wizard is on its welcome page. Whatever the
        scenario does, the installer does not outlive it."""
        for earlier in self._runs:
            self._stop(earlier)
        wait_until(lambda: not self.drv.windows(exe=INSTALLER_EXE), wz.STEP_TIMEOUT,
                   what="the windows of an earlier run to go")
        if fixtures:
            self.prefix.import_registry(fixtures)
        wizard = wz.start_wizard(self.prefix, self.session.installer,
                                 locale or LOCALE[language], language,
                                 log=self.art.folder / log_name)
        self._runs.append(wizard.proc)
        return wizard

    @staticmethod
    def _stop(proc):
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(timeout=15)

    def next_to(self, wizard, page):
        wizard.click(wz.NEXT)
        wizard.wait_page(page)

    def walk_to_printer_page(self, wizard, folder=None):
        self.next_to(wizard, "folder")
        if folder is not None:
            self.assertEqual(wizard.set_folder(folder), folder)
        self.next_to(wizard, "printer")

    def choose_port(self, wizard, entry):
        """Selects a port box entry and waits until the dialog has taken it
        (the serial controls follow the choice)."""
        wizard.select(wz.PORT, text=entry)
        serial = entry.startswith("COM")
        wait_until(lambda: all(wizard.controls()[i]["enabled"] == serial
                               for i in wz.SERIAL_CONTROLS), wz.STEP_TIMEOUT,
                   what=f"the serial controls to follow the port {entry}")

    def choose_model(self, wizard, index, name):
        wizard.select(wz.MODEL, index=index)
        wait_until(lambda: wizard.controls()[wz.PRINTER_NAME]["text"] == name, wz.STEP_TIMEOUT,
                   what=f"the printer name {name!r}")

    def install_to_final_page(self, wizard, shot=None):
        """Next on the printer page: the installing page, then (without the
        spooler registration) the failure page."""
        wizard.click(wz.NEXT)
        wizard.wait_page("final", timeout=30)
        if shot:
            self.shot(shot, wizard.hwnd)

    def expect_message(self, wizard, expected, shot, page):
        """The message box that the last action opened: caption, text, OK
        button, icon and owner; OK closes it and the wizard stays on `page`."""
        window = wizard.wait_other_window(what=f"the message {expected['text']!r}")
        box = self.drv.msgbox(window["hwnd"])
        self.shot(shot, window["hwnd"])
        try:
            self.assertEqual({"caption": box["text"], "text": box["message"],
                              "owned": box["owner"] == wizard.hwnd, "icon": box["icon"]},
                             expected)
            self.assertEqual([b["id"] for b in box["buttons"]], [1])
        finally:
            self.drv.press(window["hwnd"], 1)
            self.drv.wait_gone(window["hwnd"], timeout=wz.STEP_TIMEOUT)
        wizard.wait_page(page)

    def finish(self, wizard, how="button"):
        """Ends the wizard from its final page and waits for the program."""
        if how == "button":
            wizard.click(wz.CANCEL)
        elif how in ("escape", "enter"):
            self.drv.key(wizard.hwnd, how)
        else:
            self.drv.close_window(wizard.hwnd, "sc")
        self.prefix.wait_exit(wizard.proc, wz.STEP_TIMEOUT)

    # --- the prefix
    def host_path(self, windows_path):
        """The host path of a path on drive C: of the prefix."""
        if not re.match(r"(?i)^c:\\", windows_path):
            raise ValueError(f"not a path on drive C: {windows_path}")
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    def program_files(self):
        return self.drv.info()["programFiles"]

    def missing_drive(self):
        taken = {p.name.lower() for p in (self.prefix.path / "dosdevices").iterdir()}
        for letter in reversed(string.ascii_uppercase[3:]):
            if f"{letter.lower()}:" not in taken:
                return letter
        raise AssertionError("every drive letter is taken in the prefix")

    def models(self):
        """(name, vid&pid) of the models that the installer carries."""
        if not hasattr(self.session, "models"):
            members = {k.lower(): v for k, v in installer_members(self.session.installer).items()}
            self.session.models = wz.read_models(members["printername.txt"])
        return self.session.models

    def template_caption(self):
        return dialog_caption(self.session.installer.read_bytes(), 102)


class WizardPayloadModels(unittest.TestCase):
    def test_installer_carries_the_repository_models(self):
        # The scenarios expect the models that the installer carries; they
        # must be the repository's list, with at least the two models that
        # the USB scenario needs.
        installer = harness.configured_installer()
        if not installer.is_file():
            self.skipTest(f"no installer at {installer}")
        members = {k.lower(): v for k, v in installer_members(installer).items()}
        source = (harness.ROOT / "payload_files" / "PrinterName.txt").read_text("utf-8")
        expected = wz.read_models(b"\xff\xfe" + source.rstrip("\n").replace("\n", "\r\n")
                                  .encode("utf-16-le"))
        self.assertGreaterEqual(len(expected), 2)
        self.assertEqual(wz.read_models(members["printername.txt"]), expected)


class WizardByLanguage(WizardCase):
    """The whole walk in each language: texts and controls of every page,
    every message of Next, the failure page and Finish."""

    def walk(self, language):
        lang = LANGUAGES[language]
        messages = lang["messages"]
        models = self.models()
        wizard = self.start(language, wz.ports_fixture(FIXTURE_PORTS))

        with self.subTest(language=language, page="welcome"):
            window = wizard.dump()
            self.shot(f"{language}-welcome", wizard.hwnd)
            expected_caption = lang["caption"] or self.template_caption()
            self.assertEqual(window["text"], expected_caption)
            controls = wz.dialog_controls(window)
            texts = {i: controls[i]["text"] for i in lang["labels"]}
            self.assertEqual(texts, lang["labels"])
            self.assertEqual({i: controls[i]["text"] for i in SERIAL_LABELS}, SERIAL_LABELS)

        with self.subTest(language=language, page="folder"):
            self.next_to(wizard, "folder")
            self.shot(f"{language}-folder", wizard.hwnd)
            default = self.program_files() + "\\" + lang["product"]
            self.assertEqual(wizard.folder_text(), default)

        with self.subTest(language=language, page="folder messages"):
            drive = self.missing_drive()
            for name, text, kind in [("empty", "", "empty"),
                                     ("bare-name", "LabelPrinter", "invalid"),
                                     ("missing-drive", f"{drive}:\\LabelPrinter", "invalid")]:
                wizard.set_folder(text)
                wizard.click(wz.NEXT)
                self.expect_message(wizard, messages[kind], f"{language}-message-{name}", "folder")
                self.assertEqual(wizard.folder_text(), text)

        folder = f"C:\\e2e {language}\\new folder"
        with self.subTest(language=language, page="printer"):
            self.assertFalse(self.host_path(folder).parent.exists())
            wizard.set_folder(folder)
            self.next_to(wizard, "printer")
            self.assertTrue(self.host_path(folder).is_dir(), "the chosen folder was not created")
            self.shot(f"{language}-printer", wizard.hwnd)
            controls = wizard.controls()
            self.assertEqual(controls[wz.MODEL]["items"], [lang["prompt"]] + [m[0] for m in models])
            self.assertEqual(controls[wz.MODEL]["cursel"], 1)
            self.assertEqual(controls[wz.PRINTER_NAME]["text"], models[0][0])
            ports = controls[wz.PORT]["items"]
            self.assertEqual(ports[:4], FIXTURE_PORT_ENTRIES)
            if lang["network"] is None:
                self.assertLessEqual(len(ports), 5)
                self.assertTrue(all("TCP/IP" in p for p in ports[4:]), ports)
            else:
                self.assertEqual(ports[4:], lang["network"])
            self.assertEqual(controls[wz.PORT]["cursel"], 0)
            self.assertEqual({i: (controls[i]["text"], controls[i]["cursel"])
                              for i in SERIAL_DEFAULTS}, SERIAL_DEFAULTS)
            self.assertEqual({i for i in wz.SERIAL_CONTROLS if controls[i]["enabled"]}, set(),
                             "serial controls enabled for USB")

        with self.subTest(language=language, page="printer messages"):
            self.choose_model(wizard, 0, "")
            wizard.click(wz.NEXT)
            self.expect_message(wizard, messages["no-model"], f"{language}-message-no-model",
                                "printer")
            self.choose_model(wizard, 1, models[0][0])
            wizard.click(wz.NEXT)  # USB, and no USB printer in the prefix
            self.expect_message(wizard, messages["no-usb"], f"{language}-message-no-usb",
                                "printer")

        with self.subTest(language=language, page="final"):
            self.choose_port(wizard, "COM1")
            self.install_to_final_page(wizard, f"{language}-installing-failed")
            controls = wizard.controls()
            self.assertEqual(controls[wz.CANCEL]["text"], lang["finish"])
            self.assertTrue(controls[wz.CANCEL]["enabled"])
            install = self.host_path(f"{folder}\\{models[0][0]}")
            self.assertTrue((install / "Inf").is_dir(), f"{install}\\Inf was not created")
            self.finish(wizard)

    def test_english(self):
        self.walk("English")

    def test_chinese(self):
        self.walk("Chinese")

    def test_russian(self):
        self.walk("Russian")

    def test_russian_labels_come_from_text_ini(self):
        long_value = "".join(chr(0x430 + i % 32) for i in range(300))
        ini = {"Back": "Назад", "Next": "Далее", "Browse": long_value,
               "DriverTitle": "Модель:", "PrintTitle": "Имя принтера:",
               "DefaultPrinter": "Использовать по умолчанию",
               "Please select model": "Выберите модель",
               "MsgBoxTitle": "Установка драйвера", "NoSelectPrinter": "Модель не выбрана"}
        write_text_ini(self.prefix.documents, ini)
        wizard = self.start("Russian")
        self.shot("Russian-text-ini-welcome", wizard.hwnd)
        controls = wizard.controls()
        expected = dict(LANGUAGES["Russian"]["labels"])
        expected.update({wz.BACK: ini["Back"], wz.NEXT: ini["Next"],
                         wz.BROWSE: long_value[:255], wz.MODEL_LABEL: ini["DriverTitle"],
                         wz.NAME_LABEL: ini["PrintTitle"], wz.SET_DEFAULT: ini["DefaultPrinter"]})
        self.assertEqual({i: controls[i]["text"] for i in expected}, expected)
        self.assertEqual(controls[wz.MODEL]["items"][0], ini["Please select model"])
        self.walk_to_printer_page(wizard)
        self.shot("Russian-text-ini-printer", wizard.hwnd)
        self.choose_model(wizard, 0, "")
        wizard.click(wz.NEXT)
        self.expect_message(wizard, message(ini["MsgBoxTitle"], ini["NoSelectPrinter"], False,
                                            True), "Russian-text-ini-no-model", "printer")


class WizardFolderPage(WizardCase):
    def test_browse_cancelled_leaves_the_field(self):
        wizard = self.start("English")
        self.next_to(wizard, "folder")
        for text in [self.program_files() + "\\" + ENGLISH_TITLE, "C:\\typed by the user"]:
            with self.subTest(field=text):
                self.assertEqual(wizard.set_folder(text), text)
                wizard.click(wz.BROWSE)
                browser = wizard.wait_other_window(what="the folder browser")
                dump = self.drv.dump(browser["hwnd"])
                self.shot("folder-browser", browser["hwnd"])
                self.assertEqual(browser["owner"], wizard.hwnd)
                self.assertIn("SysTreeView32", {c["class"] for c in dump["children"]})
                self.assertIn("Selection ", [c["text"] for c in dump["children"]])
                self.drv.click(browser["hwnd"], 2)  # Cancel
                self.drv.wait_gone(browser["hwnd"], timeout=wz.STEP_TIMEOUT)
                self.assertEqual(wizard.folder_text(), text)
                self.assertEqual(wizard.page(), "folder")
        wizard.click(wz.BACK)
        wizard.wait_page("welcome")

    def test_browse_picked_folder_goes_into_the_field(self):
        wizard = self.start("English")
        self.next_to(wizard, "folder")
        wizard.click(wz.BROWSE)
        browser = wizard.wait_other_window(what="the folder browser")
        tree = [c for c in self.drv.dump(browser["hwnd"])["children"]
                if c["class"] == "SysTreeView32"][0]
        self.drv.tvselect(browser["hwnd"], tree["id"], "Documents")
        wait_until(lambda: self.drv.dump(browser["hwnd"])["controls"][1]["enabled"],
                   wz.STEP_TIMEOUT, what="OK to be enabled for the Documents folder")
        self.shot("folder-browser-documents", browser["hwnd"])
        self.drv.click(browser["hwnd"], 1)  # OK
        self.drv.wait_gone(browser["hwnd"], timeout=wz.STEP_TIMEOUT)
        documents = self.drv.info()["documents"]
        # Wine's SHGetPathFromIDListW gives the Documents item of the
        # browser with a trailing backslash; the field takes what it gives.
        wait_until(lambda: wizard.folder_text().rstrip("\\") == documents, wz.STEP_TIMEOUT,
                   what=f"{documents} in the folder field")
        self.assertEqual(wizard.page(), "folder")

    def test_next_creates_valid_folders_and_refuses_others(self):
        wizard = self.start("English")
        self.next_to(wizard, "folder")
        existing = self.drive_c / "e2e existing"
        existing.mkdir()
        (existing / "mine.txt").write_bytes(b"not the installer's")
        deep = "C:\\" + "\\".join(["e2e deep"] + [f"level {i:02d}" for i in range(20)])
        long_path = "C:\\e2e long\\" + "x" * (255 - len("C:\\e2e long\\"))
        drive = self.missing_drive()
        cases = [
            # (folder text, message or None when Next must pass)
            ("", "empty"),
            ("LabelPrinter", "invalid"),
            ("\\LabelPrinter", "invalid"),
            ("C", "invalid"),
            (f"{drive}:\\LabelPrinter", "invalid"),
            (deep, None),
            ("C:\\e2e existing", None),
            ("C:\\e2e trailing\\", None),
            (long_path, None),
        ]
        messages = english_messages()
        for text, outcome in cases:
            with self.subTest(folder=text):
                wizard.set_folder(text)
                wizard.click(wz.NEXT)
                if outcome:
                    self.expect_message(wizard, messages[outcome], f"folder-{outcome}", "folder")
                    continue
                wizard.wait_page("printer")
                self.assertTrue(self.host_path(text).is_dir(), f"{text} was not created")
                wizard.click(wz.BACK)
                wizard.wait_page("folder")
                self.assertEqual(wizard.folder_text(), text)
        self.assertEqual([p.name for p in existing.iterdir()], ["mine.txt"])
        self.assertEqual((existing / "mine.txt").read_bytes(), b"not the installer's")
        self.assertFalse(any(p.name.lower() == "labelprinter" for p in self.drive_c.iterdir()))

    def test_over_long_folder_is_refused_or_cut_but_never_overruns(self):
        # 255 characters fit the folder buffers; what happens beyond is the
        # implementer's choice, but the wizard must stay alive and answer,
        # and every folder it creates must lie on the typed path.
        wizard = self.start("English")
        self.next_to(wizard, "folder")
        text = "C:\\e2e over\\" + "\\".join(f"{i}" * 50 for i in range(6))
        self.assertGreater(len(text), 300)
        wizard.set_folder(text)
        wizard.click(wz.NEXT)

        def outcome():
            if wizard.other_windows():
                return "message"
            return "printer" if wizard.page() == "printer" else None

        result = wait_until(outcome, wz.STEP_TIMEOUT, what="the wizard to answer Next")
        self.shot(f"over-long-{result}", wizard.hwnd)
        if result == "message":
            self.expect_message(wizard, english_messages()["invalid"], "over-long-message",
                                "folder")
        for path in self.drive_c.glob("e2e over/**/*"):
            windows_path = "C:\\" + "\\".join(path.relative_to(self.drive_c).parts)
            self.assertTrue(text.startswith(windows_path), windows_path)
        self.assertIsNone(wizard.proc.poll(), "the installer ended")


class WizardInstallFolder(WizardCase):
    def test_folder_too_long_for_the_printer_name_never_overruns(self):
        # The chosen folder fits (250 characters) but the install folder with
        # the printer name and "Inf" does not fit 255: refused or cut is the
        # implementer's choice; what is created must lie on the wanted path.
        folder = "C:\\e2e tight\\" + "\\".join(f"{i}" * 40 for i in range(6))
        folder = folder[:250]
        wizard = self.start("English", wz.ports_fixture(FIXTURE_PORTS))
        self.walk_to_printer_page(wizard, folder)
        self.choose_port(wizard, "LPT1")
        wanted = f"{folder}\\{self.models()[0][0]}\\Inf"
        wizard.click(wz.NEXT)

        def outcome():
            if wizard.other_windows():
                return "message"
            return "final" if wizard.page() == "final" else None

        result = wait_until(outcome, 30, what="the wizard to answer Next")
        self.shot(f"tight-{result}", wizard.hwnd)
        for path in self.drive_c.glob("e2e tight/**/*"):
            windows_path = "C:\\" + "\\".join(path.relative_to(self.drive_c).parts)
            self.assertTrue(wanted.startswith(windows_path), windows_path)
            self.assertLessEqual(len(windows_path), 255)
        self.assertIsNone(wizard.proc.poll(), "the installer ended")


class WizardPrinterPage(WizardCase):
    def test_model_box_names_each_model_and_the_prompt_empties_the_name(self):
        wizard = self.start("English")
        self.walk_to_printer_page(wizard)
        models = self.models()
        for index, (name, _) in list(enumerate(models, 1))[::-1]:
            with self.subTest(model=name):
                self.choose_model(wizard, index, name)
        self.choose_model(wizard, 0, "")
        self.shot("prompt-selected", wizard.hwnd)
        wizard.click(wz.NEXT)
        self.expect_message(wizard, english_messages()["no-model"], "no-model", "printer")
        # Back and Next again keep the model choice.
        self.choose_model(wizard, 3, models[2][0])
        wizard.click(wz.BACK)
        wizard.wait_page("folder")
        self.next_to(wizard, "printer")
        controls = wizard.controls()
        self.assertEqual((controls[wz.MODEL]["cursel"], controls[wz.PRINTER_NAME]["text"]),
                         (3, models[2][0]))

    def test_serial_controls_follow_the_port(self):
        wizard = self.start("English", wz.ports_fixture(FIXTURE_PORTS))
        self.walk_to_printer_page(wizard)
        entries = wizard.controls()[wz.PORT]["items"]
        self.assertEqual(entries, FIXTURE_PORT_ENTRIES + ["Net Port(TCP/IP)"])
        for entry in ["COM2", "USB", "COM1", "LPT1", "COM2", "Net Port(TCP/IP)"]:
            with self.subTest(port=entry):
                self.choose_port(wizard, entry)
                controls = wizard.controls()
                self.assertTrue(all(controls[i]["visible"] for i in wz.SERIAL_CONTROLS))
        self.choose_port(wizard, "COM2")
        self.shot("com2-selected", wizard.hwnd)

    def test_many_and_long_port_names_are_cut_or_skipped(self):
        # More ports than a 512-entry snapshot holds, and COM/LPT names longer
        # than 7 characters: whether they are cut, skipped or shown whole is
        # the implementer's choice; every entry must name a real port.
        names = [f"COM{i}:" for i in range(1, 601)] + ["COM123456789:", "LPT1:", "LPTXYZ987654:"]
        wizard = self.start("English", wz.ports_fixture(names))
        self.walk_to_printer_page(wizard)
        self.shot("many-ports", wizard.hwnd)
        entries = wizard.controls()[wz.PORT]["items"]
        self.assertEqual(entries[0], "USB")
        self.assertEqual(entries[-1], "Net Port(TCP/IP)")
        listed = [n[:-1] for n in sorted(names)]  # the spooler's order, colon dropped
        for entry in entries[1:-1]:
            self.assertTrue(any(name.startswith(entry) for name in listed), entry)
        self.assertIn("COM1", entries)
        self.assertIn("LPT1", entries)
        self.choose_port(wizard, "COM1")
        self.install_to_final_page(wizard)
        self.finish(wizard)

    def test_serial_settings_are_stored_for_the_chosen_com_port(self):
        # (baud, data bits, parity, stop bits, flow) to choose, None keeping
        # the default; the value expected under "COM2:".
        cases = [
            ((None, None, None, None, None), "115200,n,8,1,p"),
            ((None, None, "奇校验", None, "无"), "115200,o,8,1,"),
            (("9600", "7", "偶校验", "1.5", "Xon / Xoff"), "9600,e,7,1.5,x"),
        ]
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        boxes = [wz.BAUD, wz.DATA_BITS, wz.PARITY, wz.STOP_BITS, wz.FLOW]
        for number, (choices, expected) in enumerate(cases):
            with self.subTest(value=expected):
                wizard = self.start("English", log_name=f"installer-{number}.log")
                self.walk_to_printer_page(wizard)
                self.choose_port(wizard, "COM2")
                for box, choice in zip(boxes, choices):
                    if choice is not None:
                        wizard.select(box, text=choice)
                self.install_to_final_page(wizard, f"serial-{number}-final")
                value = self.drv.reg_value(wz.PORTS_KEY_SHORT, "COM2:")
                self.assertEqual((value.get("type"), value.get("raw")), (1, expected + "\0"))
                self.assertEqual(self.drv.reg_value(wz.PORTS_KEY_SHORT, "COM1:").get("raw"), "\0",
                                 "another port's value changed")
                self.finish(wizard)

    def test_network_entry_without_network_ports_stays_silently(self):
        wizard = self.start("English", wz.ports_fixture(FIXTURE_PORTS))
        self.walk_to_printer_page(wizard)
        self.assertFalse([p for p in self.drv.ports() if p["monitor"].lower() == "tcpmon.dll"])
        self.choose_port(wizard, "Net Port(TCP/IP)")
        wizard.click(wz.NEXT)
        # Wine has no "Standard TCP/IP Port" monitor: AddPort fails at once.
        # Nothing may open and the page must stay, for longer than the
        # dialog takes to handle Next.
        with self.assertRaises(TimeoutError):
            wait_until(lambda: wizard.other_windows() or wizard.page() != "printer", 3.0,
                       what="a reaction to Next")
        self.shot("network-next", wizard.hwnd)
        self.assertEqual([p["name"] for p in self.drv.ports()], sorted(FIXTURE_PORTS))
        # Next still works afterwards.
        self.choose_port(wizard, "LPT1")
        self.install_to_final_page(wizard)
        self.finish(wizard)


class WizardUniquePrinterName(WizardCase):
    def test_install_folder_ends_in_a_name_no_printer_has(self):
        # (printers in the spooler, language, expected install folder name)
        cases = [
            (["Merlo 204T"], "English", "Merlo 204T (copy 1)"),
            (["Merlo 204T", "Merlo 204T (copy 1)", "Merlo 206T"], "English", "Merlo 204T (copy 2)"),
            (["Merlo 204T (copy 1)"], "English", "Merlo 204T"),
            (["Merlo 204T", "Merlo 204T (copy 1)"], "Chinese", "Merlo 204T (副本 1)"),
        ]
        for number, (printers, language, expected) in enumerate(cases):
            with self.subTest(printers=printers, language=language):
                self.prefix.import_registry({"-" + wz.PRINTERS_KEY: {}})
                self.prefix.import_registry(wz.printers_fixture(printers))
                self.assertEqual(sorted(p["name"] for p in self.drv.printers()), sorted(printers))
                folder = f"C:\\e2e unique {number}"
                wizard = self.start(language, wz.ports_fixture(FIXTURE_PORTS),
                                    log_name=f"installer-{number}.log")
                self.walk_to_printer_page(wizard, folder)
                self.choose_port(wizard, "LPT1")
                self.install_to_final_page(wizard, f"unique-{number}-final")
                made = sorted(p.name for p in self.host_path(folder).iterdir())
                self.assertEqual(made, [expected])
                self.assertTrue((self.host_path(folder) / expected / "Inf").is_dir())
                self.finish(wizard)


class WizardUsbPrinter(WizardCase):
    def test_connected_printer_is_preselected_and_found_on_next(self):
        models = self.models()
        name, vid_pid = models[1]
        self.assertFalse((self.drive_c / INSTALL_LOG).exists())
        wizard = self.start("English", wz.usb_printer_fixture(vid_pid, serial="lp0001"))
        window = wizard.dump()
        controls = wz.dialog_controls(window)
        self.assertEqual((controls[wz.MODEL]["cursel"], controls[wz.PRINTER_NAME]["text"]),
                         (2, name))
        self.walk_to_printer_page(wizard, "C:\\e2e usb")
        self.shot("usb-printer-page", wizard.hwnd)
        self.assertEqual(wizard.controls()[wz.PORT]["text"], "USB")

        # Another model than the connected one: no record of that name
        # matches a connected printer.
        self.choose_model(wizard, 1, models[0][0])
        wizard.click(wz.NEXT)
        self.expect_message(wizard, english_messages()["no-new-usb"], "message-no-new-usb",
                            "printer")

        self.choose_model(wizard, 2, name)
        self.install_to_final_page(wizard, "usb-final")
        self.assertTrue(self.host_path(f"C:\\e2e usb\\{name}\\Inf").is_dir())
        # The detection's lines come first, each naming the printer found;
        # the deployment's own lines follow them.
        line = f"**** vid&pid={vid_pid.lower()} subkey=lp0001\r\n".encode("ascii")
        lines = (self.drive_c / INSTALL_LOG).read_bytes().splitlines(keepends=True)
        detection = [entry for entry in lines if b"vid&pid" in entry]
        self.assertTrue(detection and set(detection) == {line}, lines)
        self.assertEqual(lines[:len(detection)], detection)
        self.finish(wizard)

    def test_printer_of_an_unknown_model_is_not_preselected(self):
        wizard = self.start("English", wz.usb_printer_fixture("vid_0e2e&pid_0001"))
        controls = wizard.controls()
        self.assertEqual((controls[wz.MODEL]["cursel"], controls[wz.PRINTER_NAME]["text"]),
                         (1, self.models()[0][0]))
        self.walk_to_printer_page(wizard)
        wizard.click(wz.NEXT)
        self.expect_message(wizard, english_messages()["no-usb"], "message-no-usb", "printer")
        self.assertFalse((self.drive_c / INSTALL_LOG).exists(), "a log line without a match")


class WizardEnding(WizardCase):
    def test_each_way_of_closing_the_failure_page_ends_and_keeps_own_files(self):
        folder = self.program_files() + "\\" + ENGLISH_TITLE
        install = self.host_path(folder) / "Merlo 204T"
        install.mkdir(parents=True)
        own = {self.host_path(folder) / "own.txt": b"mine", install / "own.txt": b"mine too"}
        for path, data in own.items():
            path.write_bytes(data)
        for number, how in enumerate(["button", "escape", "enter", "close box"]):
            with self.subTest(way=how):
                wizard = self.start("English", wz.ports_fixture(FIXTURE_PORTS),
                                    log_name=f"installer-{number}.log")
                self.walk_to_printer_page(wizard)
                self.choose_port(wizard, "COM1")
                self.install_to_final_page(wizard)
                self.finish(wizard, how)
                for path, data in own.items():
                    self.assertEqual(path.read_bytes(), data, f"{path} changed")
                self.assertTrue((install / "Inf").is_dir())
                # Every working file the deployment wrote is gone again; the
                # deployed uninstaller is one of the files the clean-up keeps.
                self.assertEqual(sorted(p.name for p in install.iterdir()), ["Inf", "Uninstaller.exe", "own.txt"])
                self.assertEqual((install / "Uninstaller.exe").read_bytes()[:2], b"MZ")

    def test_closing_early_keeps_files_this_run_did_not_create(self):
        # The clean-up lists the folder that the field names when the wizard
        # closes; before the printer page that is the user's folder (an
        # empty field names the root of the current drive, C: here).
        existing = "C:\\e2e existing"
        own = {self.host_path(existing) / "own.txt": b"mine",
               self.host_path(existing) / "Setup.log": b"also mine",
               self.drive_c / "e2e-own.txt": b"in the root"}
        self.host_path(existing).mkdir()
        for path, data in own.items():
            path.write_bytes(data)
        # (page to close on, folder field text, how)
        cases = [("folder", existing, "button"), ("folder", "", "close box"),
                 ("printer", existing, "button"), ("printer", existing, "escape")]
        for number, (page, text, how) in enumerate(cases):
            with self.subTest(page=page, folder=text, way=how):
                wizard = self.start("English", log_name=f"installer-{number}.log")
                self.next_to(wizard, "folder")
                wizard.set_folder(text)
                if page == "printer":
                    self.next_to(wizard, "printer")
                self.finish(wizard, how)
                for path, data in own.items():
                    self.assertEqual(path.read_bytes(), data, f"{path} changed")

    def test_cancel_on_each_page_before_installing_ends_without_installing(self):
        default = self.program_files() + "\\" + ENGLISH_TITLE
        for number, page in enumerate(["welcome", "folder", "printer"]):
            with self.subTest(page=page):
                wizard = self.start("English", log_name=f"installer-{number}.log")
                if page != "welcome":
                    self.next_to(wizard, "folder")
                if page == "printer":
                    self.next_to(wizard, "printer")
                self.drv.click(wizard.hwnd, wz.CANCEL)
                self.prefix.wait_exit(wizard.proc, wz.STEP_TIMEOUT)
                folder = self.host_path(default)
                # Leaving the folder page creates the folder, nothing else.
                if page == "printer":
                    self.assertEqual(list(folder.iterdir()), [])
                else:
                    self.assertFalse(folder.exists())
                self.assertFalse((self.drive_c / INSTALL_LOG).exists())


if __name__ == "__main__":
    unittest.main()
