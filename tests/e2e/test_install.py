"""Installations under Wine, driven through the wizard from outside and
checked inside the prefix with the system's own calls (the driver's
queries): the printer, its port, driver and data, the files in the
spooler's and the system's folders, the install folder after the wizard
closed, the product key, the uninstall entry, "Uninstall.ini", the service,
the Start-menu shortcut and the install log; then the failures that a
spooler state can cause.

Wine enumerates registry values sorted by name, not in the order they were
written, so the values of a key are compared in Wine's order
(sysinfo.wine_value_order); the order of writing is the unit tests' to
check. Screenshots of the installing, success and failure pages in each
language land in the scenarios' artefacts folders."""

import re
import unittest

import sysinfo as si
import wizard as wz
from harness import INSTALLER_EXE, DriverError, wait_until
from test_wizard import LOCALE, WizardCase, write_text_ini

INSTALL_TIMEOUT = 90.0
PORTS = ["COM1:", "COM2:", "LPT1:", "LPT2:", "FILE:"]
RUN_ONCE = r"SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce"
UNINSTALL = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
PRINTERS = r"HKLM\System\CurrentControlSet\Control\Print\Printers"
SERVICE = "TarnelPrinter Service"
SERVICE_RUNNING = 4
SPOOLER_MAP = r"HKEY_CURRENT_USER\Software\Wine\Printing\Spooler"

# What each interface language names and writes.
NAMES = {
    "English": {"product": "Label Printer Driver V 1.0", "monitor": "Label USB Printer Monitor",
                "menu": "{} Driver", "link": "Uninstall Printer Driver.lnk",
                "language": "English", "data language": "09040000", "finish": "Finish",
                "select port": "Select Printer Port"},
    "Chinese": {"product": "标签打印机驱动 V 1.0", "monitor": "标签USB打印机监视器",
                "menu": "{} 打印机驱动", "link": "卸载 打印机驱动.lnk",
                "language": "Chinese", "data language": "04080000", "finish": "完成",
                "select port": "选择打印机端口"},
    # No InstallConfig_rs.txt in the payload: the built-in names.
    "Russian": {"product": "USB Printer", "monitor": "USB Printer Monitor",
                "menu": "{} Драйвер принтера", "link": "Удалите драйвер принтера.lnk",
                "language": "English", "data language": "04080000", "finish": "Finish",
                "select port": "Select Printer Port"},
}

# Members that registration copies (the 64-bit build takes the ".x64"
# twins) and where to: (member, folder key, target name format).
SUPPORT_FILES = ["CHISMPL.DLL", "CHITRAD.DLL", "ENGLISH.DLL", "Image.dll"]
# Members deleted from the install folder by the 64-bit registration.
DELETED_BY_REGISTRATION = ["plotui.dll", "plotui.dll.x64", "plotter.dll", "plotter.dll.x64",
                           "Rad80PrinterMon.dll.x64", "Rad80PrinterMonUI.dll.x64"]
KEPT_AFTER_CLOSING = ["Uninstaller.exe", "Uninstall.ini", "VorskPrinterService.exe"]
GPC_SIZE = 932


class InstallCase(WizardCase):
    time_limit = 420.0

    def setUp(self):
        super().setUp()
        self.folders = self.drv.folders()

    # --- the payload and the models
    def model(self, number):
        """The model record of model box entry `number` (1 is the first)."""
        if not hasattr(self.session, "model_records"):
            self.session.model_records = wz.read_model_records(
                self.member_bytes("PrinterName.txt"))
        return self.session.model_records[number - 1]

    # --- driving an installation
    def set_default_box(self, wizard, checked):
        if bool(wizard.controls()[wz.SET_DEFAULT]["checked"]) != checked:
            wizard.click(wz.SET_DEFAULT)
            wait_until(lambda: bool(wizard.controls()[wz.SET_DEFAULT]["checked"]) == checked,
                       wz.STEP_TIMEOUT, what="the default-printer box to follow the click")

    def to_printer_page(self, language, *, fixtures=None, folder=None, model=None, port=None,
                        default=True, locale=None, log_name="installer.log"):
        """Starts the installer and walks to the printer page with the model
        (entry number), port entry and default box given."""
        wizard = self.start(language, fixtures, locale=locale or LOCALE[language],
                            log_name=log_name)
        self.walk_to_printer_page(wizard, folder)
        if model is not None:
            self.choose_model(wizard, model, self.model(model)["name"])
        if port is not None:
            self.choose_port(wizard, port)
        self.set_default_box(wizard, default)
        return wizard

    def press_install(self, wizard, language, shot_prefix):
        """Next on the printer page; screenshots the installing page when it
        is still showing."""
        wizard.click(wz.NEXT)
        page = wait_until(lambda: (lambda p: p if p in ("installing", "final") else None)(
            wizard.page()), wz.STEP_TIMEOUT, what="the installing page")
        if page == "installing":
            path = self.shot(f"{shot_prefix}-{language}-installing", wizard.hwnd)
            # A fast installation may have ended while the screenshot settled.
            if wizard.page() != "installing":
                path.unlink()

    def wait_final(self, wizard, language, outcome, shot_prefix):
        wizard.wait_page("final", timeout=INSTALL_TIMEOUT)
        self.shot(f"{shot_prefix}-{language}-{outcome}", wizard.hwnd)

    def install(self, language, *, shot_prefix="install", outcome="succeeded", **walk):
        """A whole installation up to its final page, whose screenshot is
        named after the expected `outcome`; returns the wizard."""
        wizard = self.to_printer_page(language, **walk)
        self.shot(f"{shot_prefix}-{language}-printer-page", wizard.hwnd)
        self.press_install(wizard, language, shot_prefix)
        self.wait_final(wizard, language, outcome, shot_prefix)
        return wizard

    def port_list(self, language, wizard, shot_prefix):
        """The port list dialog the registration opens: visible, without an
        owner, in the installer's process. While it is open the wizard stays
        on its installing page: both are screenshot, the list moved off the
        wizard first."""
        window = self.drv.find_one(timeout=INSTALL_TIMEOUT, exe=INSTALLER_EXE, visible=True,
                                   caption=NAMES[language]["select port"])
        self.assertEqual(window["owner"], 0, "the port list has an owner")
        wizard.wait_page("installing")
        self.shot(f"{shot_prefix}-{language}-dialog", window["hwnd"])
        right = self.drv.dump(wizard.hwnd)["rect"][2]
        self.drv.move(window["hwnd"], right + 20, 0)
        self.shot(f"{shot_prefix}-{language}-installing", wizard.hwnd)
        return window

    def walk_and_remove_port(self, language, port_entry, **walk):
        """The printer page with an LPT port chosen, which is then deleted
        from the prefix: the wizard's snapshot has it, the spooler no
        longer lists it."""
        wizard = self.to_printer_page(language, fixtures=wz.ports_fixture(PORTS),
                                      port=port_entry, **walk)
        self.assertTrue(self.drv.reg_delete(wz.PORTS_KEY_SHORT, port_entry + ":"))
        self.assertNotIn(port_entry + ":", [p["name"] for p in self.drv.ports()])
        return wizard

    def answer_port_list(self, dialog, port):
        rows = self.drv.dump(dialog["hwnd"])["controls"][1009]["rows"]
        self.drv.lvselect(dialog["hwnd"], 1009, [r["cells"][0] for r in rows].index(port))
        self.drv.click(dialog["hwnd"], 1)
        self.drv.wait_gone(dialog["hwnd"], timeout=wz.STEP_TIMEOUT)

    # --- what the installation left
    def host(self, windows_path):
        return si.host_path(self.drive_c, windows_path)

    def default_folder(self, language):
        return self.program_files() + "\\" + NAMES[language]["product"]

    def start_menu_folder(self, language, printer):
        return self.folders["startMenu"] + "\\" + NAMES[language]["menu"].format(printer)

    def log_lines(self):
        path = self.drive_c / "InstallPrinter.txt"
        self.assertTrue(path.is_file(), "no install log C:\\InstallPrinter.txt")
        return si.log_lines(path.read_bytes())

    def assert_sz_values(self, key, expected, view=64):
        """The key holds exactly these REG_SZ values, each with one
        terminator, in Wine's enumeration order."""
        values = self.drv.reg_values(key, view)
        self.assertIsNotNone(values, f"no key {key} in the {view}-bit view")
        self.assertEqual([v["name"] for v in values], si.wine_value_order(expected),
                         f"the values of {key}")
        for v in values:
            with self.subTest(key=key, value=v["name"]):
                self.assertEqual((v["type"], si.value_bytes(v)),
                                 (si.REG_SZ, si.sz_bytes(expected[v["name"]])))

    def assert_printer(self, name, port, default, model, language):
        """The printer as the spooler lists it, its five data values, its
        driver and every file that registration placed."""
        printers = {p["name"]: p for p in self.drv.printers()}
        self.assertIn(name, printers, f"no printer {name}")
        printer = printers[name]
        driver = f"{name} Driver"
        self.assertEqual({k: printer[k] for k in ("share", "port", "driver", "printProcessor",
                                                  "datatype", "parameters", "separator")},
                         {"share": name, "port": port, "driver": driver,
                          "printProcessor": "WinPrint", "datatype": "RAW", "parameters": "",
                          "separator": ""})
        self.assertEqual(printer["attributes"], 4, "attributes other than the default one")

        data = {v["name"]: v for v in self.drv.printer_data(name)}
        self.assertEqual(sorted(data), sorted(["DevicePath", "VidAndPid", "PrintWidth", "UserForm",
                                               "Language"]))
        expected = {
            "DevicePath": (si.REG_SZ, si.sz_bytes("")),
            "VidAndPid": (si.REG_SZ, si.sz_bytes(model["vidPid"])),
            "PrintWidth": (si.REG_DWORD, si.dword_bytes(model["headWidth"])),
            "UserForm": (si.REG_SZ,
                         si.sz_bytes(f"{model['paperWidth']} {model['paperHeight']} 0 0")),
        }
        for value, (reg_type, data_bytes) in expected.items():
            with self.subTest(printer_data=value):
                self.assertEqual((data[value]["type"], si.value_bytes(data[value])),
                                 (reg_type, data_bytes))
        # "Language": string-typed, the 4 bytes of a language id (the
        # registry may keep a terminator behind them).
        language_value = data["Language"]
        self.assertEqual(language_value["type"], si.REG_SZ)
        self.assertIn(language_value["size"], (4, 6))
        self.assertEqual(si.value_bytes(language_value)[:4],
                         bytes.fromhex(NAMES[language]["data language"]))
        self.assertEqual(self.drv.printer_value(name, "Language")["hex"][:8],
                         NAMES[language]["data language"])

        self.assertEqual(self.drv.default_printer() == name, default,
                         f"default printer {self.drv.default_printer()!r}")

        d = self.folders["driverDirectory"]
        drivers = {x["name"]: x for x in self.drv.drivers("Windows x64")}
        self.assertIn(driver, drivers, f"no driver {driver} for Windows x64")
        self.assertEqual({k: drivers[driver][k] for k in ("driverPath", "dataFile", "configFile")},
                         {"driverPath": f"{d}\\3\\{name}Drv.dll",
                          "dataFile": f"{d}\\3\\{name}GPC.pcd",
                          "configFile": f"{d}\\3\\{name}UI.dll"})
        self.assert_placed_files(name, model)

    def assert_placed_files(self, name, model):
        d = self.host(self.folders["driverDirectory"])
        system = self.host(self.folders["systemDirectory"])
        placed = {
            d / f"{name}Drv.dll": self.member_bytes("plotter.dll.x64"),
            d / f"{name}UI.dll": self.member_bytes("plotui.dll.x64"),
            d / "3" / f"{name}Drv.dll": self.member_bytes("plotter.dll.x64"),
            d / "3" / f"{name}UI.dll": self.member_bytes("plotui.dll.x64"),
            system / f"{name}Mon.dll": self.member_bytes("Rad80PrinterMon.dll.x64"),
            system / f"{name}MonUI.dll": self.member_bytes("Rad80PrinterMonUI.dll.x64"),
        }
        for support in SUPPORT_FILES:
            placed[d / "3" / support] = self.member_bytes(support + ".x64")
        for path, data in placed.items():
            with self.subTest(file=str(path)):
                self.assertTrue(path.is_file(), f"{path} is missing")
                self.assertEqual(path.read_bytes(), data, f"{path} differs from its member")
        gpc = (d / f"{name}GPC.pcd").read_bytes()
        self.assertEqual(len(gpc), GPC_SIZE)
        self.assertEqual((d / "3" / f"{name}GPC.pcd").read_bytes(), gpc)
        self.assertEqual(gpc[:4], b"Plot")
        self.assertEqual(int.from_bytes(gpc[72:76], "little"), model["dpi"])
        # The first form record is the model's paper, in 1/1000 mm.
        self.assertEqual(gpc[260:266], b"Custom")
        self.assertEqual((int.from_bytes(gpc[292:296], "little"),
                          int.from_bytes(gpc[296:300], "little")),
                         (model["paperWidth"] * 100, model["paperHeight"] * 100))

    def assert_registration_sources_deleted(self, install):
        """While the wizard is open: the install folder holds the deployed
        members except the sources that registration moved."""
        present = {p.name.lower() for p in install.iterdir()}
        for name in DELETED_BY_REGISTRATION:
            self.assertNotIn(name.lower(), present, f"{name} was not deleted")
        for name in ("CHISMPL.DLL.x64", "Rad80PrinterMon.dll", "PrinterName.txt"):
            self.assertIn(name.lower(), present, f"{name} is missing before the clean-up")

    def assert_uninstall_data(self, language, printer, chosen, install, port):
        menu = self.start_menu_folder(language, printer)
        link = menu + "\\" + NAMES[language]["link"]
        self.assert_sz_values(rf"HKLM\SOFTWARE\{printer}", {
            "Data Directory": chosen, "Program Directory": install,
            "Language": NAMES[language]["language"], "PrinterName": printer,
            "StartMenuDir": menu, "Uninstaller": link, "PrinterDriver": f"{printer} Driver",
            "MonitorName": NAMES[language]["monitor"], "PortName": port})
        self.assertIsNone(self.drv.reg_values(rf"HKLM\SOFTWARE\{printer}", 32),
                          "a product key in the 32-bit view")
        uninstaller = install + "\\Uninstaller.exe"
        # The process's own view: the 64-bit one for the 64-bit build.
        self.assert_sz_values(rf"HKLM\{UNINSTALL}\{printer}", {
            "DisplayIcon": uninstaller, "DisplayName": printer, "DisplayVersion": "1.2.1",
            "InstallLocation": install, "Publisher": "Quorvane",
            "UninstallString": uninstaller, "VersionMajor": "1", "VersionMinor": "2"})
        self.assertIsNone(self.drv.reg_values(rf"HKLM\{UNINSTALL}\{printer}", 32),
                          "an uninstall entry in the 32-bit view")
        ini = self.host(install) / "Uninstall.ini"
        self.assertTrue(ini.is_file(), "no Uninstall.ini")
        self.assertEqual(si.read_ini(ini.read_bytes()),
                         {"Print Settings": {"PrinterName": printer, "ServiceName": SERVICE}})
        shortcut = self.shortcut(link, language)
        self.assertIsNotNone(shortcut, f"no shortcut {link}")
        self.assertEqual((shortcut["target"], shortcut["workingFolder"], shortcut["arguments"]),
                         (uninstaller, install, ""))

    def shortcut(self, link, language):
        """The link read under the locale the installer ran in: a link keeps
        its target as an ANSI path too, which Wine reads back in the
        reader's code page."""
        answer = self.prefix.driver_once(LOCALE[language], "shortcut", link)["shortcut"]
        return answer if answer["exists"] else None

    def assert_service(self, install):
        service = self.drv.service(SERVICE)
        self.assertIsNotNone(service, "no printer service")
        self.assertEqual({k: service[k] for k in ("type", "start", "errorControl", "binaryPath",
                                                  "loadOrderGroup", "dependencies", "account",
                                                  "displayName", "description")},
                         {"type": 0x110, "start": 2, "errorControl": 1,
                          "binaryPath": f'"{install}\\VorskPrinterService.exe"',
                          "loadOrderGroup": "", "dependencies": [], "account": "LocalSystem",
                          "displayName": SERVICE, "description": "TarnelPrinter Printer Monitor"})
        self.assertEqual(service["state"], SERVICE_RUNNING, "the service was not started")
        return service

    def assert_log(self, lines, expected):
        """The log lines, with "AddPrinter hPrinter = <hex>" matched by
        its form."""
        self.assertEqual(len(lines), len(expected), lines)
        for line, want in zip(lines, expected):
            if want == "AddPrinter hPrinter = <hex>":
                self.assertRegex(line, r"^AddPrinter hPrinter = [0-9a-f]+$")
            else:
                self.assertEqual(line, want)

    def assert_nothing_registered(self, printer, language, printers_before, default_before):
        """After a failed registration: no new printer, no uninstall data,
        no service; the shortcut exists; the default printer is unchanged."""
        self.assertEqual(sorted(p["name"] for p in self.drv.printers()), printers_before)
        self.assertIsNone(self.drv.reg_values(rf"HKLM\SOFTWARE\{printer}"), "a product key")
        self.assertIsNone(self.drv.reg_values(rf"HKLM\{UNINSTALL}\{printer}"),
                          "an uninstall entry")
        self.assertIsNone(self.drv.service(SERVICE), "a printer service")
        link = self.start_menu_folder(language, printer) + "\\" + NAMES[language]["link"]
        self.assertIsNotNone(self.shortcut(link, language), f"no shortcut {link}")
        self.assertEqual(self.drv.default_printer(), default_before)

    def finish_and_list(self, wizard, install):
        """Finish, then the names in the install folder."""
        self.finish(wizard)
        return sorted(p.name + ("\\" if p.is_dir() else "") for p in self.host(install).iterdir())

    def expected_file_count(self):
        return f"**** FileCount={len(self.members())}"

    def raw_job_reaches(self, printer, port):
        """A RAW job to `printer` arrives byte for byte at `port`, mapped to
        a file of the host."""
        target = self.art.folder / f"job-{re.sub(r'[^A-Za-z0-9]', '_', port)}.prn"
        self.prefix.import_registry({SPOOLER_MAP: {port: str(target)}})
        data = b"SIZE 104 mm,150 mm\r\nCLS\r\nTEXT 10,10,\"3\",0,1,1,\"e2e\"\r\nPRINT 1\r\n\x00\xff"
        self.drv.raw_job(printer, data)
        wait_until(lambda: target.exists() and target.read_bytes() == data, 15,
                   what=f"the job's bytes at {port}")

    def seed_run_once(self):
        keys = {rf"HKEY_LOCAL_MACHINE\{RUN_ONCE}": {"OzrUninstaller": "C:\\old\\Uninstaller.exe",
                                                    "E2E Keep": "keep.exe"},
                rf"HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion"
                r"\RunOnce": {"OzrUninstaller": "C:\\old32\\Uninstaller.exe"}}
        return keys

    def fixture_default_printer(self):
        """A printer of a driver of its own, made the default printer."""
        self.drv.add_driver("E2E Existing Driver", "Windows x64", "e2edrv.dll", "e2e.pcd",
                            "e2eui.dll")
        self.drv.add_printer("E2E Existing", "E2E Existing Driver", "FILE:")
        self.drv.set_default_printer("E2E Existing")
        return "E2E Existing"


class InstallByLanguage(InstallCase):
    def test_english_onto_lpt1_as_the_default_printer(self):
        model = self.model(1)
        name = model["name"]
        fixtures = wz.ports_fixture(PORTS)
        fixtures.update(self.seed_run_once())
        wizard = self.install("English", fixtures=fixtures, model=1, port="LPT1", default=True)
        chosen = self.default_folder("English")
        install = f"{chosen}\\{name}"
        self.assertEqual(wizard.controls()[wz.CANCEL]["text"], "Finish")
        self.assertEqual(wizard.folder_text(), install)

        with self.subTest(part="printer"):
            self.assert_printer(name, "LPT1:", True, model, "English")
        with self.subTest(part="install folder before closing"):
            self.assert_registration_sources_deleted(self.host(install))
        with self.subTest(part="uninstall data"):
            self.assert_uninstall_data("English", name, chosen, install, "LPT1:")
        with self.subTest(part="run-once value"):
            self.assertFalse(self.drv.reg_value(rf"HKLM\{RUN_ONCE}", "OzrUninstaller")["exists"])
            self.assertTrue(self.drv.reg_value(rf"HKLM\{RUN_ONCE}", "E2E Keep")["exists"])
            self.assertTrue(self.drv.reg_value(rf"HKLM\{RUN_ONCE}", "OzrUninstaller",
                                               32)["exists"], "the 32-bit view was changed")
        with self.subTest(part="service"):
            self.assert_service(install)
        with self.subTest(part="log"):
            self.assert_log(self.log_lines(), [self.expected_file_count(), "**** Retrace Finish",
                                               "AddPrinter hPrinter = <hex>"])
        with self.subTest(part="raw job"):
            self.raw_job_reaches(name, "LPT1:")
        with self.subTest(part="install folder after closing"):
            self.assertEqual(self.finish_and_list(wizard, install),
                             ["Inf\\"] + sorted(KEPT_AFTER_CLOSING))
            for kept in ("Uninstaller.exe", "VorskPrinterService.exe"):
                self.assertEqual((self.host(install) / kept).read_bytes(), self.member_bytes(kept))

    def test_chinese_onto_the_port_of_a_connected_usb_printer(self):
        model = self.model(2)
        name = model["name"]
        fixtures = wz.usb_printer_fixture(model["vidPid"], serial="lp0001", port="USB001")
        wizard = self.to_printer_page("Chinese", fixtures=fixtures, default=False)
        controls = wizard.controls()
        self.assertEqual((controls[wz.MODEL]["cursel"], controls[wz.PORT]["text"]), (2, "USB"))
        self.press_install(wizard, "Chinese", "install")
        self.wait_final(wizard, "Chinese", "succeeded", "install")
        chosen = self.default_folder("Chinese")
        install = f"{chosen}\\{name}"
        self.assertEqual(wizard.controls()[wz.CANCEL]["text"], "完成")

        with self.subTest(part="printer"):
            self.assert_printer(name, "USB001", False, model, "Chinese")
        with self.subTest(part="uninstall data"):
            self.assert_uninstall_data("Chinese", name, chosen, install, "USB001")
        with self.subTest(part="service"):
            self.assert_service(install)
        with self.subTest(part="log"):
            detection = f"**** vid&pid={model['vidPid'].lower()} subkey=lp0001"
            lines = self.log_lines()
            found = [line for line in lines if line.startswith("**** vid&pid=")]
            self.assertTrue(found and all(line == detection for line in found), lines)
            self.assert_log(lines[len(found):], [self.expected_file_count(), "**** Retrace Finish",
                                                 "AddPrinter hPrinter = <hex>"])
        with self.subTest(part="raw job"):
            self.raw_job_reaches(name, "USB001")
        self.assertEqual(self.finish_and_list(wizard, install),
                         ["Inf\\"] + sorted(KEPT_AFTER_CLOSING))

    def test_russian_onto_a_com_port_with_text_ini(self):
        model = self.model(3)
        name = model["name"]
        ini = {"Next": "Далее", "Back": "Назад", "Finish": "Готово",
               "Setup Complete": "Установка завершена"}
        write_text_ini(self.prefix.documents, ini)
        wizard = self.install("Russian", fixtures=wz.ports_fixture(PORTS), model=3, port="COM2",
                              default=True)
        chosen = self.default_folder("Russian")
        install = f"{chosen}\\{name}"
        self.assertEqual(wizard.controls()[wz.CANCEL]["text"], ini["Finish"])

        with self.subTest(part="printer"):
            self.assert_printer(name, "COM2:", True, model, "Russian")
            self.assertEqual(self.drv.reg_value(wz.PORTS_KEY_SHORT, "COM2:").get("string"),
                             "115200,n,8,1,p")
        with self.subTest(part="uninstall data"):
            self.assert_uninstall_data("Russian", name, chosen, install, "COM2:")
        with self.subTest(part="service"):
            self.assert_service(install)
        self.assertEqual(self.finish_and_list(wizard, install),
                         ["Inf\\"] + sorted(KEPT_AFTER_CLOSING))


class InstallAgain(InstallCase):
    def test_second_installation_of_the_same_model(self):
        model = self.model(1)
        name = model["name"]
        copy = f"{name} (copy 1)"
        chosen = self.default_folder("English")
        fixtures = wz.ports_fixture(PORTS)
        first = self.install("English", fixtures=fixtures, model=1, port="LPT1", default=False,
                             shot_prefix="first", log_name="installer-1.log")
        self.finish(first)
        service = self.assert_service(f"{chosen}\\{name}")

        second = self.install("English", model=1, port="LPT2", default=False,
                              shot_prefix="second", log_name="installer-2.log")
        self.assertEqual(second.folder_text(), f"{chosen}\\{copy}")
        self.assertEqual(sorted(p["name"] for p in self.drv.printers()), [name, copy])
        self.assert_printer(copy, "LPT2:", False, model, "English")
        # Each product key and uninstall entry holds its own names.
        self.assert_uninstall_data("English", name, chosen, f"{chosen}\\{name}", "LPT1:")
        self.assert_uninstall_data("English", copy, chosen, f"{chosen}\\{copy}", "LPT2:")
        # The service keeps its configuration and its process.
        again = self.drv.service(SERVICE)
        self.assertEqual(again, service)
        lines = self.log_lines()
        one_run = [self.expected_file_count(), "**** Retrace Finish",
                   "AddPrinter hPrinter = <hex>"]
        self.assert_log(lines, one_run + one_run)
        self.assertEqual(self.finish_and_list(second, f"{chosen}\\{copy}"),
                         ["Inf\\"] + sorted(KEPT_AFTER_CLOSING))


class InstallPortList(InstallCase):
    """A chosen port that the spooler no longer lists when registration
    checks it: the port was in the wizard's snapshot and is deleted from
    the prefix before Next."""

    def test_cancelled_port_list_fails_and_keeps_the_default_printer(self):
        name = self.model(1)["name"]
        existing = self.fixture_default_printer()
        wizard = self.walk_and_remove_port("English", "LPT1", model=1, default=True)
        wizard.click(wz.NEXT)
        dialog = self.port_list("English", wizard, "port-list")
        rows = self.drv.dump(dialog["hwnd"])["controls"][1009]
        self.assertEqual([c["text"] for c in rows["columns"]], ["Port", "Description", "Monitor"])
        self.assertEqual([r["cells"][0] for r in rows["rows"]],
                         [p["name"] for p in self.drv.ports()])
        # The list comes up before the driver is installed.
        self.assertNotIn(f"{name} Driver", [d["name"] for d in self.drv.drivers()])
        self.drv.click(dialog["hwnd"], 2)
        self.wait_final(wizard, "English", "failed", "port-list")
        self.assertEqual(wizard.controls()[wz.CANCEL]["text"], "Finish")
        self.assert_nothing_registered(name, "English", [existing], existing)
        self.assertNotIn(f"{name} Driver", [d["name"] for d in self.drv.drivers()])
        self.assert_log(self.log_lines(), [self.expected_file_count(), "**** Retrace Finish"])
        self.finish(wizard)

    def test_port_list_answer_is_the_printers_port(self):
        model = self.model(1)
        name = model["name"]
        wizard = self.walk_and_remove_port("Chinese", "LPT2", model=1, default=False)
        wizard.click(wz.NEXT)
        dialog = self.port_list("Chinese", wizard, "port-list")
        rows = self.drv.dump(dialog["hwnd"])["controls"][1009]
        self.assertEqual([c["text"] for c in rows["columns"]], ["端口", "描述", "监视器"])
        names = [r["cells"][0] for r in rows["rows"]]
        self.assertEqual(names, [p["name"] for p in self.drv.ports()])
        # OK without a selected row leaves the list open.
        self.drv.click(dialog["hwnd"], 1)
        with self.assertRaises(DriverError):
            self.drv.wait_gone(dialog["hwnd"], timeout=1.5)
        self.answer_port_list(dialog, "COM2:")
        self.wait_final(wizard, "Chinese", "succeeded", "port-list")
        chosen = self.default_folder("Chinese")
        self.assert_printer(name, "COM2:", False, model, "Chinese")
        self.assert_uninstall_data("Chinese", name, chosen, f"{chosen}\\{name}", "COM2:")
        self.finish(wizard)


class InstallRefused(InstallCase):
    def test_refused_driver_ends_on_the_failure_page(self):
        # A volatile driver branch refuses the persistent key of a new driver
        # (ERROR_CHILD_MUST_BE_VOLATILE). The chosen port is gone too, so
        # that the port list holds the installing page for its screenshot;
        # the answer is FILE:.
        name = self.model(2)["name"]
        wz.refuse_new_drivers(self.drv)
        wizard = self.walk_and_remove_port("Russian", "LPT1", model=2, default=True)
        wizard.click(wz.NEXT)
        self.answer_port_list(self.port_list("Russian", wizard, "refused-driver"), "FILE:")
        self.wait_final(wizard, "Russian", "failed", "refused-driver")
        self.assertEqual(wizard.controls()[wz.CANCEL]["text"], "Finish")
        self.assert_nothing_registered(name, "Russian", [], None)
        self.assertEqual(self.drv.drivers("Windows x64"), [])
        self.assert_log(self.log_lines(), [self.expected_file_count(), "**** Retrace Finish",
                                           "AddPrinterDriver = 1021"])
        self.finish(wizard)


if __name__ == "__main__":
    unittest.main()
