"""The fault matrix under Wine: the installer meets a read-only or locked
install folder, a payload without a driver member, a spooler that refuses the
driver or the printer, a documents folder it cannot write, an installation
already in place, a second installer and a user who closes it anywhere.

Each scenario checks its outcome from outside (the wizard's windows, the
spooler, the registry, the install log) and that nothing was lost: the
prefix's files and the spooler's registry keys before the run are all still
there afterwards, and the user's own files are byte for byte what they were.
A read-only folder is made with `chattr +i` (the tests run as root, for whom
permission bits mean nothing); a locked file is held open without sharing by
`faultaid.exe` (driver/faultaid.cpp), which also takes every access to a
registry key away for the spooler refusals."""

import hashlib
import os
import pathlib
import re
import signal
import subprocess
import tempfile
import time
import unittest
import zlib

import harness
import wizard as wz
from harness import INSTALLER_EXE, E2ECase, wait_until
from payload import parse_container, read_resource, replace_resource

LOCALE = {"English": "en_US.UTF-8", "Chinese": "zh_CN.UTF-8", "Russian": "ru_RU.UTF-8",
          "Japanese": "ja_JP.UTF-8"}
ENGLISH_TITLE = "Label Printer Driver V 1.0"  # the English texts' ProductTitle
FIXTURE_PORTS = ["COM1:", "LPT1:", "LPT2:"]
INSTALL_LOG = "InstallPrinter.txt"
PRINT_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Print"
PRINTERS_SHORT = r"HKLM\System\CurrentControlSet\Control\Print\Printers"
DRIVERS_SHORT = (r"HKLM\System\CurrentControlSet\Control\Print\Environments\Windows x64"
                 r"\Drivers\Version-3")
SERVICE_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\TarnelPrinter Service"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PACKER = harness.ROOT / "build" / "native" / "tools" / "packer" / "packer"
RUN_TIMEOUT = 60.0  # an installation from Next on the printer page to the final page
FINAL_LOG_LINE = re.compile(rb"AddPrinter hPrinter = [0-9a-f]+\r\n$")

# Files that a run creates anew each time (start-up writes the text files
# again and deletes the chosen one after reading it).
RECREATED = re.compile(r"(?i)^users/[^/]+/Documents/InstallConfig_(cn|en|rs)\.txt$")
# Wine's own scratch folders.
SCRATCH = re.compile(r"(?i)^(windows/temp|users/[^/]+/(AppData/Local/)?Temp)(/|$)")


# ------------------------------------------------------------------ helpers

def faultaid_program():
    """driver/faultaid.cpp built into the helpers' folder when stale."""
    source = harness.HERE / "driver" / "faultaid.cpp"
    out = harness.BIN / "faultaid.exe"
    if not out.exists() or source.stat().st_mtime > out.stat().st_mtime:
        harness.BIN.mkdir(parents=True, exist_ok=True)
        cxx = harness._find_tool("x86_64-w64-mingw32-g++-win32", "x86_64-w64-mingw32-g++")
        harness._run([cxx, "-std=c++17", "-O2", "-Wall", "-Wextra", "-Werror", "-municode",
                      "-static", "-static-libgcc", "-static-libstdc++", "-DUNICODE", "-D_UNICODE",
                      "-DWIN32_LEAN_AND_MEAN", "-o", str(out), str(source), "-ladvapi32"],
                     timeout=300)
    return out


def snapshot(root):
    """{path relative to root (posix): sha256} of every regular file below
    root, Wine's scratch folders left out."""
    root = pathlib.Path(root)
    files = {}
    for folder, dirs, names in os.walk(root):
        rel_folder = pathlib.Path(folder).relative_to(root).as_posix()
        if SCRATCH.match(rel_folder):
            dirs[:] = []
            continue
        for name in names:
            path = pathlib.Path(folder, name)
            if path.is_symlink() or not path.is_file():
                continue
            rel = path.relative_to(root).as_posix()
            files[rel] = hashlib.sha256(path.read_bytes()).hexdigest()
    return files


def parse_registry_export(text):
    """{key path (lower case): sorted value lines} of a regedit export."""
    keys, current = {}, None
    pending = ""
    for raw in text.splitlines():
        line = pending + raw
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1].strip()
            continue
        pending = ""
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1].lower()
            keys[current] = []
        elif current is not None and line.strip():
            keys[current].append(line.strip())
    return {k: sorted(v) for k, v in keys.items()}


def model_members(exe_bytes):
    blob = read_resource(exe_bytes, "INSTALL", 142)
    if blob is None:
        raise AssertionError("the installer carries no payload resource")
    return parse_container(blob)


def installer_without(installer, dropped, folder):
    """A copy of the installer (same file name, in `folder`) whose payload
    is the packer's container of every member but `dropped`, in the same
    order, written over the payload resource; and its member count."""
    if not PACKER.is_file():
        raise AssertionError(f"the packer is missing: {PACKER} (build the native preset)")
    exe = pathlib.Path(installer).read_bytes()
    members = model_members(exe)
    names = [name for name, _ in members]
    if dropped not in names:
        raise AssertionError(f"the payload has no member {dropped}: {names}")
    folder = pathlib.Path(folder)
    files = folder / "members"
    files.mkdir(parents=True, exist_ok=True)
    args = []
    for number, (name, data) in enumerate(members):
        if name == dropped:
            continue
        path = files / f"{number:02d}"
        path.write_bytes(zlib.decompress(data))
        args.append(f"{name}={path}")
    container = folder / "container.bin"
    harness._run([str(PACKER), "--out", str(container), *args], timeout=60)
    blob = container.read_bytes()
    kept = [name for name, _ in parse_container(blob)]
    if kept != [n for n in names if n != dropped]:
        raise AssertionError(f"the packer's container holds {kept}")
    out = folder / INSTALLER_EXE
    out.write_bytes(replace_resource(exe, "INSTALL", 142, blob))
    return out, len(kept)


# ------------------------------------------------------------------ the scenarios' base

class FaultCase(E2ECase):
    needs_installer = True
    time_limit = 180.0

    def setUp(self):
        super().setUp()
        self.drive_c = self.prefix.path / "drive_c"
        self._runs = []
        self._immutable = []
        self._holders = []
        self.addCleanup(self._keep_install_log)
        self.addCleanup(self._stop_runs)
        self.addCleanup(self._release)

    def _keep_install_log(self):
        log = self.drive_c / INSTALL_LOG
        if log.is_file():
            (self.art.folder / INSTALL_LOG).write_bytes(log.read_bytes())

    # --- faults
    def make_immutable(self, *paths):
        """Nothing may be created, deleted, renamed or written in these
        files and folders, whoever asks (chattr +i). Undone at the end."""
        self._immutable.extend(paths)
        proc = subprocess.run(["chattr", "+i", *map(str, paths)], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        if proc.returncode != 0:
            raise AssertionError("chattr +i failed; the scenario needs a file system and "
                                 "rights that make a folder read-only for root: "
                                 + proc.stdout.decode("utf-8", "replace"))

    def release_immutable(self):
        if self._immutable:
            subprocess.run(["chattr", "-i", *map(str, self._immutable)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self._immutable = []

    def faultaid(self, *args, timeout=60):
        proc = subprocess.run([self.session.wine.loader, str(faultaid_program()), *map(str, args)],
                              env=self.prefix.env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout,
                              cwd=str(self.drive_c))
        out = proc.stdout.decode("utf-8", "replace")
        if proc.returncode != 0:
            raise AssertionError(f"faultaid {' '.join(map(str, args))}: {out}")
        return out

    def lock_files(self, *windows_paths):
        """Holds the files open without sharing until release_locks()."""
        holder = subprocess.Popen([self.session.wine.loader, str(faultaid_program()), "lock",
                                   *windows_paths], env=self.prefix.env(), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                  cwd=str(self.drive_c), start_new_session=True)
        self._holders.append(holder)
        line = holder.stdout.readline().decode("utf-8", "replace").strip()
        if line != f"locked {len(windows_paths)}":
            raise AssertionError(f"faultaid could not lock {windows_paths}: {line!r}")
        return holder

    def release_locks(self):
        for holder in self._holders:
            if holder.poll() is None:
                holder.stdin.close()
                try:
                    holder.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    os.killpg(holder.pid, signal.SIGKILL)
                    holder.wait(timeout=15)
        self._holders = []

    def _release(self):
        self.release_locks()
        self.release_immutable()

    # --- runs
    def start(self, language="English", installer=None, locale=None, log_name="installer.log"):
        wizard = wz.start_wizard(self.prefix, installer or self.session.installer,
                                 locale or LOCALE[language], language,
                                 log=self.art.folder / log_name)
        self._runs.append(wizard.proc)
        return wizard

    def start_program(self, locale, log_name, installer=None):
        proc = self.prefix.start(installer or self.session.installer, locale,
                                 log=self.art.folder / log_name)
        self._runs.append(proc)
        return proc

    def _stop_runs(self):
        for proc in self._runs:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait(timeout=15)

    def next_to(self, wizard, page):
        wizard.click(wz.NEXT)
        wizard.wait_page(page)

    def to_printer_page(self, wizard, folder=None, port="LPT1"):
        self.next_to(wizard, "folder")
        if folder is not None:
            self.assertEqual(wizard.set_folder(folder), folder)
        self.next_to(wizard, "printer")
        wizard.select(wz.PORT, text=port)
        wait_until(lambda: wizard.controls()[wz.PORT]["text"] == port, wz.STEP_TIMEOUT,
                   what=f"the port {port}")

    def install(self, wizard, shot, folder=None, port="LPT1"):
        """Walks to the printer page, installs and waits for the final page."""
        self.to_printer_page(wizard, folder, port)
        wizard.click(wz.NEXT)
        wizard.wait_page("final", timeout=RUN_TIMEOUT)
        self.shot(shot, wizard.hwnd)

    def finish(self, wizard, how="button"):
        """Ends the wizard and waits for the program, which must end by
        itself with exit code 0 (a crash under Wine ends otherwise)."""
        if how == "button":
            wizard.click(wz.CANCEL)
        elif how == "escape":
            self.drv.key(wizard.hwnd, "escape")
        else:
            self.drv.close_window(wizard.hwnd, "sc")
        self.assertEqual(self.prefix.wait_exit(wizard.proc, wz.STEP_TIMEOUT), 0,
                         "the installer did not end normally")

    # --- what is seen from outside
    def host_path(self, windows_path):
        if not re.match(r"(?i)^c:\\", windows_path):
            raise ValueError(f"not a path on drive C: {windows_path}")
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    def model(self):
        if not hasattr(self.session, "fault_models"):
            members = {name.lower(): data for name, data in
                       model_members(self.session.installer.read_bytes())}
            self.session.fault_models = wz.read_models(zlib.decompress(members["printername.txt"]))
        return self.session.fault_models[0][0]

    def default_folder(self):
        return self.drv.info()["programFiles"] + "\\" + ENGLISH_TITLE

    def install_log(self):
        path = self.drive_c / INSTALL_LOG
        return path.read_bytes() if path.exists() else b""

    def printers(self):
        return {p["name"]: (p["port"], p["driver"]) for p in self.drv.printers()}

    def succeeded(self, name):
        """The outcome of the run that added (or tried to add) `name`:
        True when the spooler has the printer, the log ends with the added
        printer's handle and the uninstall entry is there; False when none
        of them is. Anything in between fails the scenario."""
        signs = {
            "printer": name in self.printers(),
            "log": bool(FINAL_LOG_LINE.search(self.install_log())),
            "uninstall entry": self.drv.reg_value(
                r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + name,
                "DisplayName").get("exists", False),
        }
        if len(set(signs.values())) != 1:
            raise AssertionError(f"the outcome for {name!r} is mixed: {signs}; log "
                                 f"{self.install_log()!r}")
        return signs["printer"]

    def export_registry(self, key):
        """{key: value lines} of a registry tree (empty when it is missing)."""
        out = self.drive_c / "e2e-export.reg"
        proc = subprocess.run([self.session.wine.loader, "regedit", "/E", "C:\\e2e-export.reg", key],
                              env=self.prefix.env(), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60, cwd=str(self.drive_c))
        if proc.returncode != 0 or not out.exists():
            return {}
        data = out.read_bytes()
        out.unlink()
        text = data[2:].decode("utf-16-le") if data[:2] == b"\xff\xfe" else data.decode("utf-8")
        return parse_registry_export(text)

    def registry_state(self):
        state = {}
        for key in (PRINT_KEY, SERVICE_KEY, UNINSTALL_KEY):
            state.update(self.export_registry(key))
        return state

    # --- nothing lost
    def assert_no_file_lost(self, before, after, context=""):
        lost = sorted(rel for rel in before if rel not in after and not RECREATED.match(rel))
        self.assertEqual(lost, [], f"files that were there before the run are gone {context}")

    def assert_unchanged(self, files, context=""):
        """files: {host path: bytes}: each still there, byte for byte."""
        for path, data in files.items():
            self.assertTrue(path.is_file(), f"{path} is gone {context}")
            self.assertEqual(path.read_bytes(), data, f"{path} changed {context}")

    def assert_registry_kept(self, before, after, keep_values=True):
        """Every key of `before` is still there, with the same values."""
        gone = sorted(k for k in before if k not in after)
        self.assertEqual(gone, [], "registry keys that were there before are gone")
        if keep_values:
            changed = sorted(k for k in before if after.get(k) != before[k])
            self.assertEqual(changed, [], "registry keys whose values changed: " + "; ".join(
                f"{k}: {before[k]} -> {after.get(k)}" for k in changed))

    def plant(self, files):
        for path, data in files.items():
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
        return files


# ------------------------------------------------------------------ install folder

class FaultInstallFolder(FaultCase):
    def test_read_only_install_folder_keeps_the_users_files(self):
        # The install folder exists, holding the user's own files (one of
        # them named like a payload member); folder and files are read-only.
        # Deployment writes nothing; the outcome is what the spooler answers
        # (under Wine, missing driver files do not stop it).
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        model = self.model()
        install = self.host_path(self.default_folder()) / model
        own = self.plant({install / "own.txt": b"mine", install / "ENGLISH.DLL": b"my english dll"})
        self.make_immutable(*own, install)
        before = snapshot(self.drive_c)
        wizard = self.start()
        self.install(wizard, "read-only-final")
        self.assertEqual(sorted(p.name for p in install.iterdir()), ["ENGLISH.DLL", "own.txt"])
        self.assertIn(b"**** Retrace Finish\r\n", self.install_log())
        self.succeeded(model)  # consistent either way
        self.finish(wizard)
        self.assert_unchanged(own)
        self.assert_no_file_lost(before, snapshot(self.drive_c))

    def test_locked_file_in_install_folder_is_neither_written_nor_deleted(self):
        # A file of the install folder, named like a payload member, is held
        # open without sharing by another program while the installation
        # runs; the lock ends before the wizard closes. Deployment cannot
        # write it, so the clean-up must not take it either.
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        model = self.model()
        folder = self.default_folder()
        install = self.host_path(folder) / model
        locked = install / "ENGLISH.DLL"
        own = self.plant({locked: b"the user's ENGLISH.DLL", install / "own.txt": b"mine"})
        self.lock_files(f"{folder}\\{model}\\ENGLISH.DLL")
        before = snapshot(self.drive_c)
        wizard = self.start()
        self.install(wizard, "locked-final")
        self.assertEqual(locked.read_bytes(), b"the user's ENGLISH.DLL")
        self.assertTrue(self.succeeded(model), "the installation failed")
        self.release_locks()
        self.finish(wizard)
        self.assert_unchanged(own)
        # The clean-up took the working files it did write.
        self.assertEqual(sorted(p.name for p in install.iterdir()),
                         ["ENGLISH.DLL", "Inf", "Uninstall.ini", "Uninstaller.exe",
                          "VorskPrinterService.exe", "own.txt"])
        self.assert_no_file_lost(before, snapshot(self.drive_c))


# ------------------------------------------------------------------ payload

class FaultPayload(FaultCase):
    """An installer whose payload lacks one of the driver's members, built
    here by the packer and put in place of the payload resource."""

    def run_without(self, member):
        """Installs with the variant; the deployment counts one member less
        and the log ends with the spooler's answer."""
        variant, count = installer_without(self.session.installer, member,
                                           pathlib.Path(tempfile.mkdtemp(dir=self.session.workdir)))
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        before = snapshot(self.drive_c)
        wizard = self.start(installer=variant)
        self.install(wizard, f"without-{member}-final")
        self.assertRegex(self.install_log(), b"^[*]{4} FileCount=%d\r\n[*]{4} Retrace Finish\r\n"
                         % count)
        outcome = self.succeeded(self.model())
        self.finish(wizard)
        self.assert_no_file_lost(before, snapshot(self.drive_c))
        return outcome

    # Wine's spooler neither looks for the driver's files nor needs the
    # configuration library to add the printer: it adds driver and printer
    # all the same, and the installation succeeds. (Windows refuses the
    # driver when a file is missing, and the failure page shows.)
    def test_payload_without_the_rendering_library(self):
        self.assertTrue(self.run_without("plotter.dll.x64"), self.install_log())
        self.assertFalse((self.driver_directory() / f"{self.model()}Drv.dll").exists())

    def test_payload_without_the_configuration_library(self):
        self.assertTrue(self.run_without("plotui.dll.x64"), self.install_log())
        self.assertFalse((self.driver_directory() / f"{self.model()}UI.dll").exists())

    def driver_directory(self):
        return self.drive_c / "windows" / "system32" / "spool" / "drivers" / "x64"


# ------------------------------------------------------------------ spooler

class FaultSpooler(FaultCase):
    """The spooler refuses the driver or the printer: a key it needs exists
    but nobody may open it. The installation ends on the failure page with
    the spooler's answer in the log; the printers already there keep
    everything."""

    def refuse(self, key, expected_line, shot):
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        self.prefix.import_registry(wz.printers_fixture(["Office Printer"]))
        self.faultaid("denykey", key)
        model = self.model()
        files_before, registry_before = snapshot(self.drive_c), self.registry_state()
        self.assertIn(f"{PRINT_KEY}\\Printers\\Office Printer".lower(), registry_before)
        printers_before = self.printers()
        wizard = self.start()
        self.install(wizard, shot)
        self.assertEqual(self.install_log(),
                         b"**** FileCount=23\r\n**** Retrace Finish\r\n" + expected_line)
        self.assertFalse(self.succeeded(model))
        self.assertEqual(self.printers(), printers_before)
        self.assertEqual(self.drv.control(wizard.hwnd, wz.CANCEL)["text"], "Finish")
        self.finish(wizard)
        self.assert_no_file_lost(files_before, snapshot(self.drive_c))
        self.assert_registry_kept(registry_before, self.registry_state())

    def test_spooler_refuses_the_driver(self):
        self.refuse(f"{DRIVERS_SHORT}\\{self.model()} Driver", b"AddPrinterDriver = 5\r\n",
                    "driver-refused")

    def test_spooler_refuses_the_printer(self):
        self.refuse(f"{PRINTERS_SHORT}\\{self.model()}", b"AddPrinter = 1801\r\n",
                    "printer-refused")


# ------------------------------------------------------------------ documents folder

class FaultDocumentsFolder(FaultCase):
    def test_documents_folder_not_writable(self):
        # Start-up cannot write its files: the language dialog and the
        # wizard still come, with the model list the folder already holds.
        # Without one the printer page offers no model; with the files of
        # an earlier run the installation goes through. The folder is the
        # same before and after.
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        docs = self.prefix.documents
        own = self.plant({docs / "mine.txt": b"mine", docs / "Logo.bmp": b"the user's logo"})
        self.make_immutable(docs, *own)
        wizard = self.start(log_name="installer-empty.log")
        self.next_to(wizard, "folder")
        self.next_to(wizard, "printer")
        self.assertEqual(wizard.controls()[wz.MODEL]["items"], ["Please select model"])
        wizard.click(wz.NEXT)
        box = wizard.wait_other_window(what="the no-model message")
        self.assertEqual(self.drv.msgbox(box["hwnd"])["message"], "Please Select a Printer Driver")
        self.shot("no-model", box["hwnd"])
        self.drv.press(box["hwnd"], 1)
        self.drv.wait_gone(box["hwnd"])
        self.finish(wizard)
        self.assertEqual(sorted(p.name for p in docs.iterdir()), ["Logo.bmp", "mine.txt"])
        self.assert_unchanged(own)

        # The files of an earlier run, all read-only with the folder.
        self.release_immutable()
        members = {name: data for name, data in model_members(self.session.installer.read_bytes())}
        earlier = {docs / name: zlib.decompress(members[name])
                   for name in ("PrinterName.txt", "InstallConfig_en.txt", "InstallConfig_cn.txt")}
        own.update(self.plant(earlier))
        self.make_immutable(docs, *own)
        before = snapshot(self.drive_c)
        wizard = self.start(log_name="installer-earlier.log")
        self.install(wizard, "earlier-files-final")
        self.assertTrue(self.succeeded(self.model()))
        self.finish(wizard)
        self.assert_unchanged(own)
        self.assertEqual(sorted(p.name for p in docs.iterdir()), sorted(p.name for p in own))
        self.assert_no_file_lost(before, snapshot(self.drive_c))


# ------------------------------------------------------------------ second installation

class FaultSecondInstallation(FaultCase):
    def test_same_model_again_leaves_the_first_installation_untouched(self):
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        model = self.model()
        folder = self.default_folder()
        wizard = self.start(log_name="installer-first.log")
        self.install(wizard, "first-final")
        self.assertTrue(self.succeeded(model))
        self.finish(wizard)
        files_before, registry_before = snapshot(self.drive_c), self.registry_state()
        self.assertIn(f"{PRINT_KEY}\\Printers\\{model}".lower(), registry_before)
        service = self.export_registry(SERVICE_KEY)
        self.assertTrue(service, "the first installation made no service")
        log_before = self.install_log()

        wizard = self.start(log_name="installer-second.log")
        self.install(wizard, "second-final", port="LPT2")
        second = f"{model} (copy 1)"
        self.assertTrue(self.succeeded(second))
        self.finish(wizard)
        printers = self.printers()
        self.assertEqual(printers[model], ("LPT1:", f"{model} Driver"))
        self.assertEqual(printers[second], ("LPT2:", f"{second} Driver"))
        self.assertTrue((self.host_path(folder) / second / "Uninstaller.exe").is_file())
        self.assertEqual(self.export_registry(SERVICE_KEY), service, "the service changed")
        self.assertTrue(self.install_log().startswith(log_before))
        # Everything of the first installation is still there, unchanged:
        # its files, printer, driver, printer data and uninstall entry.
        files_after = snapshot(self.drive_c)
        self.assert_no_file_lost(files_before, files_after)
        changed = sorted(rel for rel, digest in files_before.items()
                         if files_after.get(rel) != digest and rel != INSTALL_LOG
                         and not RECREATED.match(rel))
        self.assertEqual(changed, [], "files of the first installation changed")
        self.assert_registry_kept(registry_before, self.registry_state())


    def test_printer_named_alike_in_another_letter_case_is_kept(self):
        # The spooler's names ignore letter case: an existing "MERLO 204T"
        # is the printer the new one would be. Wine's spooler would add the
        # new printer over it; the name is made unique instead.
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        model = self.model()
        other_case = model.upper()
        self.assertNotEqual(other_case, model)
        self.prefix.import_registry(wz.printers_fixture([other_case]))
        registry_before = self.registry_state()
        wizard = self.start()
        self.install(wizard, "other-case-final")
        added = f"{model} (copy 1)"
        self.assertTrue(self.succeeded(added))
        self.finish(wizard)
        self.assertEqual(self.printers(), {other_case: ("LPT1:", "E2E Fixture Driver"),
                                           added: ("LPT1:", f"{added} Driver")})
        self.assert_registry_kept(registry_before, self.registry_state())


# ------------------------------------------------------------------ two installers

ALREADY_RUNNING = {
    "English": ("Printer Driver Installation",
                "An installation of the printer driver is already running. Please wait until it "
                "has finished and try again."),
    "Chinese": ("打印机驱动安装", "打印机驱动安装程序已经在运行。请等它结束后再试。"),
    "Russian": ("Установка драйвера принтера",
                "Установка драйвера принтера уже выполняется. Дождитесь её завершения и повторите "
                "попытку."),
}


class FaultTwoInstallers(FaultCase):
    def second_installer(self, first_pid, locale, expected, name):
        """Starts a second installer: it shows only the running-installation
        box (no owner, a warning icon, OK), ends with 0 after OK and
        touches neither the documents folder nor the first run."""
        docs_before = {p.name: (p.stat().st_mtime_ns, p.read_bytes())
                       for p in self.prefix.documents.iterdir()}
        proc = self.start_program(locale, f"second-{name}.log")

        def box():
            found = [w for w in self.drv.windows(exe=INSTALLER_EXE, visible=True)
                     if w["pid"] != first_pid]
            if proc.poll() is not None:
                raise AssertionError(f"the second installer ended ({proc.returncode}) without "
                                     "a message")
            return found

        found = wait_until(box, wz.WINDOW_TIMEOUT, what="the second installer's message")
        self.assertEqual(len(found), 1, found)
        message = self.drv.msgbox(found[0]["hwnd"])
        self.shot(f"already-running-{name}", found[0]["hwnd"])
        self.assertEqual((message["text"], message["message"]), expected)
        self.assertEqual((message["owner"], message["icon"], [b["id"] for b in message["buttons"]]),
                         (0, True, [1]))
        self.drv.press(found[0]["hwnd"], 1)
        self.assertEqual(self.prefix.wait_exit(proc, wz.STEP_TIMEOUT), 0)
        self.assertEqual({p.name: (p.stat().st_mtime_ns, p.read_bytes())
                          for p in self.prefix.documents.iterdir()}, docs_before,
                         "the second installer touched the documents folder")
        self.assertEqual([w for w in self.drv.windows(exe=INSTALLER_EXE, visible=True)
                          if w["pid"] != first_pid], [])

    def test_second_installer_says_one_is_running_and_ends(self):
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        model = self.model()
        first = self.start_program(LOCALE["English"], "first.log")
        language = self.drv.find_one(timeout=wz.WINDOW_TIMEOUT, exe=INSTALLER_EXE, visible=True)
        first_pid = language["pid"]
        # A stale logo that the second run's start-up would delete.
        stale = self.plant({self.prefix.documents / "Logo.bmp": b"stale logo"})
        for name, locale in [("English", "en_US.UTF-8"), ("Chinese", "zh_CN.UTF-8"),
                             ("Russian", "ru_RU.UTF-8"), ("Japanese", "ja_JP.UTF-8")]:
            with self.subTest(locale=locale):
                expected = ALREADY_RUNNING["English" if name == "Japanese" else name]
                self.second_installer(first_pid, locale, expected, name)
        self.assert_unchanged(stale)

        # The first run goes on undisturbed; the mark holds until it ends.
        dlg = language["hwnd"]
        self.drv.select(dlg, wz.LANGUAGE_LIST, index=wz.LANGUAGE_ENTRY["English"])
        wait_until(lambda: self.drv.control(dlg, wz.LANGUAGE_LIST)["cursel"] == 1, wz.STEP_TIMEOUT,
                   what="English to be selected")
        self.drv.click(dlg, 1)
        self.drv.wait_gone(dlg)
        window = wait_until(lambda: [w for w in self.drv.windows(pid=first_pid, visible=True)
                                     if w["class"] == "#32770"], wz.WINDOW_TIMEOUT,
                            what="the wizard")[0]
        wizard = wz.Wizard(self.drv, window["hwnd"], first)
        wizard.wait_page("welcome")
        self.install(wizard, "first-final")
        self.second_installer(first_pid, LOCALE["English"], ALREADY_RUNNING["English"],
                              "at-the-final-page")
        self.assertTrue(self.succeeded(model))
        self.finish(wizard)

        # Released at the end of the run: the next installer starts normally.
        third = self.start_program(LOCALE["English"], "third.log")
        window = self.drv.find_one(timeout=wz.WINDOW_TIMEOUT, exe=INSTALLER_EXE, visible=True)
        self.assertIn(wz.LANGUAGE_LIST, self.drv.dump(window["hwnd"])["controls"])
        self.drv.click(window["hwnd"], 2)
        self.assertEqual(self.prefix.wait_exit(third, wz.STEP_TIMEOUT), 0)


# ------------------------------------------------------------------ closing anywhere

TCP_MONITOR = PRINT_KEY + r"\Monitors\tcpmon.dll"


class FaultClosing(FaultCase):
    """The wizard closed on every page and while each of its dialogs is
    open. Before every run the prefix is recorded; afterwards no file that
    was there is gone and the user's files are unchanged."""

    time_limit = 240.0

    def setUp(self):
        super().setUp()
        self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
        # Network ports: the monitor the wizard counts as the network
        # monitor, played by the payload's own port monitor.
        members = dict(model_members(self.session.installer.read_bytes()))
        (self.drive_c / "windows" / "system32" / "e2etcpmon.dll").write_bytes(
            zlib.decompress(members["Rad80PrinterMon.dll.x64"]))
        self.prefix.import_registry({TCP_MONITOR: {"Driver": "e2etcpmon.dll"},
                                     TCP_MONITOR + r"\Ports\IP_10.0.0.5": {}})
        self.folder = self.default_folder()
        base = self.host_path(self.folder)
        self.own = self.plant({
            base / "own.txt": b"mine",
            base / "Setup.log": b"the user's log",
            base / self.model() / "notes.txt": b"notes in the install folder",
            self.drive_c / "e2e-own.txt": b"in the root",
            self.prefix.documents / "mine.txt": b"in the documents folder",
        })
        self.count = 0

    def run_and_close(self, name, walk):
        """One run: `walk(wizard or None)` drives it and closes it."""
        self.count += 1
        before = snapshot(self.drive_c)
        walk()
        self.assert_unchanged(self.own, f"after closing {name}")
        self.assert_no_file_lost(before, snapshot(self.drive_c), f"after closing {name}")

    def other_window(self, wizard, what):
        window = wizard.wait_other_window(what=what)
        return window["hwnd"]

    def test_closing_anywhere_deletes_nothing_of_anyone_else(self):
        def language_dialog():
            proc = self.start_program(LOCALE["English"], f"run-{self.count}.log")
            dlg = self.drv.find_one(timeout=wz.WINDOW_TIMEOUT, exe=INSTALLER_EXE, visible=True)
            self.drv.close_window(dlg["hwnd"], "sc")
            self.assertEqual(self.prefix.wait_exit(proc, wz.STEP_TIMEOUT), 0)

        def on_page(page, how, folder_text=None):
            def walk():
                wizard = self.start(log_name=f"run-{self.count}.log")
                if page != "welcome":
                    self.next_to(wizard, "folder")
                    if folder_text is not None:
                        wizard.set_folder(folder_text)
                if page == "printer":
                    self.next_to(wizard, "printer")
                self.finish(wizard, how)
            return walk

        def network_dialog(close_wizard, answer):
            def walk():
                wizard = self.start(log_name=f"run-{self.count}.log")
                self.to_printer_page(wizard, port="Net Port(TCP/IP)")
                wizard.click(wz.NEXT)
                dialog = self.other_window(wizard, "the network port dialog")
                self.shot("network-dialog", dialog)
                self.assertIn(1009, self.drv.dump(dialog)["controls"])
                if close_wizard:
                    # A close request reaches the wizard behind its modal
                    # dialog: it is kept until the dialog is answered.
                    self.drv.close_window(wizard.hwnd, "wm")
                    time.sleep(0.5)
                    self.assertIsNone(wizard.proc.poll())
                if answer == "ok":
                    self.drv.click(dialog, 1)
                else:
                    self.drv.close_window(dialog, "sc")
                if not close_wizard:
                    self.drv.wait_gone(dialog)
                    wizard.wait_page("printer")
                    self.finish(wizard, "close box")
                    return
                # The wizard ends where it was: no installation starts.
                self.assertEqual(self.prefix.wait_exit(wizard.proc, wz.STEP_TIMEOUT), 0)
                self.assertFalse((self.drive_c / INSTALL_LOG).exists(), "an installation started")
                self.assertFalse((self.host_path(self.folder) / self.model() / "Inf").exists(),
                                 "the installing page was entered")
            return walk

        def port_list(close_wizard):
            def walk():
                self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
                wizard = self.start(log_name=f"run-{self.count}.log")
                self.to_printer_page(wizard, port="LPT2")
                # The port goes away before the installation looks for it.
                self.prefix.import_registry(wz.ports_fixture(["COM1:", "LPT1:"]))
                wizard.click(wz.NEXT)
                dialog = self.other_window(wizard, "the port list")
                self.shot("port-list", dialog)
                self.assertEqual(self.drv.dump(dialog)["text"], "Select Printer Port")
                if close_wizard:
                    self.drv.close_window(wizard.hwnd, "wm")
                    time.sleep(1.0)
                    self.assertIsNone(wizard.proc.poll(), "the wizard ended under its worker")
                self.drv.close_window(dialog, "sc")
                self.drv.wait_gone(dialog)
                wizard.wait_page("final")
                self.assertRegex(self.install_log(), rb"Retrace Finish\r\n$")
                self.finish(wizard, "close box")
            return walk

        def after_success():
            self.prefix.import_registry(wz.ports_fixture(FIXTURE_PORTS))
            wizard = self.start(log_name=f"run-{self.count}.log")
            self.install(wizard, "success-final")
            self.assertTrue(self.succeeded(self.printers_added_name()))
            self.finish(wizard, "close box")

        cases = [
            ("the language dialog", language_dialog),
            ("the welcome page", on_page("welcome", "close box")),
            ("the folder page", on_page("folder", "button", self.folder)),
            ("the folder page with an empty field", on_page("folder", "close box", "")),
            ("the printer page", on_page("printer", "escape")),
            ("the network port dialog", network_dialog(False, "close box")),
            ("the wizard behind the network port dialog, then the dialog",
             network_dialog(True, "close box")),
            ("the wizard behind the network port dialog, then OK there", network_dialog(True, "ok")),
            ("the port list", port_list(False)),
            ("the wizard behind the port list", port_list(True)),
            ("the final page", after_success),
        ]
        for name, walk in cases:
            with self.subTest(closing=name):
                self.run_and_close(name, walk)
                wait_until(lambda: not self.drv.windows(exe=INSTALLER_EXE), wz.STEP_TIMEOUT,
                           what="the installer's windows to go")

    def printers_added_name(self):
        names = [n for n in self.printers() if n.startswith(self.model())]
        if len(names) != 1:
            raise AssertionError(f"expected one printer of the model, found {names}")
        return names[0]


if __name__ == "__main__":
    unittest.main()
