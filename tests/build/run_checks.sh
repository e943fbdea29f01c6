#!/usr/bin/env bash
# Checks the built Windows executables: both installers (and their appended
# copies) and the placeholder payload programs of both architectures.
#   tests/build/run_checks.sh [BUILD_ROOT]    (default: build/ of the repository)
# Exits non-zero when an executable is missing or a check fails.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
check=(python3 "$here/check_pe.py")

# The member names that members.list promises, for the default payload, and
# the architecture of each program member by its source: prog32 i686, prog64
# x86_64, prog the installer's own (filled in per installer below).
members=()
own_arch_members=()
if [ -f "$root/payload_files/members.list" ]; then
  while IFS=$'\t' read -r name source; do
    case "$name" in ''|'#'*) continue ;; esac
    members+=(--expect-member "$name")
    case "$source" in
      prog32:*) members+=(--member-machine "$name=i686") ;;
      prog64:*) members+=(--member-machine "$name=x86_64") ;;
      prog:*) own_arch_members+=("$name") ;;
    esac
  done < "$root/payload_files/members.list"
fi

run() {
  "${check[@]}" "$@" || failed=1
  echo
}

failed=0
# The checker itself first: its readers must reject damaged input.
python3 "$here/test_check_pe.py" || failed=1
if [ -f "$build/win32/LabelPrinterSetup.exe" ]; then
  CHECK_PE_EXE="$build/win32/LabelPrinterSetup.exe" CHECK_PE_ARCH=i686 \
    python3 "$here/test_check_pe.py" BuiltInstallerTest || failed=1
fi
echo

for pair in win32:i686 win64:x86_64; do
  dir="$build/${pair%%:*}"
  arch="${pair##*:}"
  exe="$dir/LabelPrinterSetup.exe"
  if [ ! -f "$exe" ]; then
    echo "$exe: FAIL  not built"
    failed=1
    continue
  fi
  payload=()
  container="$dir/res/payload/container.bin"
  if [ -f "$container" ]; then
    payload=(--payload-file "$container" "${members[@]}")
    for name in "${own_arch_members[@]}"; do
      payload+=(--member-machine "$name=$arch")
    done
  fi
  run "$exe" --arch "$arch" "${payload[@]}"
  if [ -f "$dir/LabelPrinterSetup-appended.exe" ]; then
    run "$dir/LabelPrinterSetup-appended.exe" --arch "$arch" --appended "${payload[@]}"
  fi
done

# Payload programs: each Windows build makes both architectures; check the
# first build that has them.
for dir in "$build/win32" "$build/win64"; do
  [ -d "$dir/res/payload-programs-i686/bin" ] || continue
  for arch in i686 x86_64; do
    bin="$dir/res/payload-programs-$arch/bin"
    for f in plotter.dll CHISMPL.DLL CHITRAD.DLL ENGLISH.DLL Image.dll; do
      run "$bin/$f" --arch "$arch" --program --dll --only-exports
    done
    # The configuration library: every entry point the spooler may call.
    plotui=()
    for e in DrvDocumentPropertySheets DrvDevicePropertySheets DrvDeviceCapabilities \
             DrvConvertDevMode DrvPrinterEvent DrvDriverEvent DevQueryPrintEx DrvUpgradePrinter; do
      plotui+=(--export "$e")
    done
    run "$bin/plotui.dll" --arch "$arch" --program --dll --only-exports "${plotui[@]}"
    run "$bin/Rad80PrinterMon.dll" --arch "$arch" --program --dll --only-exports \
      --export InitializePrintMonitor2
    run "$bin/Rad80PrinterMonUI.dll" --arch "$arch" --program --dll --only-exports \
      --export InitializePrintMonitorUI
    run "$bin/Uninstaller.exe" --arch "$arch" --program
    run "$bin/VorskPrinterService.exe" --arch "$arch" --program --only-exports \
      --import 'advapi32.dll!StartServiceCtrlDispatcherW' \
      --import 'advapi32.dll!RegisterServiceCtrlHandlerExW' --import 'advapi32.dll!SetServiceStatus'
  done
  break
done

if [ "$failed" -ne 0 ]; then
  echo "executable checks: FAILED"
  exit 1
fi
echo "executable checks: all passed"
