#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/ one after the other and prints, per
# target, the executions, the edges covered and the corpus size.
#
#   scripts/fuzz.sh [--time SECONDS] [--runs N] [--no-build] [TARGET...]
#
# --time   seconds per target (default 20); --runs stops a target earlier
#          after N executions. TARGET names are those of fuzz/CMakeLists.txt
#          (container, install_texts, ...); default: all.
# Each target starts from its seed corpus in fuzz/corpus/<target>/ and works
# in build/fuzz/work/<target>/ (the repository's corpus is never changed).
# A crash, leak or sanitizer report stops with exit status 1; the input is
# kept in build/fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=20
runs=0
build=1
targets=()
while (($#)); do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if ((${#targets[@]} == 0)); then
  targets=(container install_texts model_catalogue text_ini usb_detect member_name gpc)
fi

if ((build)); then
  cmake --preset fuzz >/dev/null
  nice cmake --build --preset fuzz -j2 >/dev/null
fi

summary=()
failed=0
for t in "${targets[@]}"; do
  exe="build/fuzz/fuzz/fuzz_$t"
  [ -x "$exe" ] || { echo "no fuzz target $t ($exe)" >&2; exit 2; }
  work="build/fuzz/work/$t"
  artifacts="build/fuzz/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  log="build/fuzz/work/$t.log"
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" -close_fd_mask=1)
  ((runs > 0)) && args+=(-runs="$runs")
  echo "---- $t: ${seconds} s$( ((runs > 0)) && echo " or $runs executions")"
  status=0
  nice "$exe" "${args[@]}" "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | awk '{print $2}' || true)
  final=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 || true)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$final")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$final")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$final")
  line=$(printf '%-16s executions %-10s edges %-6s features %-7s corpus %s' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}")
  if ((status != 0)); then
    failed=1
    line+="   FAILED (exit $status)"
    grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" | head -20 >&2 || true
  fi
  echo "$line"
  summary+=("$line")
done

echo
echo "==== fuzz summary (${seconds} s per target)"
printf '%s\n' "${summary[@]}"
exit "$failed"
