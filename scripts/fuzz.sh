#!/usr/bin/env bash
# scripts/fuzz.sh build        - configure and build the libFuzzer targets with clang
# scripts/fuzz.sh run [TARGET] - run each target (or one) for FUZZ_SECONDS (default 60)
#
# Each run starts from the committed seeds in tests/fuzz/corpus/<target> plus
# what earlier runs found interesting (kept in the build folder), and stops at
# the first finding. Any input slower than a second counts as a finding, like a
# crash, a leak or a broken check. Exits non-zero when any target found one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${FUZZ_BUILD:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=(fuzz_acdreader fuzz_leadingnumber fuzz_cp932)

build_targets() {
    CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja >/dev/null
    cmake --build "$build" -j "${JOBS:-$(nproc)}"
}

run_target() {
    local target=$1 name=${1#fuzz_}
    local work="$build/corpus/$name" findings="$build/findings/$name" log="$build/$target.log"
    mkdir -p "$work"
    rm -rf "$findings" && mkdir -p "$findings"
    local rc=0 started=$SECONDS
    "$build/$target" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
    local runs seconds_used found
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    seconds_used=$((SECONDS - started))
    found=$(find "$findings" -type f | wc -l)
    # A run that died without leaving an input behind is a finding all the same.
    if [ "$rc" -ne 0 ] && [ "$found" -eq 0 ]; then
        found=1
    fi
    printf '%-20s executions: %-10s seconds: %-5s findings: %s\n' \
        "$target" "${runs:-?}" "$seconds_used" "$found"
    if [ "$found" -ne 0 ]; then
        find "$findings" -type f -printf '    input: %p\n'
        grep -m3 -E '^(==[0-9]+==ERROR|SUMMARY|acd reader:|leading number:|cp932:)' "$log" | sed 's/^/    /' || true
        echo "    log: $log"
        return 1
    fi
}

case "${1:-run}" in
build)
    build_targets
    ;;
run)
    [ -x "$build/${targets[0]}" ] || build_targets
    [ $# -ge 2 ] && targets=("$2")
    failed=0
    for target in "${targets[@]}"; do
        run_target "$target" || failed=1
    done
    exit "$failed"
    ;;
*)
    echo "usage: $0 build | run [TARGET]" >&2
    exit 2
    ;;
esac
