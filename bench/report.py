#!/usr/bin/env python3
"""Runs every benchmark program of a build tree once and prints each ratio
beside its target.

Ratios are taken between benchmarks of the same program in the same run, so
the machine's load falls on both sides. CPU time is used: it is what the code
costs, whatever else the shared machine does.

Usage: report.py BUILD_DIR [--short] [--strict]
  --short   brief runs (CI): figures are indicative, misses do not fail
  --strict  exit 1 when a target is missed
"""
import json
import os
import subprocess
import sys

# (program, what, numerator, denominator or None, target, kind)
#   kind "ratio": numerator/denominator <= target
#   kind "max":   numerator's value (ns, or the counter named after "@") <= target
#   kind "info":  reported, no target
CHECKS = [
    ("library_bench", "Set_Data, 9x, against its bare port write", "SetData_9x", "BarePortWrite", 1.5, "ratio"),
    ("library_bench", "Set_Data, NT, against the bare dispatch of its request", "SetData_Nt",
     "BareDataRequestDispatch", 1.5, "ratio"),
    ("library_bench", "traced call, cost per call, 1M appends against 1k (amortised constant)",
     "TracedSetData/1000000@per_item", "TracedSetData/1000@per_item", None, "info"),
    ("library_bench", "trace capacity per length after 1M appends", "TracedSetData/1000000@capacity_per_length",
     None, 2.0, "max"),
    ("library_bench", "Get_Trace_Buffer on 17 MB against 120 bytes (copies nothing)", "GetTraceBuffer/1000000",
     "GetTraceBuffer/10", 1.5, "ratio"),
    ("dut_bench", "write cycle, 9x, no BUSY pin, against its ten bare port accesses", "BM_WriteCycle_Win9x",
     "BM_TenBarePortAccesses", 1.3, "ratio"),
    ("dut_bench", "write cycle, NT, through the request path (ns)", "BM_WriteCycle_NtDriverRequests", None, None,
     "info"),
    ("bench_driver", "data request with the debug-print client against logging off", "BM_DataRequestLoggingActive",
     "BM_DataRequestLoggingOff", None, "info"),
    ("bench_driver", "DebugPrintFormat producer cost (ns)", "BM_DebugPrintFormatProducer/iterations:200000", None, 1000.0, "max"),
    ("bench_driver", "writer draining a full queue, per record (ns)",
     "BM_WriterDrainsFullQueue/10000/real_time@per_item", None, None, "info"),
]

PROGRAMS = {"library_bench": "bench/library_bench", "dut_bench": "bench/dut_bench", "bench_driver": "bench/bench_driver"}


def run(build, program, short):
    path = os.path.join(build, PROGRAMS[program])
    if not os.path.exists(path):
        return None
    args = [path, "--benchmark_format=json"]
    args.append("--benchmark_min_time=0.02" if short else "--benchmark_min_time=0.5")
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    results = {}
    for b in json.loads(out)["benchmarks"]:
        results[b["name"]] = b
    return results


def value(results, name):
    bench_name, _, counter = name.partition("@")
    b = results.get(bench_name)
    if b is None:
        return None
    if counter == "per_item":
        # Nanoseconds per item, from the benchmark's own items count.
        rate = b.get("items_per_second")
        if rate:
            return 1e9 / rate
        return None
    if counter:
        return b.get(counter)
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
    # Benchmarks that measure another thread's work report wall-clock time.
    measured = b["real_time"] if bench_name.endswith("/real_time") else b["cpu_time"]
    return measured * scale


def main():
    build = sys.argv[1]
    short = "--short" in sys.argv
    strict = "--strict" in sys.argv
    cache = {}
    passed = missed = 0
    print(f"{'result':7} {'figure':>12} {'target':>8}  what")
    for program, what, num, den, target, kind in CHECKS:
        if program not in cache:
            cache[program] = run(build, program, short)
        results = cache[program]
        if results is None:
            print(f"{'absent':7} {'':>12} {'':>8}  {what} ({program} not built)")
            continue
        a = value(results, num)
        b = value(results, den) if den else None
        if a is None or (den and b is None):
            print(f"{'absent':7} {'':>12} {'':>8}  {what}")
            continue
        figure = a / b if den else a
        shown = f"{figure:.2f}x" if den else f"{figure:.2f}"
        if kind == "info" or target is None:
            print(f"{'info':7} {shown:>12} {'-':>8}  {what}")
            continue
        ok = figure <= target
        passed += ok
        missed += not ok
        limit = f"<={target}x" if den else f"<={target:g}"
        print(f"{'pass' if ok else 'MISS':7} {shown:>12} {limit:>8}  {what}")
    print(f"targets: {passed} met, {missed} missed" + (" (short runs: indicative only)" if short else ""))
    return 1 if (strict and missed) else 0


if __name__ == "__main__":
    sys.exit(main())
