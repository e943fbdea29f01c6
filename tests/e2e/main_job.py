#!/usr/bin/env python3
"""The main job: runs the installer unattended in a fresh Wine prefix under the
default locale, answers every window it shows in order, with a screenshot of
each, checks that it ends, and prints what it installed.

The walk: the language dialog (English), the wizard's welcome page, the
folder page (default folder), the printer page (first model on USB: the
prefix gets a connected USB printer of that model as a registry fixture), the
installing page (a screenshot while it shows) and the final page, closed
with its Finish button. Then, from inside the prefix: the printer with its
port, driver and printer data values, and the printer service; the same
lines go to summary.txt beside the screenshots.

    main_job.py [--installer PATH] [--artifacts DIR] [--locale LOCALE]

Exits non-zero when a step fails: its window does not come, another window
comes instead, the installer does not end after the last step, or it
installed no printer.

Adding a wizard page means adding one Step to STEPS: how to recognise its
window (a test on the window's dump), how to answer it, and when it counts
as answered.
"""

import argparse
import pathlib
import sys
import time
from dataclasses import dataclass
from typing import Callable, Optional

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import harness  # noqa: E402
import sysinfo as si  # noqa: E402
import wizard as wz  # noqa: E402
from harness import INSTALLER_EXE, DriverError, wait_until  # noqa: E402
from payload import installer_members  # noqa: E402

WINDOW_TIMEOUT = 60.0
END_TIMEOUT = 60.0


class StepFailed(Exception):
    pass


@dataclass
class Step:
    """One window of the run and its answer.

    matches(window) -> bool: is this dump (see Driver.dump) the step's window?
    answer(job, window): acts on it (clicks, selections, texts).
    answered(job, window) -> bool: polled after the answer until true; the
      default is "the window is gone". A wizard page that stays in the same
      window would test its page instead.
    """
    name: str
    matches: Callable[[dict], bool]
    answer: Callable[["Job", dict], None]
    answered: Optional[Callable[["Job", dict], bool]] = None
    timeout: float = WINDOW_TIMEOUT


# ------------------------------------------------------------------ the steps

LANGUAGE_LIST, LANGUAGE_PROMPT = 1008, 1045
ENGLISH_ENTRY = 1  # the second entry is English in each of the language dialogs


def is_language_dialog(window):
    c = window["controls"]
    return (window["class"] == "#32770" and c.get(LANGUAGE_LIST, {}).get("class") == "ComboBox"
            and LANGUAGE_PROMPT in c and 1 in c and 2 in c)


def choose_english(job, window):
    hwnd = window["hwnd"]
    job.drv.select(hwnd, LANGUAGE_LIST, index=ENGLISH_ENTRY)
    wait_until(lambda: job.drv.control(hwnd, LANGUAGE_LIST)["cursel"] == ENGLISH_ENTRY, 15,
               what="English to be selected")
    job.shot("language-english-selected", hwnd)
    job.drv.click(hwnd, 1)


def on_page(page):
    """matches(): the wizard dialog showing `page`."""
    return lambda window: window["class"] == "#32770" and wz.page_of(window) == page


def left_for(*pages):
    """answered(): the wizard has moved on to one of `pages`."""
    def answered(job, window):
        return wz.page_of(job.drv.dump(window["hwnd"])) in pages
    return answered


def press_next(job, window):
    job.drv.click(window["hwnd"], wz.NEXT)


def check_folder_and_press_next(job, window):
    folder = wz.folder_field(window)["text"]
    print(f"  install folder {folder}")
    if not folder:
        raise StepFailed("the folder page shows no default folder")
    press_next(job, window)


def check_printer_and_press_next(job, window):
    """The first model, preselected because the USB printer fixture is of
    that model, and the USB port."""
    controls = wz.dialog_controls(window)
    model, port = controls[wz.MODEL], controls[wz.PORT]
    name = job.models[0][0]
    if (model["cursel"], controls[wz.PRINTER_NAME]["text"], port["text"]) != (1, name, "USB"):
        raise StepFailed(f"the printer page shows model {model['text']!r} (entry "
                         f"{model['cursel']}), printer name "
                         f"{controls[wz.PRINTER_NAME]['text']!r} and port {port['text']!r} "
                         f"instead of {name!r} on USB")
    press_next(job, window)
    # The installing page lasts as long as the installation: take it while
    # it shows.
    hwnd = window["hwnd"]
    page = wait_until(lambda: wz.page_of(job.drv.dump(hwnd)) in ("installing", "final")
                      and wz.page_of(job.drv.dump(hwnd)), 15, what="the wizard to leave the "
                      "printer page")
    if page == "installing":
        path = job.shot("installing", hwnd)
        # A fast installation may have ended while the screenshot settled.
        if wz.page_of(job.drv.dump(hwnd)) != "installing":
            path.unlink()
            print("  (the installation ended before its page could be taken)")


def press_finish(job, window):
    finish = wz.dialog_controls(window)[wz.CANCEL]
    print(f"  final page, button {finish['text']!r}")
    job.drv.click(window["hwnd"], wz.CANCEL)


STEPS = [
    Step("language", is_language_dialog, choose_english),
    Step("welcome", on_page("welcome"), press_next, left_for("folder")),
    Step("folder", on_page("folder"), check_folder_and_press_next, left_for("printer")),
    Step("printer", on_page("printer"), check_printer_and_press_next,
         left_for("installing", "final")),
    Step("final", on_page("final"), press_finish, timeout=120.0),
]


# ------------------------------------------------------------------ the runner

class Job:
    def __init__(self, session, prefix, artifacts):
        self.session = session
        self.prefix = prefix
        self.drv = prefix.driver()
        self.art = artifacts
        self.proc = None
        self.models = []

    def shot(self, name, hwnd=None):
        path = self.art.shot(name, self.drv, hwnd)
        print(f"  screenshot {path}")
        return path

    def installer_windows(self):
        windows = []
        for w in self.drv.windows(exe=INSTALLER_EXE, visible=True):
            try:
                windows.append(self.drv.dump(w["hwnd"]))
            except DriverError:
                pass  # gone between the listing and the dump
        return windows

    def wait_window(self, step):
        deadline = time.monotonic() + step.timeout
        while True:
            windows = self.installer_windows()
            for w in windows:
                if step.matches(w):
                    return w
            if self.proc.poll() is not None:
                raise StepFailed(f"the installer ended ({self.proc.returncode}) before "
                                 f"showing the {step.name} window")
            if time.monotonic() > deadline:
                for w in windows:
                    self.shot(f"unexpected-{w['text']}", w["hwnd"])
                shown = ", ".join(repr(w["text"]) for w in windows) or "nothing"
                raise StepFailed(f"no {step.name} window within {step.timeout:.0f} s; "
                                 f"the installer shows {shown}")
            time.sleep(0.1)

    def run_step(self, index, step):
        print(f"step {index}: {step.name}")
        window = self.wait_window(step)
        self.shot(step.name, window["hwnd"])
        step.answer(self, window)
        if step.answered is None:
            try:
                self.drv.wait_gone(window["hwnd"], timeout=step.timeout)
            except DriverError as exc:
                self.shot(f"{step.name}-not-answered", window["hwnd"])
                raise StepFailed(f"the {step.name} window stayed: {exc}") from None
        else:
            wait_until(lambda: step.answered(self, window), step.timeout,
                       what=f"the {step.name} window to be answered")

    def run(self, locale):
        # A connected USB printer of the first model, so that the printer
        # page passes with the USB port.
        members = {k.lower(): v for k, v in installer_members(self.session.installer).items()}
        self.models = wz.read_models(members["printername.txt"])
        self.prefix.import_registry(wz.usb_printer_fixture(self.models[0][1]))
        log = self.art.folder / "installer.log"
        self.proc = self.prefix.start(self.session.installer, locale, log=log)
        for index, step in enumerate(STEPS, 1):
            self.run_step(index, step)
        try:
            wait_until(lambda: self.proc.poll() is not None or self.unanswered(), END_TIMEOUT,
                       what="the installer to end")
        except TimeoutError:
            raise StepFailed(f"the installer did not end within {END_TIMEOUT:.0f} s "
                             "after the last step") from None
        left = self.unanswered()
        if self.proc.poll() is None and left:
            for w in left:
                self.shot(f"unanswered-{w['text']}", w["hwnd"])
            raise StepFailed("windows without a step: "
                             + ", ".join(repr(w["text"]) for w in left))
        print(f"the installer ended with exit code {self.proc.returncode}")
        self.summarize()

    def summarize(self):
        """Prints what the installation installed and writes it to
        summary.txt; fails when it installed no printer."""
        printers = self.drv.printers()
        if not printers:
            raise StepFailed("the installation installed no printer")
        drivers = {d["name"]: d for d in self.drv.drivers()}
        service = self.drv.service("TarnelPrinter Service")
        default = self.drv.default_printer()
        lines = []
        for printer in printers:
            lines += si.installation_summary(printer, drivers.get(printer["driver"]),
                                             self.drv.printer_data(printer["name"]), service,
                                             default)
        (self.art.folder / "summary.txt").write_text("\n".join(lines) + "\n", "utf-8")
        print("installed:")
        for line in lines:
            print("  " + line)

    def unanswered(self):
        return self.installer_windows()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--installer", default=str(harness.DEFAULT_INSTALLER))
    parser.add_argument("--artifacts", default=str(harness.BUILD / "main-job"))
    parser.add_argument("--locale", default=None,
                        help="LANG/LC_ALL for the installer (default: this environment's)")
    args = parser.parse_args(argv)

    installer = pathlib.Path(args.installer)
    if not installer.is_file():
        print(f"main job: no installer at {installer}")
        return 2
    artifacts = pathlib.Path(args.artifacts).resolve()
    artifacts.mkdir(parents=True, exist_ok=True)
    for old in list(artifacts.glob("*.png")) + [artifacts / "installer.log",
                                                 artifacts / "summary.txt"]:
        if old.exists():
            old.unlink()

    session = None
    status = 1
    try:
        session = harness.Session(installer, artifacts)
        with session.new_prefix("main-job") as prefix:
            job = Job(session, prefix, harness.Artifacts(session, artifacts))
            try:
                job.run(args.locale)
                status = 0
            except (StepFailed, TimeoutError, DriverError) as exc:
                print(f"main job FAILED: {exc}")
            finally:
                try:
                    job.shot("end-screen")
                except harness.HarnessError:
                    pass
    except harness.HarnessError as exc:
        print(f"main job FAILED: environment: {exc}")
    finally:
        if session is not None:
            session.close()
    print(f"main job: screenshots in {artifacts}")
    print("main job: " + ("passed" if status == 0 else "failed"))
    return status


if __name__ == "__main__":
    sys.exit(main())
