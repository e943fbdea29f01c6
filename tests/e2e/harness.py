"""End-to-end harness: runs Windows programs under Wine on a private X server
and drives them from outside through the wdrive helper.

One Session per test run owns the X server, the built helper programs and one
template Wine prefix. Every scenario works in its own copy of the template
(its own wineserver), bounded in time, and removes the copy afterwards.

Standard library only.
"""

import atexit
import json
import os
import pathlib
import queue
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
BUILD = ROOT / "build" / "e2e"
BIN = BUILD / "bin"
DEFAULT_INSTALLER = ROOT / "build" / "win64" / "LabelPrinterSetup.exe"
DEFAULT_ARTIFACTS = BUILD / "artifacts"
INSTALLER_EXE = "LabelPrinterSetup.exe"

# Locales by the system default LCID that Wine derives from LC_ALL/LANG.
LOCALES = {
    2052: "zh_CN.UTF-8",
    1033: "en_US.UTF-8",
    1049: "ru_RU.UTF-8",
    1041: "ja_JP.UTF-8",
}

# Dialog faces that must render CJK text: mapped to the installed CJK font.
# "Times New Romans" is the face the language dialogs create for their
# Cyrillic font; no such font exists, and Windows would link a CJK font in
# for Chinese labels drawn with it, which Wine does not do for unknown faces.
FONT_REPLACEMENTS = {
    "宋体": "WenQuanYi Micro Hei",
    "SimSun": "WenQuanYi Micro Hei",
    "MS Sans Serif": "WenQuanYi Micro Hei",
    "Times New Romans": "WenQuanYi Micro Hei",
}

CALL_SLACK = 15.0  # seconds a driver answer may take beyond its own timeout


class HarnessError(Exception):
    """The environment failed (not the program under test)."""


class DriverError(Exception):
    """wdrive answered a command with ok=false."""


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Polls predicate() until it returns a true value, which is returned.
    Raises TimeoutError naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    last_exc = None
    while True:
        try:
            value = predicate()
            if value:
                return value
        except DriverError as exc:  # a window may vanish between two calls
            last_exc = exc
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_exc})" if last_exc else ""
            raise TimeoutError(f"timed out after {timeout:.1f} s waiting for {what}{detail}")
        time.sleep(interval)


def _find_tool(*names):
    for name in names:
        path = shutil.which(name)
        if path:
            return path
    for name in names:
        for folder in ("/usr/lib/wine", "/usr/lib64/wine", "/usr/bin"):
            candidate = pathlib.Path(folder) / name
            if candidate.exists():
                return str(candidate)
    raise HarnessError(f"none of {names} found")


def _run(cmd, timeout, env=None, check=True, **kw):
    try:
        proc = subprocess.run(cmd, env=env, timeout=timeout, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, **kw)
    except subprocess.TimeoutExpired as exc:
        raise HarnessError(f"{cmd[0]} timed out after {timeout} s") from exc
    if check and proc.returncode != 0:
        out = proc.stdout.decode("utf-8", "replace")[-2000:]
        raise HarnessError(f"{' '.join(map(str, cmd))} failed ({proc.returncode}):\n{out}")
    return proc


# ------------------------------------------------------------------ helpers built here

def build_tools():
    """Builds wdrive.exe (the driver) and fixture.exe (its test program) into
    build/e2e/bin when their sources are newer. Returns the bin folder."""
    src = HERE / "driver"
    BIN.mkdir(parents=True, exist_ok=True)
    cxx = _find_tool("x86_64-w64-mingw32-g++-win32", "x86_64-w64-mingw32-g++")
    windres = _find_tool("x86_64-w64-mingw32-windres")
    flags = ["-std=c++17", "-O2", "-Wall", "-Wextra", "-Werror", "-municode", "-static",
             "-static-libgcc", "-static-libstdc++", "-DUNICODE", "-D_UNICODE",
             "-DWIN32_LEAN_AND_MEAN"]

    def stale(out, inputs):
        if not out.exists():
            return True
        mtime = out.stat().st_mtime
        return any(p.stat().st_mtime > mtime for p in inputs)

    wdrive = BIN / "wdrive.exe"
    if stale(wdrive, [src / "wdrive.cpp", pathlib.Path(__file__)]):
        _run([cxx, *flags, "-o", str(wdrive), str(src / "wdrive.cpp"), "-lcomctl32",
              "-lshell32", "-lwinspool"], timeout=300)
    fixture = BIN / "fixture.exe"
    fixture_inputs = [src / "fixture.cpp", src / "fixture.rc", src / "fixture_ids.h"]
    if stale(fixture, fixture_inputs):
        res = BIN / "fixture_res.o"
        _run([windres, "-I", str(src), str(src / "fixture.rc"), "-O", "coff", "-o", str(res)],
             timeout=120)
        _run([cxx, *flags, "-mwindows", "-o", str(fixture), str(src / "fixture.cpp"), str(res),
              "-lcomctl32"], timeout=300)
    return BIN


# ------------------------------------------------------------------ X server

class Display:
    """One Xvfb server on a free display number, for the whole run."""

    def __init__(self, size="1280x1024x24"):
        xvfb = _find_tool("Xvfb")
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            [xvfb, "-displayfd", str(write_fd), "-screen", "0", size, "-nolisten", "tcp", "-ac",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        try:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.proc.poll() is not None:
                    raise HarnessError("Xvfb did not start")
                chunk = os.read(read_fd, 16)
                if not chunk:
                    raise HarnessError("Xvfb did not report its display")
                number += chunk
        finally:
            os.close(read_fd)
        self.number = int(number.strip())
        self.name = f":{self.number}"

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=5)

    def screenshot(self, path, rect=None, timeout=20):
        """Saves the screen, or the part inside rect [left, top, right,
        bottom] (screen pixels), as a PNG file."""
        path = pathlib.Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        cmd = [_find_tool("import"), "-display", self.name, "-window", "root"]
        if rect:
            left, top, right, bottom = (max(0, v) for v in rect)
            width, height = max(1, right - left), max(1, bottom - top)
            cmd += ["-crop", f"{width}x{height}+{left}+{top}", "+repage"]
        _run(cmd + [str(path)], timeout=timeout)
        return path


# ------------------------------------------------------------------ Wine prefixes

def _reg_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def registry_file(keys):
    """Text of a .reg file: keys maps a key path to {value name: value}.
    A value is a string (REG_SZ), an int (REG_DWORD) or None (the value is
    deleted); a key path that starts with "-" deletes that key with its
    sub-keys (its values dict is ignored). "@" names the default value."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in keys.items():
        lines.append(f"[{key}]")
        if not key.startswith("-"):
            for name, value in values.items():
                name_text = "@" if name == "@" else _reg_string(name)
                if value is None:
                    lines.append(f"{name_text}=-")
                elif isinstance(value, bool) or not isinstance(value, (int, str)):
                    raise ValueError(f"unsupported registry value {value!r}")
                elif isinstance(value, int):
                    lines.append(f"{name_text}=dword:{value:08x}")
                else:
                    lines.append(f"{name_text}={_reg_string(value)}")
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


TEMPLATE_REGISTRY = {
    r"HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements": FONT_REPLACEMENTS,
    # There is no window manager. Unmanaged windows make Wine draw the frames
    # itself (captions show on screenshots) and spare it waiting two seconds
    # for a window manager's answer each time a window is hidden.
    r"HKEY_CURRENT_USER\Software\Wine\X11 Driver": {"Decorated": "N", "Managed": "N"},
    # A crashing program must end, not wait behind a crash dialog.
    r"HKEY_CURRENT_USER\Software\Wine\WineDbg": {"ShowCrash": "0"},
}


class Wine:
    def __init__(self):
        self.loader = _find_tool("wine64")
        self.server = _find_tool("wineserver")

    def env(self, prefix, display, locale=None):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("LC_", "WINE")) and k not in ("LANG", "LANGUAGE")}
        env.update({
            "WINEPREFIX": str(prefix),
            "WINELOADER": self.loader,
            "WINESERVER": self.server,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "DISPLAY": display.name,
        })
        # Wine takes the default locale from LC_ALL even where the C library
        # lacks that locale; LANG follows for the C library's sake.
        locale = locale or os.environ.get("LC_ALL") or os.environ.get("LANG") or "en_US.UTF-8"
        env["LANG"] = locale
        env["LC_ALL"] = locale
        return env


def _user_folder(prefix):
    users = [p for p in (pathlib.Path(prefix) / "drive_c" / "users").iterdir()
             if p.is_dir() and p.name.lower() != "public"]
    if len(users) != 1:
        raise HarnessError(f"expected one user profile in {prefix}, found {users}")
    return users[0]


def create_template(path, wine, display, extra_registry=None):
    """A fresh prefix at `path`, ready to be copied: its profile folders are
    real folders (Wine links them to $HOME), the dialog faces render CJK text,
    and `extra_registry` keys (same form as TEMPLATE_REGISTRY) are set."""
    path = pathlib.Path(path)
    env = wine.env(path, display, "en_US.UTF-8")
    _run([wine.loader, "wineboot", "-i"], env=env, timeout=180)
    profile = _user_folder(path)
    for entry in profile.iterdir():
        if entry.is_symlink():
            entry.unlink()
            entry.mkdir()
    keys = dict(TEMPLATE_REGISTRY)
    keys.update(extra_registry or {})
    reg = path / "drive_c" / "e2e-template.reg"
    reg.write_bytes(b"\xff\xfe" + registry_file(keys).encode("utf-16-le"))
    _run([wine.loader, "regedit", "/S", "C:\\e2e-template.reg"], env=env, timeout=120)
    _run([wine.server, "-w"], env=env, timeout=120)
    reg.unlink()
    user_reg = (path / "user.reg").read_text("utf-8", "replace")
    if "WenQuanYi Micro Hei" not in user_reg:
        raise HarnessError("font replacements did not reach the template prefix")
    docs = profile / "Documents"
    if docs.is_symlink() or not docs.is_dir():
        raise HarnessError("Documents is not a real folder in the template")
    return path


class Session:
    """Everything one run shares: X server, helpers, template prefix, the
    installer snapshot and the artefacts folder.

    With `prefetch` > 0 the session prepares the next scenario's prefix (copy,
    wineserver and driver started) in the background while the current
    scenario runs, for as many scenarios as `prefetch` says in all."""

    def __init__(self, installer=None, artifacts=None, prefetch=0):
        self.installer_source = pathlib.Path(installer or DEFAULT_INSTALLER).resolve()
        self.artifacts = pathlib.Path(artifacts or DEFAULT_ARTIFACTS).resolve()
        self.bin = build_tools()
        self.wdrive = self.bin / "wdrive.exe"
        self.fixture = self.bin / "fixture.exe"
        self.wine = Wine()
        self.workdir = pathlib.Path(tempfile.mkdtemp(prefix="lps-e2e-"))
        self._closed = False
        atexit.register(self.close)
        self.display = Display()
        self.template = create_template(self.workdir / "template", self.wine, self.display)
        # The installer may be rebuilt while the run goes on: run a copy.
        self.installer = None
        if self.installer_source.is_file():
            self.installer = self.workdir / INSTALLER_EXE
            shutil.copy2(self.installer_source, self.installer)
        self._count = 0
        self.live = []  # prefixes not closed yet, killed when the session closes
        self._prefetch_left = prefetch
        self._next = None  # (thread, holder) of the prefix being prepared

    def _prepare(self):
        self._count += 1
        path = self.workdir / f"p{self._count:03d}"
        prefix = Prefix(self, path)
        try:
            prefix.driver().info()  # boots the prefix's wineserver and services
        except BaseException:
            prefix.close()
            raise
        return prefix

    def _start_prefetch(self):
        if self._prefetch_left <= 0:
            return
        self._prefetch_left -= 1
        holder = {}

        def work():
            try:
                holder["prefix"] = self._prepare()
            except BaseException as exc:  # handed to the taker
                holder["error"] = exc

        thread = threading.Thread(target=work, daemon=True)
        thread.start()
        self._next = (thread, holder)

    def _take_prefetched(self):
        thread, holder = self._next
        self._next = None
        thread.join(timeout=300)
        if thread.is_alive():
            raise HarnessError("preparing a prefix took more than 300 s")
        if "error" in holder:
            raise holder["error"]
        return holder["prefix"]

    def new_prefix(self, name=""):
        """A booted copy of the template with a driver running in it (the
        prefix's first driver()). `name` only labels errors."""
        try:
            if self._next is None:
                if self._prefetch_left > 0:
                    self._prefetch_left -= 1
                prefix = self._prepare()
            else:
                prefix = self._take_prefetched()
        except HarnessError as exc:
            raise HarnessError(f"{name}: {exc}") from exc
        self._start_prefetch()
        return prefix

    def artifacts_for(self, name):
        folder = self.artifacts / re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        if folder.exists():
            shutil.rmtree(folder)
        folder.mkdir(parents=True)
        return folder

    def close(self):
        if self._closed:
            return
        self._closed = True
        if getattr(self, "_next", None):
            try:
                self._take_prefetched().close()
            except BaseException:
                pass
        for prefix in list(getattr(self, "live", [])):
            try:
                prefix.close()
            except BaseException:
                pass
        if getattr(self, "display", None):
            self.display.close()
        shutil.rmtree(self.workdir, ignore_errors=True)


class Prefix:
    """A copy of the template with its own wineserver. Use as a context
    manager: leaving it kills every process in it and removes the copy."""

    def __init__(self, session, path):
        self.session = session
        self.path = pathlib.Path(path)
        self._procs = []
        self._drivers = []
        session.live.append(self)
        _run(["cp", "-a", str(session.template), str(self.path)], timeout=120)
        self.documents = _user_folder(self.path) / "Documents"

    def env(self, locale=None):
        return self.session.wine.env(self.path, self.session.display, locale)

    def start(self, program, locale=None, args=(), log=None):
        """Starts a Windows program (host path) in this prefix; returns the
        Popen of its Wine loader, whose exit status is the program's. Its
        current folder is C:\\ of the prefix, never a host folder that Wine
        would show as a drive of its own (Z:)."""
        out = open(log, "ab") if log else subprocess.DEVNULL
        proc = subprocess.Popen([self.session.wine.loader, str(program), *map(str, args)],
                                env=self.env(locale), stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, start_new_session=True,
                                cwd=str(self.path / "drive_c"))
        if log:
            out.close()
        self._procs.append(proc)
        return proc

    def driver(self):
        """The prefix's driver, started on first use."""
        if not self._drivers:
            self._drivers.append(Driver(self))
        return self._drivers[0]

    def wait_exit(self, proc, timeout):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"program did not end within {timeout} s") from None

    def import_registry(self, keys, timeout=60):
        """Sets registry values in this prefix; keys maps a key path (with its
        hive, e.g. HKEY_LOCAL_MACHINE\\SOFTWARE\\...) to {value name: value}
        as registry_file() describes."""
        reg = self.path / "drive_c" / "e2e-import.reg"
        reg.write_bytes(b"\xff\xfe" + registry_file(keys).encode("utf-16-le"))
        try:
            _run([self.session.wine.loader, "regedit", "/S", "C:\\e2e-import.reg"],
                 env=self.env(), timeout=timeout)
        finally:
            reg.unlink()

    # Documents folder helpers.
    def documents_files(self):
        return sorted(p.name for p in self.documents.iterdir())

    def clear_documents(self):
        for p in self.documents.iterdir():
            if p.is_dir() and not p.is_symlink():
                shutil.rmtree(p)
            else:
                p.unlink()

    def kill_server(self):
        """Ends every process of the prefix at once."""
        _run([self.session.wine.server, "-k"], env=self.env(), timeout=30, check=False)

    def kill(self):
        for drv in self._drivers:
            drv.close()
        _run([self.session.wine.server, "-k"], env=self.env(), timeout=30, check=False)
        for proc in self._procs:
            if proc.poll() is None:
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait(timeout=10)
        # wineserver -k returns before the server itself has gone.
        _run([self.session.wine.server, "-w"], env=self.env(), timeout=30, check=False)

    def close(self):
        try:
            if self.path.exists():
                self.kill()
        finally:
            shutil.rmtree(self.path, ignore_errors=True)
            if self in self.session.live:
                self.session.live.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


# ------------------------------------------------------------------ the driver

class Driver:
    """One `wdrive serve` process inside a prefix. Every method sends one
    command and returns the parsed answer; ok=false raises DriverError."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.proc = subprocess.Popen(
            [prefix.session.wine.loader, str(prefix.session.wdrive), "serve"],
            env=prefix.env("en_US.UTF-8"), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, start_new_session=True)
        self._lines = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self._lock = threading.Lock()

    def _read(self):
        for line in self.proc.stdout:
            self._lines.put(line)
        self._lines.put(None)

    def call(self, *args, timeout=0.0):
        """Runs one command; `timeout` is the command's own waiting time."""
        line = json.dumps([str(a) for a in args]) + "\n"
        with self._lock:
            if self.proc.poll() is not None:
                raise HarnessError("wdrive is not running")
            self.proc.stdin.write(line.encode("ascii"))
            self.proc.stdin.flush()
            try:
                raw = self._lines.get(timeout=timeout + CALL_SLACK)
            except queue.Empty:
                raise HarnessError(f"wdrive did not answer {args[0]}") from None
        if raw is None:
            raise HarnessError("wdrive ended")
        answer = json.loads(raw.decode("utf-8"))
        if not answer.get("ok"):
            raise DriverError(f"{args[0]}: {answer.get('error')}")
        return answer

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b'["quit"]\n')
                self.proc.stdin.flush()
                self.proc.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(timeout=5)

    # --- commands
    @staticmethod
    def _filters(filters):
        out = []
        for key, value in filters.items():
            key = "class" if key == "cls" else key
            if key == "visible":
                if value:
                    out.append("visible")
            elif value is not None:
                out.append(f"{key}={value}")
        return out

    def info(self):
        return self.call("info")

    def windows(self, **filters):
        return self.call("windows", *self._filters(filters))["windows"]

    def find(self, timeout=15.0, **filters):
        """Top-level windows matching the filters (cls, caption, contains,
        exe, pid, visible); waits until at least one exists."""
        ms = int(timeout * 1000)
        return self.call("find", ms, *self._filters(filters), timeout=timeout)["windows"]

    def find_one(self, timeout=15.0, **filters):
        found = self.find(timeout, **filters)
        if len(found) != 1:
            raise AssertionError(f"expected one window for {filters}, found {found}")
        return found[0]

    def dump(self, hwnd):
        """The window with its controls; `controls` maps id -> control."""
        window = self.call("dump", hwnd)["window"]
        window["controls"] = {}
        for child in window["children"]:
            window["controls"].setdefault(child["id"], child)
        return window

    def control(self, hwnd, control_id):
        return self.call("control", hwnd, control_id)["control"]

    def click(self, hwnd, control_id):
        return self.call("click", hwnd, control_id)

    def command(self, hwnd, control_id, code=0):
        return self.call("command", hwnd, control_id, code)

    def select(self, hwnd, control_id, index=None, text=None):
        what = f"text={text}" if text is not None else index
        return self.call("select", hwnd, control_id, what)["cursel"]

    def lvselect(self, hwnd, control_id, row):
        return self.call("lvselect", hwnd, control_id, row)

    def tvselect(self, hwnd, control_id, text):
        return self.call("tvselect", hwnd, control_id, text)

    def settext(self, hwnd, control_id, text):
        return self.call("settext", hwnd, control_id, text)["text"]

    def key(self, hwnd, name):
        return self.call("key", hwnd, name)

    def close_window(self, hwnd, how="sc"):
        return self.call("close", hwnd, how)

    def wait_gone(self, hwnd, timeout=15.0):
        return self.call("waitgone", hwnd, int(timeout * 1000), timeout=timeout)

    def msgbox(self, hwnd):
        return self.call("msgbox", hwnd)["box"]

    def press(self, hwnd, button):
        return self.call("press", hwnd, button)

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return self.call("send", hwnd, msg, wparam, lparam)["result"]

    def redraw(self, hwnd):
        return self.call("redraw", hwnd)

    # --- the prefix's spooler and registry, as a program there sees them
    def printers(self):
        """Local printers and connections: [{name, port, driver}]."""
        return self.call("printers")["printers"]

    def ports(self):
        """The spooler's ports: [{name, monitor, description, type}]."""
        return self.call("ports")["ports"]

    def reg_value(self, key, name):
        """One registry value in the 64-bit view, key "HKLM\\..." or
        "HKCU\\...": {key, exists, type, size, string (up to the first
        terminator), raw (every stored character), dword}."""
        return self.call("regget", key, name)["value"]


# ------------------------------------------------------------------ artefacts

class Artifacts:
    """Screenshots of one scenario, numbered in the order they are taken."""

    def __init__(self, session, folder):
        self.session = session
        self.folder = pathlib.Path(folder)
        self.count = 0

    def shot(self, name, driver=None, hwnd=None, settle=0.3):
        """Screenshot of one window (when hwnd is given) or the screen. The
        window is repainted first and given `settle` seconds to reach the
        X server."""
        rect = None
        if driver is not None and hwnd is not None:
            try:
                driver.redraw(hwnd)
                rect = driver.call("dump", hwnd)["window"]["rect"]
            except DriverError:
                rect = None
        time.sleep(settle)
        self.count += 1
        safe = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        return self.session.display.screenshot(self.folder / f"{self.count:02d}-{safe}.png", rect)


# ------------------------------------------------------------------ scenarios

_config = {"installer": None, "artifacts": None, "prefetch": 0}
_session = None


def configure(installer=None, artifacts=None, scenarios=0):
    """Sets where the installer and the artefacts are and how many scenarios
    will run (their prefixes are prepared ahead), before the first scenario
    asks for the session."""
    _config["installer"] = installer
    _config["artifacts"] = artifacts
    _config["prefetch"] = scenarios


_session_error = None


def configured_installer():
    """The installer path that the run was given (it may not exist)."""
    return pathlib.Path(_config["installer"] or DEFAULT_INSTALLER).resolve()


def session():
    """The run's Session, created on first use and closed at exit. If it
    cannot be set up, every later call fails at once with the same error."""
    global _session, _session_error
    if _session_error is not None:
        raise HarnessError(f"environment unavailable: {_session_error}")
    if _session is None:
        try:
            _session = Session(_config["installer"], _config["artifacts"],
                               _config["prefetch"])
        except Exception as exc:
            _session_error = exc
            raise
    return _session


def close_session():
    global _session
    if _session is not None:
        _session.close()
        _session = None


class E2ECase(unittest.TestCase):
    """A scenario: its own prefix copy (self.prefix), a driver in it
    (self.drv) and its artefacts folder (self.art).
    Every scenario ends with a screenshot of the whole screen and a hard kill
    of its prefix, pass or fail."""

    needs_installer = False
    # Hard limit of one scenario: when it passes, the prefix's wineserver is
    # killed, which ends every program and the driver, so every wait fails.
    time_limit = 240.0

    def setUp(self):
        self.session = session()
        if self.needs_installer and self.session.installer is None:
            self.skipTest(f"no installer at {self.session.installer_source}")
        name = self.id().split(".", 1)[-1]
        self.art = Artifacts(self.session, self.session.artifacts_for(name))
        self.prefix = self.session.new_prefix(name)
        self.addCleanup(self.prefix.close)
        watchdog = threading.Timer(self.time_limit, self.prefix.kill_server)
        watchdog.daemon = True
        watchdog.start()
        self.addCleanup(watchdog.cancel)
        self.addCleanup(self._final_screenshot)
        self.drv = self.prefix.driver()

    def _final_screenshot(self):
        try:
            self.art.shot("end-screen", settle=0.1)
        except HarnessError:
            pass

    def shot(self, name, hwnd=None):
        return self.art.shot(name, self.drv, hwnd)

    def start_installer(self, locale, log_name="installer.log"):
        return self.prefix.start(self.session.installer, locale, log=self.art.folder / log_name)

    def wait_for(self, predicate, timeout=10.0, what="condition"):
        return wait_until(predicate, timeout, what=what)
