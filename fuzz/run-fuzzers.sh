#!/usr/bin/env bash
# run-fuzzers.sh SEEDS BINDIR SECONDS FUZZER...: runs each fuzzer for SECONDS on a working corpus
# (new finds go to BINDIR/corpus/NAME, the seeds in SEEDS/NAME stay as they are), then prints
# how many inputs each ran. A crash, leak, timeout or broken property stops with the input saved
# as BINDIR/crash-* (or leak-*, timeout-*). CHROMET_FUZZ_RUNS=N runs N inputs each instead.
set -euo pipefail
seeds=$1 bindir=$2 seconds=$3
shift 3
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$bindir/no-data
limit=-max_total_time=$seconds
[ -n "${CHROMET_FUZZ_RUNS:-}" ] && limit=-runs=$CHROMET_FUZZ_RUNS
status=0
for fuzzer in "$@"; do
    mkdir -p "$bindir/corpus/$fuzzer"
    log=$bindir/$fuzzer.log
    echo "== $fuzzer ($limit)"
    if ! "$bindir/$fuzzer" "$limit" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$bindir/" \
        "$bindir/corpus/$fuzzer" "$seeds/$fuzzer" >"$log" 2>&1; then
        status=1
        tail -n 40 "$log"
    fi
    grep -aE "stat::number_of_executed_units|Done [0-9]+ runs" "$log" || true
done
exit $status
