"""Start-up and the language choice of the installer, under Wine.

Each scenario starts the installer in a fresh prefix under a chosen locale
and checks, from outside, the language dialog that the locale selects, how it
relabels itself, what confirming or cancelling it does, and what start-up
leaves in the user's Documents folder. The expected texts are those of the
default payload; the start-up files are compared byte for byte with the
payload members inside the installer under test."""

import contextlib
import os
import signal
import unittest

import harness
import wizard as wz
from harness import INSTALLER_EXE, LOCALES, DriverError, E2ECase, wait_until
from payload import dialog_caption, installer_members
from test_wizard import LANGUAGES as WIZARD_LANGUAGES


START_TIMEOUT = 60.0  # first window of a program in a freshly booted prefix
ACTION_TIMEOUT = 15.0
# Relabelling is done by the dialog's own thread within milliseconds of the
# notification; a label still wrong after this long stays wrong.
LABEL_TIMEOUT = 6.0

LIST, PROMPT, OK, CANCEL = 1008, 1045, 1, 2
# The names that start-up extracts, and those of them the default payload has.
STARTUP_NAMES = ["InstallConfig_cn.txt", "InstallConfig_en.txt", "InstallConfig_rs.txt",
                 "logo.bmp", "PrinterName.txt", "Text.ini"]
STARTUP_FILES = ["InstallConfig_cn.txt", "InstallConfig_en.txt", "PrinterName.txt"]

CN_CAPTION = "标签打印机驱动安装--选择语言"
EN_CAPTION = "Label Printer Driver--Select Language"


def labels(caption, prompt, ok, cancel, items, selected):
    return {"caption": caption, "prompt": prompt, "ok": ok, "cancel": cancel,
            "items": items, "selected": selected}


CN_ITEMS = ["简体中文", "English", "Русский"]
EN_ITEMS = ["中文", "English", "Русский"]
MODE1_ITEMS = ["Chinese", "English", "Russian"]

# What the dialog shows right after it opened, by system default locale.
INITIAL = {
    2052: labels(CN_CAPTION, "请选择语言：", "确定", "取消", CN_ITEMS, 0),
    1033: labels(EN_CAPTION, "Please select language:", "OK", "Cancel", EN_ITEMS, 1),
    1049: labels("Select Language", "Please Select Language", "OK", "Cancel", MODE1_ITEMS, 2),
    1041: labels("Select Language", "Please Select Language", "OK", "Cancel", MODE1_ITEMS, 2),
}

# Labels after selecting an entry, without Text.ini: (caption, prompt, ok, cancel).
RELABEL_DEFAULT = {
    0: ("选择语言", "请选择语言", "OK", "取消"),
    1: ("Select Language", "Please Select Language", "OK", "Cancel"),
    2: ("Select Language", "Please Select Language", "OK", "Cancel"),
}

# A Text.ini whose every language-dialog key differs from its default.
TEXT_INI = {
    "SelectLanguage": "Выбор языка",
    "PleaseSelectLanguage": "Пожалуйста, выберите язык",
    "Cancel": "Отмена",
    "Chinese": "Китайский",
    "English": "Английский",
    "Russian": "Русский язык",
    "SelectLanguageCN": "选择语言（Text.ini）",
    "PleaseSelectLanguageCN": "请选择语言（Text.ini）",
    "CancelCN": "取消（Text.ini）",
    "OK": "Хорошо",
}
RELABEL_INI = {
    0: (TEXT_INI["SelectLanguageCN"], TEXT_INI["PleaseSelectLanguageCN"], TEXT_INI["OK"],
        TEXT_INI["CancelCN"]),
    1: ("Select Language", "Please Select Language", "OK", "Cancel"),
    2: (TEXT_INI["SelectLanguage"], TEXT_INI["PleaseSelectLanguage"], "OK", TEXT_INI["Cancel"]),
}


def write_text_ini(folder, values):
    """Text.ini as UTF-16LE with byte-order mark, section [Text]."""
    lines = ["[Text]"] + [f"{k}={v}" for k, v in values.items()]
    data = b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le")
    (folder / "Text.ini").write_bytes(data)
    return data


def member(members, name):
    """A payload member by name, compared as the installer compares them."""
    found = [data for key, data in members.items() if key.lower() == name.lower()]
    return found[0] if found else None


def last_line(utf16_text_file):
    if utf16_text_file[:2] != b"\xff\xfe":
        raise AssertionError("text file without the UTF-16LE byte-order mark")
    return utf16_text_file[2:].decode("utf-16-le").split("\r\n")[-1]


class InstallerCase(E2ECase):
    needs_installer = True

    # --- running the installer
    @contextlib.contextmanager
    def installer(self, locale):
        """Starts the installer under `locale` and yields (process, dialog
        handle) once its first window is visible. Whatever happens inside, the
        installer is not running any more afterwards."""
        wait_until(lambda: not self.drv.windows(exe=INSTALLER_EXE), ACTION_TIMEOUT,
                   what="windows of an earlier installer run to go")
        proc = self.start_installer(locale)
        try:
            try:
                win = self.drv.find_one(timeout=START_TIMEOUT, exe=INSTALLER_EXE, visible=True)
            except DriverError:
                code = proc.poll()
                self.fail(f"no installer window under {locale}"
                          + (f"; the installer ended with {code}" if code is not None else ""))
            yield proc, win["hwnd"]
        finally:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait(timeout=ACTION_TIMEOUT)

    def labels_of(self, hwnd):
        window = self.drv.dump(hwnd)
        c = window["controls"]

        def text(control_id):
            return c[control_id]["text"] if control_id in c else None

        combo = c.get(LIST, {})
        return labels(window["text"], text(PROMPT), text(OK), text(CANCEL), combo.get("items"),
                      combo.get("cursel"))

    def assert_labels(self, hwnd, expected, timeout=LABEL_TIMEOUT):
        """Waits until the dialog shows `expected`; fails with the difference."""
        seen = {}

        def matches():
            seen["labels"] = self.labels_of(hwnd)
            return seen["labels"] == expected

        try:
            wait_until(matches, timeout, what="the dialog's labels")
        except TimeoutError:
            self.assertEqual(seen.get("labels"), expected)

    def wait_end(self, proc, dialog, timeout=ACTION_TIMEOUT):
        """After the dialog was answered: waits until it is gone and then until
        the installer ends or shows another window. Returns "exited" or the
        new window."""
        self.drv.wait_gone(dialog, timeout=timeout)

        def outcome():
            if proc.poll() is not None:
                return "exited"
            others = [w for w in self.drv.windows(exe=INSTALLER_EXE, visible=True)
                      if w["hwnd"] != dialog]
            return others[0] if others else None

        return wait_until(outcome, timeout, what="the installer to end or show its next window")

    def assert_ended(self, proc, dialog):
        result = self.wait_end(proc, dialog)
        if result != "exited":
            self.shot("unexpected-window", result["hwnd"])
            self.fail(f"the installer showed {result['text']!r} instead of ending")

    def assert_system_locale(self, locale, lcid):
        """The prefix really gives `locale` that LCID (checks the harness)."""
        proc = self.prefix.start(self.session.wdrive, locale, args=["info"],
                                 log=self.art.folder / "locale-info.log")
        self.prefix.wait_exit(proc, ACTION_TIMEOUT)
        info = (self.art.folder / "locale-info.log").read_text("utf-8", "replace")
        self.assertIn(f'"systemLcid":{lcid},', info, f"Wine did not give {locale} LCID {lcid}")

    # --- the Documents folder
    def assert_startup_files(self, present=STARTUP_FILES, extra=()):
        """Documents holds exactly `present` plus `extra`, and each present
        start-up file holds the bytes of the installer's payload member."""
        self.assertEqual(self.prefix.documents_files(), sorted([*present, *extra]))
        members = self.payload_members()
        for name in present:
            expected = member(members, name)
            self.assertIsNotNone(expected, f"the installer's payload has no {name}")
            self.assertEqual((self.prefix.documents / name).read_bytes(), expected,
                             f"{name} differs from the payload member")

    def payload_members(self):
        if not hasattr(self.session, "payload_members"):
            self.session.payload_members = installer_members(self.session.installer)
        return self.session.payload_members


class LanguageDialogByLocale(InstallerCase):
    def test_each_locale_shows_its_dialog_and_writes_startup_files(self):
        for lcid, locale in LOCALES.items():
            with self.subTest(locale=locale):
                self.prefix.clear_documents()
                self.assert_system_locale(locale, lcid)
                with self.installer(locale) as (proc, dlg):
                    self.shot(f"{lcid}-initial", dlg)
                    self.assertEqual(self.drv.dump(dlg)["class"], "#32770")
                    self.assert_labels(dlg, INITIAL[lcid])
                    self.assert_startup_files()
                    self.drv.click(dlg, CANCEL)
                    self.assert_ended(proc, dlg)


class InstallerPayloadTexts(unittest.TestCase):
    def test_payload_carries_the_expected_start_up_texts(self):
        # The expected captions are the default payload's: a payload change
        # must show up here rather than as a puzzling dialog failure.
        installer = harness.configured_installer()
        self.assertTrue(installer.is_file(), f"no installer at {installer}")
        members = installer_members(installer)
        wanted = {name.lower() for name in STARTUP_NAMES}
        self.assertEqual(sorted(n for n in members if n.lower() in wanted), sorted(STARTUP_FILES))
        self.assertEqual(last_line(member(members, "InstallConfig_cn.txt")), CN_CAPTION)
        self.assertEqual(last_line(member(members, "InstallConfig_en.txt")), EN_CAPTION)


class LanguageDialogAnswers(InstallerCase):
    def test_cancelling_ends_before_the_wizard_and_keeps_every_file(self):
        ways = [
            ("Cancel button", lambda dlg: self.drv.click(dlg, CANCEL)),
            ("Escape key", lambda dlg: self.drv.key(dlg, "escape")),
            ("close box", lambda dlg: self.drv.close_window(dlg, "sc")),
        ]
        for name, answer in ways:
            with self.subTest(way=name):
                self.prefix.clear_documents()
                with self.installer("en_US.UTF-8") as (proc, dlg):
                    answer(dlg)
                    self.assert_ended(proc, dlg)
                    self.assert_startup_files()

    def test_confirmed_choice_deletes_only_its_text_file(self):
        # (locale, entry to select or None to keep the preselection, how to
        # confirm, the text file that must be gone afterwards, the language
        # the wizard must then show)
        cases = [
            ("en_US.UTF-8", 0, "OK", "InstallConfig_cn.txt", "Chinese"),
            ("en_US.UTF-8", None, "OK", "InstallConfig_en.txt", "English"),
            ("en_US.UTF-8", 2, "OK", None, "Russian"),  # the payload has no Russian file
            ("zh_CN.UTF-8", None, "Enter", "InstallConfig_cn.txt", "Chinese"),
            ("zh_CN.UTF-8", 1, "OK", "InstallConfig_en.txt", "English"),
            ("ru_RU.UTF-8", 0, "Enter", "InstallConfig_cn.txt", "Chinese"),
            ("ru_RU.UTF-8", None, "OK", None, "Russian"),
        ]
        for locale, entry, confirm, deleted, language in cases:
            with self.subTest(locale=locale, entry=entry, confirm=confirm):
                self.prefix.clear_documents()
                with self.installer(locale) as (proc, dlg):
                    if entry is not None:
                        self.assertEqual(self.drv.select(dlg, LIST, index=entry), entry)
                        wait_until(lambda: self.labels_of(dlg)["selected"] == entry,
                                   ACTION_TIMEOUT, what="the selection")
                    if confirm == "OK":
                        self.drv.click(dlg, OK)
                    else:
                        self.drv.key(dlg, "enter")
                    outcome = self.wait_end(proc, dlg)
                    self.assertNotEqual(outcome, "exited",
                                        f"the installer ended instead of showing the wizard "
                                        f"(exit code {proc.returncode})")
                    self.shot(f"after-{locale}-{entry}", outcome["hwnd"])
                    self.assert_wizard_language(outcome["hwnd"], language)
                    self.assert_startup_files([f for f in STARTUP_FILES if f != deleted])

    def assert_wizard_language(self, hwnd, language):
        """The window is the wizard on its welcome page, with the caption and
        button labels of `language`."""
        expected = WIZARD_LANGUAGES[language]
        caption = expected["caption"] or dialog_caption(self.session.installer.read_bytes(), 102)
        labels_expected = {i: expected["labels"][i] for i in (wz.NEXT, wz.CANCEL)}

        def shown():
            window = self.drv.dump(hwnd)
            controls = wz.dialog_controls(window)
            return (window["class"], window["text"], wz.page_of(window),
                    {i: controls[i]["text"] for i in labels_expected if i in controls})

        want = ("#32770", caption, "welcome", labels_expected)
        try:
            wait_until(lambda: shown() == want, ACTION_TIMEOUT, what=f"the {language} wizard")
        except TimeoutError:
            self.assertEqual(shown(), want)


class LanguageDialogRelabelling(InstallerCase):
    def relabel(self, locale, lcid, steps, relabel_table, items=None):
        with self.installer(locale) as (proc, dlg):
            initial = INITIAL[lcid] if items is None else dict(INITIAL[lcid], items=items)
            self.shot(f"{lcid}-initial", dlg)
            for entry in steps:
                with self.subTest(locale=locale, select=entry):
                    self.drv.select(dlg, LIST, index=entry)
                    caption, prompt, ok, cancel = relabel_table[entry]
                    try:
                        self.assert_labels(dlg, labels(caption, prompt, ok, cancel,
                                                       initial["items"], entry))
                    finally:
                        self.shot(f"{lcid}-selected-{entry}", dlg)
            self.drv.click(dlg, CANCEL)
            self.assert_ended(proc, dlg)

    def test_relabelling_without_text_ini(self):
        self.relabel("zh_CN.UTF-8", 2052, [1, 0, 2, 0], RELABEL_DEFAULT)
        self.relabel("en_US.UTF-8", 1033, [0, 2, 1], RELABEL_DEFAULT)
        self.relabel("ru_RU.UTF-8", 1049, [0, 1, 2], RELABEL_DEFAULT)
        self.assertNotIn("Text.ini", self.prefix.documents_files())

    def test_relabelling_with_text_ini(self):
        original = write_text_ini(self.prefix.documents, TEXT_INI)
        mode1_items = [TEXT_INI["Chinese"], TEXT_INI["English"], TEXT_INI["Russian"]]

        # Mode 1 takes its first labels and its entries from Text.ini.
        with self.installer("ru_RU.UTF-8") as (proc, dlg):
            self.assert_labels(dlg, labels(TEXT_INI["SelectLanguage"],
                                           TEXT_INI["PleaseSelectLanguage"], "OK",
                                           TEXT_INI["Cancel"], mode1_items, 2))
            self.shot("1049-initial", dlg)
            self.drv.click(dlg, CANCEL)
            self.assert_ended(proc, dlg)

        self.relabel("ru_RU.UTF-8", 1049, [0, 1, 2], RELABEL_INI, items=mode1_items)
        self.relabel("zh_CN.UTF-8", 2052, [2, 0, 1], RELABEL_INI)
        self.relabel("en_US.UTF-8", 1033, [0, 2], RELABEL_INI)
        # The installer reads Text.ini and never writes it.
        self.assertEqual((self.prefix.documents / "Text.ini").read_bytes(), original)

    def test_text_ini_values_are_cut_to_255_characters(self):
        long_value = "".join(chr(0x410 + i % 32) for i in range(300))
        write_text_ini(self.prefix.documents, {"Russian": long_value, "Cancel": long_value[:255],
                                               "SelectLanguage": long_value[:254]})
        with self.installer("ru_RU.UTF-8") as (proc, dlg):
            self.assert_labels(dlg, labels(long_value[:254], "Please Select Language", "OK",
                                           long_value[:255],
                                           ["Chinese", "English", long_value[:255]], 2))
            self.drv.click(dlg, CANCEL)
            self.assert_ended(proc, dlg)


class StartupLogoRemoval(InstallerCase):
    def test_logo_left_in_documents_is_deleted_and_nothing_else(self):
        bmp = (b"BM" + (58).to_bytes(4, "little") + b"\0" * 4 + (54).to_bytes(4, "little")
               + (40).to_bytes(4, "little") + (1).to_bytes(4, "little") * 2
               + (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + b"\0" * 24 + b"\0" * 4)
        stale_text = b"\xff\xfe" + "stale".encode("utf-16-le")
        for logo_name in ("Logo.bmp", "LOGO.BMP"):
            with self.subTest(logo=logo_name):
                self.prefix.clear_documents()
                docs = self.prefix.documents
                (docs / logo_name).write_bytes(bmp)
                (docs / "keep-me.txt").write_bytes(b"not the installer's")
                (docs / "InstallConfig_en.txt").write_bytes(stale_text)
                with self.installer("en_US.UTF-8") as (proc, dlg):
                    # The stale text file was replaced by the payload's; the other
                    # file is untouched; the logo is gone.
                    self.assert_startup_files(extra=["keep-me.txt"])
                    self.assertEqual((docs / "keep-me.txt").read_bytes(), b"not the installer's")
                    self.drv.click(dlg, CANCEL)
                    self.assert_ended(proc, dlg)


if __name__ == "__main__":
    unittest.main()
