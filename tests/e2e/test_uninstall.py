"""The uninstaller under Wine: an installation made through the wizard is
removed again, and the prefix is compared with a snapshot taken before.

A snapshot holds what a user or another program could notice:
- the spooler's printers, drivers (both environments), ports and monitors,
  through its own enumeration calls (sysprobe.exe, built here);
- the registry, HKEY_LOCAL_MACHINE in the 64-bit and the 32-bit view and
  HKEY_CURRENT_USER (services are keys there), exported with reg.exe;
- every file and folder of drive C: with its size, without the install log
  and the start-up files the installer writes into Documents.

Where Wine's own components leave something that Windows would not, the
difference is allowed by name below (WINE_LEFTOVERS) with the reason; the
comparison fails on anything else.

Screenshots of the uninstaller's confirmation and result, in English and in
Chinese, land in each scenario's artefacts folder."""

import json
import os
import pathlib
import re
import subprocess

import harness
import wizard as wz
from harness import E2ECase, HarnessError, wait_until
from payload import installer_members

LOCALE = {"English": "en_US.UTF-8", "Chinese": "zh_CN.UTF-8"}
UNINSTALLER = "Uninstaller.exe"
SERVICE_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\TarnelPrinter Service"
RUN_ONCE_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce"
DRIVERS_X64 = "windows/system32/spool/drivers/x64"
SUPPORT_FILES = ["CHISMPL.DLL", "CHITRAD.DLL", "ENGLISH.DLL", "Image.dll"]
# The files start-up writes into Documents (the wizard removes some of them
# again, depending on the language).
STARTUP_FILES = {"installconfig_cn.txt", "installconfig_en.txt", "installconfig_tn.txt",
                 "printername.txt", "text.ini", "logo.bmp"}
SNAPSHOT_PREFIX = "e2e-snapshot-"
INSTALL_TIMEOUT = 90.0
UNINSTALL_TIMEOUT = 90.0

# Registry lines that Wine itself changes while programs run, whatever they
# do: they are left out of both snapshots.
VOLATILE_REGISTRY = [
    # Wine keeps the time of its last start-up and device enumeration here.
    re.compile(r"^\[HKEY_LOCAL_MACHINE\\(Software\\Wow6432Node\\)?Microsoft\\Windows NT\\CurrentVersion\\Perflib"),
    re.compile(r"^\[HKEY_LOCAL_MACHINE\\Hardware\\"),
    # The service manager counts its starts.
    re.compile(r"^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ServiceCurrent\]"),
    # user32 keeps system parameters changed at run time here.
    re.compile(r"^\[HKEY_CURRENT_USER\\Software\\Wine\\Temporary System Parameters"),
]


# ------------------------------------------------------------------ sysprobe

def build_sysprobe():
    """sysprobe.exe next to the driver, rebuilt when its source is newer."""
    src = harness.HERE / "driver" / "sysprobe.cpp"
    out = harness.BIN / "sysprobe.exe"
    harness.BIN.mkdir(parents=True, exist_ok=True)
    if not out.exists() or src.stat().st_mtime > out.stat().st_mtime:
        cxx = harness._find_tool("x86_64-w64-mingw32-g++-win32", "x86_64-w64-mingw32-g++")
        harness._run([cxx, "-std=c++17", "-O2", "-Wall", "-Wextra", "-Werror", "-municode", "-static",
                      "-static-libgcc", "-static-libstdc++", "-DUNICODE", "-D_UNICODE",
                      "-DWIN32_LEAN_AND_MEAN", "-o", str(out), str(src), "-lwinspool"], timeout=300)
    return out


def run_in_prefix(prefix, program, args, timeout=60.0, locale="en_US.UTF-8"):
    """Runs a Windows program to its end; (exit code, stdout text)."""
    proc = subprocess.run([prefix.session.wine.loader, str(program), *map(str, args)],
                          env=prefix.env(locale), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=timeout, cwd=str(prefix.path / "drive_c"))
    return proc.returncode, proc.stdout.decode("utf-8", "replace")


def probe(prefix, *args):
    code, out = run_in_prefix(prefix, build_sysprobe(), args)
    lines = [line for line in out.splitlines() if line.startswith("{")]
    if not lines:
        raise HarnessError(f"sysprobe {' '.join(args)} answered nothing ({code})")
    answer = json.loads(lines[-1])
    if not answer.get("ok"):
        raise AssertionError(f"sysprobe {' '.join(args)}: {answer.get('error')}")
    return answer


def run_program(prefix, program, args=(), timeout=UNINSTALL_TIMEOUT):
    """Runs a Windows program to its end through sysprobe, which reports the
    whole exit code (3010 does not fit the loader's 8-bit exit status)."""
    code, out = run_in_prefix(prefix, build_sysprobe(), ["run", program, *args], timeout=timeout)
    lines = [line for line in out.splitlines() if line.startswith("{")]
    if not lines or not json.loads(lines[-1]).get("ok"):
        raise HarnessError(f"could not run {program} ({code}): {out[-500:]}")
    return json.loads(lines[-1])["exit"]


# ------------------------------------------------------------------ snapshots

def registry_lines(prefix, hive, view):
    """The exported hive as a sorted list of "[key] value" lines."""
    name = f"{SNAPSHOT_PREFIX}{hive}-{view or 'default'}.reg"
    args = ["export", hive, f"C:\\{name}", "/y"] + ([f"/reg:{view}"] if view else [])
    code, _ = run_in_prefix(prefix, "reg", args, timeout=120)
    host = prefix.path / "drive_c" / name
    if code != 0 or not host.exists():
        raise HarnessError(f"reg export {hive} /reg:{view} failed ({code})")
    raw = host.read_bytes()
    host.unlink()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    lines, key, pending = [], "", ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\"):
            pending = line[:-1]
            continue
        if line.startswith("["):
            key = line
            lines.append(key)
        elif line and key and not line.startswith(("Windows Registry", "REGEDIT")):
            lines.append(f"{key} {line}")
    return sorted(l for l in lines if not any(p.search(l) for p in VOLATILE_REGISTRY))


def file_tree(prefix):
    """Every path below drive_c (lower case, '/' separated) with its size or
    "<dir>" / "<link>", without the install log, the snapshot exports and the
    start-up files in Documents."""
    root = prefix.path / "drive_c"
    docs = prefix.documents.relative_to(root).as_posix().lower()
    out = []
    for folder, dirs, files in os.walk(root):
        rel_folder = pathlib.Path(folder).relative_to(root).as_posix()
        for d in sorted(dirs):
            path = (pathlib.Path(folder) / d)
            rel = f"{rel_folder}/{d}".lstrip("./").lower()
            out.append(f"{rel} <{'link' if path.is_symlink() else 'dir'}>")
        dirs[:] = [d for d in dirs if not (pathlib.Path(folder) / d).is_symlink()]
        for f in sorted(files):
            rel = f"{rel_folder}/{f}".lstrip("./").lower()
            if rel == "installprinter.txt" or rel.startswith(SNAPSHOT_PREFIX):
                continue
            if rel.rsplit("/", 1)[0] == docs and f.lower() in STARTUP_FILES:
                continue
            path = pathlib.Path(folder) / f
            out.append(f"{rel} {'<link>' if path.is_symlink() else path.lstat().st_size}")
    return sorted(out)


def spooler_state(prefix):
    answer = probe(prefix, "spooler")
    out = [f"printer {p['name']} | {p['driver']} | {p['port']}" for p in answer["printers"]]
    out += [f"driver {d['environment']} | {d['name']} | {d['driver']} | {d['data']} | {d['config']}"
            for d in answer["drivers"]]
    out += [f"port {p['name']} | {p['monitor']}" for p in answer["ports"]]
    out += [f"monitor {m['name']} | {m['environment']} | {m['dll']}" for m in answer["monitors"]]
    return sorted(out)


def snapshot(prefix):
    return {
        "spooler": spooler_state(prefix),
        "HKLM 64-bit": registry_lines(prefix, "HKLM", "64"),
        "HKLM 32-bit": registry_lines(prefix, "HKLM", "32"),
        "HKCU": registry_lines(prefix, "HKCU", None),
        "files": file_tree(prefix),
    }


def differences(before, after, allowed=()):
    """Lines only in one snapshot, as "- part: line" / "+ part: line", without
    those an `allowed` pattern matches."""
    out = []
    for part in before:
        b, a = set(before[part]), set(after[part])
        for sign, lines in (("-", b - a), ("+", a - b)):
            for line in sorted(lines):
                entry = f"{sign} {part}: {line}"
                if not any(re.search(p, entry) for p in allowed):
                    out.append(entry)
    return out


# Left by Wine's own components, never by the uninstaller, each with the
# reason. Matched against the lines of `differences`.
WINE_LEFTOVERS = [
    # AddPrinterW creates the user's Devices, PrinterPorts and Windows keys
    # when they are missing, as in a fresh prefix; DeletePrinter removes the
    # printer's values from them but keeps the keys. (On Windows the keys
    # always exist.) Only the bare keys may remain, never a value.
    r"^\+ HKCU: \[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    r"(Devices|PrinterPorts|Windows)\]$",
    # The USB printer fixture's device instance: Wine's device setup writes
    # its ClassGUID back in upper case when the installer lists USB printers.
    r"^[-+] HKLM (64|32)-bit: \[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\USB\\[^]]*\] "
    r'"ClassGUID"="\{(?i:36fc9e60-c465-11cf-8056-444553540000)\}"$',
]


# ------------------------------------------------------------------ installing

def first_model(session):
    members = {k.lower(): v for k, v in installer_members(session.installer).items()}
    return wz.read_models(members["printername.txt"])[0]


def install(case, language="English", locale=None, shot_prefix="install"):
    """Walks the wizard with the first model on the USB printer fixture and
    the default folder to a successful installation; returns the printer
    name the installation recorded."""
    prefix = case.prefix
    model_name, _ = first_model(case.session)
    printers_before = {p["name"] for p in probe(prefix, "spooler")["printers"]}
    wizard = wz.start_wizard(prefix, case.session.installer, locale or LOCALE[language], language,
                             log=case.art.folder / "installer.log")
    wizard.click(wz.NEXT)
    wizard.wait_page("folder")
    wizard.click(wz.NEXT)
    wizard.wait_page("printer")
    controls = wizard.controls()
    case.assertEqual(controls[wz.PORT]["text"], "USB")
    wizard.click(wz.NEXT)
    wizard.wait_page("final", timeout=INSTALL_TIMEOUT)
    case.shot(f"{shot_prefix}-final", wizard.hwnd)
    wizard.click(wz.CANCEL)
    wait_until(wizard.ended, 30, what="the installer to end")
    added = {p["name"] for p in probe(prefix, "spooler")["printers"]} - printers_before
    case.assertEqual(len(added), 1, f"printers added by the installation: {added}")
    printer = added.pop()
    case.assertTrue(printer.startswith(model_name), printer)
    return printer


def product_value(drv, printer, name):
    return drv.reg_value(rf"HKLM\Software\{printer}", name)["string"]


def windows_path_to_host(prefix, path):
    """C:\\a\\b -> <prefix>/drive_c/a/b (case as Wine stores it)."""
    assert path[:3].upper() == "C:\\", path
    host = prefix.path / "drive_c"
    for part in path[3:].split("\\"):
        match = [p for p in host.iterdir() if p.name.lower() == part.lower()] if host.is_dir() else []
        host = match[0] if match else host / part
    return host


class Uninstalling(E2ECase):
    needs_installer = True
    time_limit = 420.0

    def setUp(self):
        super().setUp()
        # A connected USB printer of the first model, part of the machine
        # before any snapshot: the printer page then passes with its port.
        keys = wz.usb_printer_fixture(first_model(self.session)[1])
        # Saving the shortcut would otherwise run winemenubuilder, which
        # writes menu entries into the host's home folder and records them
        # under HKCU\Software\Wine\MenuFiles, and removes neither when the
        # shortcut goes.
        keys[r"HKEY_CURRENT_USER\Software\Wine\DllOverrides"] = {"winemenubuilder.exe": ""}
        self.prefix.import_registry(keys)

    def start_uninstaller(self, program, args=(), locale="en_US.UTF-8", log="uninstaller.log"):
        return self.prefix.start(program, locale, args=args, log=self.art.folder / log)

    def uninstaller_box(self, proc, timeout=30.0):
        """The uninstaller's message box that shows now (its text and buttons)."""
        def box():
            for w in self.drv.windows(exe=UNINSTALLER, visible=True):
                return w
            if proc is not None and proc.poll() is not None:
                raise AssertionError(f"the uninstaller ended ({proc.returncode}) without a message")
            return None
        window = wait_until(box, timeout, what="a message box of the uninstaller")
        return self.drv.msgbox(window["hwnd"])

    def answer(self, box, button, shot):
        self.shot(shot, box["hwnd"])
        self.drv.press(box["hwnd"], button)
        self.drv.wait_gone(box["hwnd"], timeout=30)

    def run_interactive(self, program, language, confirm=True):
        """Starts the uninstaller, checks and answers its confirmation and
        its result; returns (exit code, confirmation text, result text)."""
        locale = LOCALE[language]
        proc = self.start_uninstaller(program, locale=locale)
        question = self.uninstaller_box(proc)
        self.assertEqual(len(question["buttons"]), 2, question)
        self.assertTrue(question["icon"])
        self.answer(question, 6 if confirm else 7, f"{'confirm' if confirm else 'cancel'}-{language.lower()}")
        result = None
        if confirm:
            result = self.uninstaller_box(proc, timeout=UNINSTALL_TIMEOUT)
            self.answer(result, 1, f"result-{language.lower()}")
        code = self.prefix.wait_exit(proc, 60)
        return code, question, result

    def wait_program_gone(self, folder, timeout=30.0):
        """The finishing run removes the program and its folder after the
        program has ended."""
        wait_until(lambda: not folder.exists(), timeout, what=f"{folder} to be removed")

    def assert_same(self, before, after, allowed=()):
        diff = differences(before, after, list(WINE_LEFTOVERS) + list(allowed))
        self.assertEqual(diff, [], "the prefix differs from its state before the installation:\n"
                         + "\n".join(diff[:80]))

    def recorded(self, printer):
        """Install folder (host path) and the uninstall entry's command."""
        folder = product_value(self.drv, printer, "Program Directory")
        self.assertTrue(folder, f"no product key for {printer!r}")
        entry = self.drv.reg_value(rf"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{printer}",
                                   "UninstallString")
        return windows_path_to_host(self.prefix, folder), entry["string"]


class UninstallThroughEntry(Uninstalling):
    def test_entry_command_leaves_the_prefix_as_it_was(self):
        before = snapshot(self.prefix)
        printer = install(self)
        folder, command = self.recorded(printer)
        self.assertTrue((folder / UNINSTALLER).is_file())
        # The service runs the installation's program.
        image = self.drv.reg_value(SERVICE_KEY.replace("HKEY_LOCAL_MACHINE", "HKLM"), "ImagePath")["string"]
        self.assertEqual(image.lower(), f'"{folder_windows(self.prefix, folder)}\\vorskprinterservice.exe"'.lower())

        # As the system's list of programs does: the command as it stands,
        # no argument. Cancelling first changes nothing.
        code, question, _ = self.run_interactive(command, "English", confirm=False)
        self.assertEqual(code, 1)
        self.assertEqual(question["message"], f'Remove the printer "{printer}", its driver and every file '
                                              "its installation added?")
        self.assertTrue((folder / UNINSTALLER).is_file())

        code, question, result = self.run_interactive(command, "English")
        self.assertEqual(result["message"], f'The printer "{printer}" and its driver have been removed.')
        self.assertEqual(code, 0)
        self.wait_program_gone(folder)
        self.assert_same(before, snapshot(self.prefix))
        log = (self.prefix.path / "drive_c" / "InstallPrinter.txt").read_bytes().decode("latin-1")
        self.assertIn(f"DeletePrinter = 0 PrinterName={printer}\r\n", log)
        self.assertIn("**** Uninstall Result=0\r\n", log)


def folder_windows(prefix, host):
    return "C:\\" + str(host.relative_to(prefix.path / "drive_c")).replace("/", "\\")


class UninstallThroughShortcut(Uninstalling):
    def test_start_menu_shortcut_in_chinese_leaves_the_prefix_as_it_was(self):
        before = snapshot(self.prefix)
        printer = install(self, "Chinese")
        folder, _ = self.recorded(printer)
        self.assertEqual(product_value(self.drv, printer, "Language"), "Chinese")
        link = product_value(self.drv, printer, "Uninstaller")
        self.assertTrue(windows_path_to_host(self.prefix, link).is_file(), link)

        # The shell opens the link as a double click would. Wine's start
        # returns before the program ends, so the windows tell how it goes.
        self.prefix.start("start", LOCALE["Chinese"], args=[link], log=self.art.folder / "uninstaller.log")
        question = self.uninstaller_box(None)
        self.assertEqual(question["message"], f"是否删除打印机“{printer}”、它的驱动程序以及安装的所有文件？")
        self.answer(question, 6, "confirm-chinese")
        result = self.uninstaller_box(None, timeout=UNINSTALL_TIMEOUT)
        self.assertEqual(result["message"], f"打印机“{printer}”及其驱动程序已全部删除。")
        self.answer(result, 1, "result-chinese")
        self.wait_program_gone(folder)
        self.assert_same(before, snapshot(self.prefix))


class UninstallOneOfTwoPrinters(Uninstalling):
    def complete(self, printer, folder):
        """The printer, its driver with its files, the support files and a
        service whose program exists."""
        spooler = probe(self.prefix, "spooler")
        self.assertIn(printer, [p["name"] for p in spooler["printers"]])
        self.assertIn(f"{printer} Driver", [d["name"] for d in spooler["drivers"]])
        drivers = self.prefix.path / "drive_c" / DRIVERS_X64
        for name in [f"{printer}Drv.dll", f"{printer}UI.dll", f"{printer}GPC.pcd"]:
            self.assertTrue((drivers / name).is_file(), name)
        for name in SUPPORT_FILES:
            self.assertTrue((drivers / "3" / name).is_file(), name)
        image = self.drv.reg_value(SERVICE_KEY.replace("HKEY_LOCAL_MACHINE", "HKLM"), "ImagePath")["string"]
        program = windows_path_to_host(self.prefix, image.strip('"'))
        self.assertTrue(program.is_file(), image)
        self.assertEqual(program.parent, folder)

    def test_the_other_printer_stays_complete_until_it_goes_too(self):
        before = snapshot(self.prefix)
        first = install(self, shot_prefix="install-first")
        second = install(self, shot_prefix="install-second")
        self.assertNotEqual(first, second)
        first_folder, first_command = self.recorded(first)
        second_folder, second_command = self.recorded(second)

        # The first installation's folder holds the service's program: it
        # moves to the second installation's copy.
        self.assertEqual(run_program(self.prefix, first_command, ["/S"]), 0)
        self.wait_program_gone(first_folder)
        self.complete(second, second_folder)
        self.assertNotIn(first, [p["name"] for p in probe(self.prefix, "spooler")["printers"]])

        self.assertEqual(run_program(self.prefix, second_command, ["/S"]), 0)
        self.wait_program_gone(second_folder)
        self.assert_same(before, snapshot(self.prefix))


class UninstallHalfRemoved(Uninstalling):
    def test_printer_deleted_by_hand_first(self):
        before = snapshot(self.prefix)
        printer = install(self)
        folder, command = self.recorded(printer)
        probe(self.prefix, "deleteprinter", printer)
        self.assertEqual(run_program(self.prefix, command, ["/S", "/LOG=C:\\admin.log"]), 0)
        self.wait_program_gone(folder)
        log = (self.prefix.path / "drive_c" / "admin.log").read_bytes().decode("latin-1")
        self.assertNotIn("DeletePrinter =", log)
        self.assertIn(f"DeletePrinterDriver = 0 DriverName={printer} Driver\r\n", log)
        (self.prefix.path / "drive_c" / "admin.log").unlink()
        self.assert_same(before, snapshot(self.prefix))

    def test_run_twice(self):
        printer = install(self)
        folder, command = self.recorded(printer)
        kept = {name: (folder / name).read_bytes() for name in (UNINSTALLER, "Uninstall.ini")}
        self.assertEqual(run_program(self.prefix, command, ["/S"]), 0)
        self.wait_program_gone(folder)

        # The same program and settings put back: nothing of the installation
        # is left, so the second run finds nothing, says so and touches
        # nothing, not even its own folder.
        folder.mkdir(parents=True)
        for name, data in kept.items():
            (folder / name).write_bytes(data)
        state = snapshot(self.prefix)
        self.assertEqual(run_program(self.prefix, command, ["/S"]), 2)
        proc = self.start_uninstaller(command)
        box = self.uninstaller_box(proc)
        self.assertIn("Nothing was removed", box["message"])
        self.answer(box, 1, "second-run")
        self.assertEqual(self.prefix.wait_exit(proc, 30), 2)
        self.assert_same(state, snapshot(self.prefix))


class UninstallFileInUse(Uninstalling):
    def test_restart_completes_the_removal(self):
        before = snapshot(self.prefix)
        printer = install(self)
        folder, command = self.recorded(printer)
        held = f"C:\\windows\\system32\\spool\\drivers\\x64\\3\\{SUPPORT_FILES[0]}"
        hold_log = self.art.folder / "hold.log"
        holder = self.prefix.start(build_sysprobe(), args=["hold", held, "600"], log=hold_log)
        wait_until(lambda: hold_log.exists() and '"ok":true' in hold_log.read_text("utf-8", "replace"), 30,
                   what="the support library to be held open")

        self.assertEqual(run_program(self.prefix, command, ["/S"]), 3010)
        # The records stay for the run after the restart, which the run-once
        # value starts.
        run_once = self.drv.reg_value(RUN_ONCE_KEY, "OzrUninstaller")
        self.assertEqual(run_once["string"].lower(), f'"{command}" /s'.lower())
        self.assertTrue((folder / UNINSTALLER).is_file())
        self.assertTrue(product_value(self.drv, printer, "Program Directory"))
        self.assertNotIn(printer, [p["name"] for p in probe(self.prefix, "spooler")["printers"]])

        # Wine's restart: pending deletions first, then the run-once commands.
        holder.kill()
        holder.wait(timeout=30)
        harness._run([self.session.wine.loader, "wineboot", "-r"], env=self.prefix.env(), timeout=180)
        self.wait_program_gone(folder, timeout=90)
        self.assert_same(before, snapshot(self.prefix))


class UninstallerWithoutInstallation(Uninstalling):
    """The shipped uninstaller where no installation is: it says so, in the
    user's language, answers 2 in unattended mode and changes nothing."""

    def test_nothing_found_changes_nothing(self):
        program = self.prefix.path / "drive_c" / "Program Files" / "Labels" / "Label P1" / UNINSTALLER
        program.parent.mkdir(parents=True)
        program.write_bytes(installer_members(self.session.installer)[UNINSTALLER])
        (program.parent / "Uninstall.ini").write_bytes(b"[Print Settings]\r\nPrinterName=Label P1\r\n")
        windows_program = r"C:\Program Files\Labels\Label P1\Uninstaller.exe"
        before = snapshot(self.prefix)

        self.assertEqual(run_program(self.prefix, windows_program, ["/S", "/LOG=C:\\uninstall.log"]), 2)
        log = (self.prefix.path / "drive_c" / "uninstall.log").read_bytes()
        self.assertEqual(log, b"**** Uninstall NotFound=NothingLeft Folder=C:\\Program Files\\Labels\\Label P1 "
                              b"PrinterName=Label P1\r\n")
        (self.prefix.path / "drive_c" / "uninstall.log").unlink()

        for language, expected in (("English", "No installation of the printer driver belongs to this "
                                               "uninstaller's folder. Nothing was removed."),
                                   ("Chinese", "在此卸载程序所在的文件夹中找不到打印机驱动程序的安装。未删除任何内容。")):
            with self.subTest(language=language):
                proc = self.start_uninstaller(windows_program, locale=LOCALE[language])
                box = self.uninstaller_box(proc)
                self.assertEqual(box["message"], expected)
                self.assertEqual([b["id"] for b in box["buttons"]], [1])
                self.answer(box, 1, f"not-found-{language.lower()}")
                self.assertEqual(self.prefix.wait_exit(proc, 30), 2)

        self.assertTrue(program.is_file())
        self.assert_same(before, snapshot(self.prefix))

    def test_unknown_arguments_are_refused(self):
        program = self.prefix.path / "drive_c" / UNINSTALLER
        program.write_bytes(installer_members(self.session.installer)[UNINSTALLER])
        for args in (["/S", "/X"], ["/S", "/LOG="], ["/S", "/S"], ["/S", "/FINISH=1"]):
            with self.subTest(args=args):
                self.assertEqual(run_program(self.prefix, r"C:\Uninstaller.exe", args), 87)
        proc = self.start_uninstaller(r"C:\Uninstaller.exe", args=["/quiet"])
        box = self.uninstaller_box(proc)
        self.assertTrue(box["message"].startswith("Unknown argument: /quiet"), box["message"])
        self.answer(box, 1, "unknown-argument")
        self.assertEqual(self.prefix.wait_exit(proc, 30), 87)
