#!/usr/bin/env bash
# Runs every benchmark program of BUILD_DIR/bench and prints one table: each
# benchmark's time beside its baseline and their ratio. A benchmark named
# NAME_Baseline (arguments after a "/" kept) is the baseline of NAME in the
# same program, measured in the same run.
#   scripts/bench.sh [BUILD_DIR] [benchmark options...]
# e.g. scripts/bench.sh build --benchmark_min_time=0.2
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
shift || true
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

found=0
for program in "$build"/bench/*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  found=1
  name=$(basename "$program")
  echo "== $name" >&2
  if ! "$program" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" \
    > "$out/$name.out" 2> "$out/$name.err"; then
    echo "$name failed:" >&2
    cat "$out/$name.err" >&2
    rm -f "$out/$name.json"
  fi
done
[ "$found" = 1 ] || { echo "no benchmark programs in $build/bench" >&2; exit 1; }

python3 - "$out" <<'EOF'
import json, os, sys

def pretty(seconds):
    for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6), ("ns", 1e-9)):
        if seconds >= scale or unit == "ns":
            return f"{seconds / scale:.3g} {unit}"

scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
rows = []
for file in sorted(os.listdir(sys.argv[1])):
    if not file.endswith(".json"):
        continue
    with open(os.path.join(sys.argv[1], file)) as f:
        try:
            report = json.load(f)
        except json.JSONDecodeError:
            continue
    program = file[:-5]
    times = {}
    order = []
    for b in report.get("benchmarks", []):
        if b.get("run_type", "iteration") != "iteration" or "error_occurred" in b:
            continue
        name = b["name"]
        if name not in times:
            order.append(name)
        times[name] = b["real_time"] * scale[b.get("time_unit", "ns")]
    for name in order:
        base, _, args = name.partition("/")
        if base.endswith("_Baseline"):
            continue
        baseline_name = base + "_Baseline" + ("/" + args if args else "")
        baseline = times.get(baseline_name)
        ratio = f"{times[name] / baseline:.2f}" if baseline else "—"
        rows.append((f"{program}: {name}", pretty(times[name]),
                     pretty(baseline) if baseline else "—", ratio))

header = ("path", "now", "baseline", "ratio")
widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
EOF
