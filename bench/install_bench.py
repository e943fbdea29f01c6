#!/usr/bin/env python3
"""Benchmark: a complete installation under Wine, from Next on the printer
page to the success page, beside its floor.

    install_bench.py [--installer PATH] [--runs N] [--artifacts DIR]

Each run takes a fresh copy of the prefix template:

- installer: the English wizard on the printer page (the first model on
  LPT1, default box checked); the driver inside the prefix clicks Next and
  polls until the final page shows, timing both ends with the performance
  counter; the run counts only when the printer was installed;
- floor: install_floor.exe (tests/e2e/driver/install_floor.cpp, a Win32
  program like the driver) makes the same file, spooler, registry, shell
  and service calls directly, with the payload's members already inflated
  and the GPC file of an installer run.

Prints every run, the medians and their ratio (the aim is at most 1.5).
Exits non-zero only when a run could not be made; the ratio is
information, not a test.
"""

import argparse
import json
import pathlib
import statistics
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "e2e"))

import harness  # noqa: E402
import wizard as wz  # noqa: E402
from payload import installer_members  # noqa: E402

AIM = 1.5
PRINTER = "Merlo 204T"
PORT_ENTRY = "LPT1"


def build_floor():
    """install_floor.exe, built beside the driver when its source is newer."""
    source = HERE.parent / "tests" / "e2e" / "driver" / "install_floor.cpp"
    exe = harness.BIN / "install_floor.exe"
    harness.BIN.mkdir(parents=True, exist_ok=True)
    if not exe.exists() or source.stat().st_mtime > exe.stat().st_mtime:
        cxx = harness._find_tool("x86_64-w64-mingw32-g++-win32", "x86_64-w64-mingw32-g++")
        harness._run([cxx, "-std=c++17", "-O2", "-Wall", "-Wextra", "-Werror", "-municode",
                      "-static", "-static-libgcc", "-static-libstdc++", "-DUNICODE", "-D_UNICODE",
                      "-DWIN32_LEAN_AND_MEAN", "-o", str(exe), str(source), "-lwinspool",
                      "-lole32", "-luuid", "-lshell32", "-ladvapi32"], timeout=300)
    return exe


def installer_run(session, number, artifacts):
    """One timed installation; returns (ms, the GPC file's bytes)."""
    with session.new_prefix(f"installer-{number}") as prefix:
        drv = prefix.driver()
        wizard = wz.start_wizard(prefix, session.installer, "en_US.UTF-8", "English",
                                 log=artifacts / f"installer-{number}.log")
        wizard.click(wz.NEXT)
        wizard.wait_page("folder")
        wizard.click(wz.NEXT)
        wizard.wait_page("printer")
        wizard.select(wz.PORT, text=PORT_ENTRY)
        harness.wait_until(lambda: not wizard.controls()[wz.BAUD]["enabled"], wz.STEP_TIMEOUT,
                           what="the LPT port to be taken")
        if not wizard.controls()[wz.SET_DEFAULT]["checked"]:
            wizard.click(wz.SET_DEFAULT)
            harness.wait_until(lambda: wizard.controls()[wz.SET_DEFAULT]["checked"],
                               wz.STEP_TIMEOUT, what="the default box")
        ms = drv.click_wait(wizard.hwnd, wz.NEXT, wz.NEXT, "hidden", timeout=120)
        if PRINTER not in [p["name"] for p in drv.printers()]:
            raise harness.HarnessError(f"installer run {number} installed no printer")
        driver_dir = drv.folders()["driverDirectory"]
        gpc = prefix.path / "drive_c" / driver_dir[3:].replace("\\", "/") / f"{PRINTER}GPC.pcd"
        return ms, gpc.read_bytes()


def floor_run(session, number, floor_exe, members, gpc, artifacts):
    with session.new_prefix(f"floor-{number}") as prefix:
        drv = prefix.driver()
        drive_c = prefix.path / "drive_c"
        source = drive_c / "floor-members"
        source.mkdir()
        for name, data in members.items():
            (source / name).write_bytes(data)
        (drive_c / "floor.pcd").write_bytes(gpc)
        folders = drv.folders()
        chosen = drv.info()["programFiles"] + "\\Label Printer Driver V 1.0"
        (drive_c / chosen[3:].replace("\\", "/")).mkdir(parents=True)
        log = artifacts / f"floor-{number}.log"
        proc = prefix.start(floor_exe, "en_US.UTF-8", log=log,
                            args=["C:\\floor-members", f"{chosen}\\{PRINTER}", PRINTER, "LPT1:",
                                  folders["startMenu"], "C:\\floor.pcd"])
        prefix.wait_exit(proc, 120)
        answer = json.loads(log.read_text("utf-8", "replace").strip().splitlines()[-1])
        if not answer.get("ok"):
            raise harness.HarnessError(f"floor run {number}: {answer.get('error')}")
        if PRINTER not in [p["name"] for p in drv.printers()]:
            raise harness.HarnessError(f"floor run {number} installed no printer")
        return answer["ms"]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--installer", default=str(harness.DEFAULT_INSTALLER))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--artifacts", default=str(harness.BUILD / "bench"))
    args = parser.parse_args(argv)
    installer = pathlib.Path(args.installer)
    if not installer.is_file():
        print(f"install benchmark: no installer at {installer}")
        return 2
    artifacts = pathlib.Path(args.artifacts).resolve()
    artifacts.mkdir(parents=True, exist_ok=True)
    floor_exe = build_floor()
    session = harness.Session(installer, artifacts, prefetch=2 * args.runs)
    try:
        members = installer_members(session.installer)
        installs, floors = [], []
        # Interleaved, so that a change of the machine's load meets both.
        for number in range(1, args.runs + 1):
            ms, gpc = installer_run(session, number, artifacts)
            installs.append(ms)
            floor = floor_run(session, number, floor_exe, members, gpc, artifacts)
            floors.append(floor)
            print(f"run {number}: installer {ms} ms, floor {floor} ms", flush=True)
    except (harness.HarnessError, TimeoutError, AssertionError, harness.DriverError) as exc:
        print(f"install benchmark FAILED: {exc}")
        return 1
    finally:
        session.close()
    install_ms, floor_ms = statistics.median(installs), statistics.median(floors)
    ratio = install_ms / floor_ms if floor_ms else float("inf")
    print(f"installation, Next on the printer page to the success page: median {install_ms:.0f} ms "
          f"(runs {', '.join(map(str, installs))})")
    print(f"floor, the same calls made directly: median {floor_ms:.0f} ms "
          f"(runs {', '.join(map(str, floors))})")
    print(f"ratio {ratio:.2f} (aim at most {AIM})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
