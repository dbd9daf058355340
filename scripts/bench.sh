#!/usr/bin/env bash
# The hash job over one big file against the hash contexts alone, against
# rhash, and against reading the file alone from the disk; natively and under
# Wine, side by side in one run. Also the pool's cost per hand-over and per
# chunk, and the time of a small file's only chunk hashed where it is read
# against handed to the pool.
#
#   scripts/bench.sh [native|wine|both]     (default: both)
#
# Builds what it needs (build/bench-native, build/bench-windows), writes
# build/bench/data.bin (BENCH_MIB MiB of xorshift64* output) when missing and
# prints markdown tables (docs/benchmarks.md holds a run). Every figure is the
# median of BENCH_REPS runs (default 5). The cold rows drop the file from the
# page cache before each run with posix_fadvise(POSIX_FADV_DONTNEED), which
# needs no privileges.
#
# Environment: BENCH_MIB (default 1024), BENCH_REPS (default 5), BENCH_NICE
# (niceness of the measured runs, default -15 where permitted, so that other
# work on a shared machine disturbs them less), BENCH_RT=1 (run the measured
# commands under the real-time policy SCHED_FIFO instead, which shields them
# from other work far better; it needs the privilege and holds the cores for
# the length of each run), WINEPREFIX (default build/bench-wineprefix).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

which_runs=${1:-both}
mib=${BENCH_MIB:-1024}
reps=${BENCH_REPS:-5}
native_build=build/bench-native
windows_build=build/bench-windows
data=build/bench/data.bin
# shellcheck source=/dev/null
[[ -f /root/.ccache_env ]] && source /root/.ccache_env
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/bench-wineprefix} WINEDEBUG=-all
export WINEARCH=win64 LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
niceness=${BENCH_NICE:--15}
if ! nice -n "$niceness" true 2>/dev/null; then
    niceness=0
fi
priority=(nice -n "$niceness")
priority_text="niceness $niceness"
if [[ ${BENCH_RT:-0} == 1 ]] && chrt -f 1 true 2>/dev/null; then
    priority=(chrt -f 1)
    priority_text="real-time priority (SCHED_FIFO 1)"
fi
# With autogroup scheduling a niceness counts only within the session: run in
# a session of our own and raise that session's weight as well.
if [[ -z ${BENCH_OWN_SESSION:-} && -w /proc/self/autogroup ]] && command -v setsid >/dev/null; then
    BENCH_OWN_SESSION=1 exec setsid --wait "$0" "$@"
fi
if [[ -n ${BENCH_OWN_SESSION:-} ]]; then
    echo "$niceness" >/proc/self/autogroup 2>/dev/null || true
fi

native=$native_build/bench/hashbench
windows=$windows_build/bench/hashbench.exe

build() {
    if [[ $which_runs != wine ]] && ! command -v rhash >/dev/null; then
        echo "bench.sh: the native tables compare with rhash (apt-get install rhash)" >&2
        exit 1
    fi
    # The native build is needed in every case: it writes the data and
    # drops the file from the page cache.
    cmake --preset native-release -B "$native_build" >/dev/null
    cmake --build "$native_build" -j2 --target hashbench >/dev/null
    if [[ $which_runs != native ]]; then
        cmake --preset windows -B "$windows_build" >/dev/null
        cmake --build "$windows_build" -j2 --target hashbench >/dev/null
        if [[ ! -f $WINEPREFIX/system.reg ]]; then
            mkdir -p "$WINEPREFIX"
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w
        fi
    fi
}

prepare_data() {
    mkdir -p "$(dirname "$data")"
    local want=$((mib * 1024 * 1024))
    if [[ ! -f $data || $(stat -c %s "$data") -ne $want ]]; then
        "$native" create "$data" "$mib"
    fi
}

cache_data() { cat "$data" >/dev/null; }
drop_data() { "$native" drop "$data"; }

# The value of key=... in a line of hashbench output.
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<" $1"; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                             else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs a hashbench command $reps times, before each run calling $before;
# leaves the output lines in the array `lines`.
lines=()
repeat() {
    local before=$1
    shift
    lines=()
    for ((i = 0; i < reps; i++)); do
        $before
        lines+=("$("${priority[@]}" "$@" | tr -d '\r')")
    done
}

# The median of key $1 over `lines`.
median_of() {
    local line
    for line in "${lines[@]}"; do field "$line" "$1"; done | median
}

largest_of() {
    local line
    for line in "${lines[@]}"; do field "$line" "$1"; done | sort -g | tail -1
}

# Median wall-clock seconds of a shell command, the file page-cached.
median_wall() {
    for ((i = 0; i < reps; i++)); do
        cache_data
        local start end
        start=$(date +%s.%N)
        "${priority[@]}" bash -c "$1" >/dev/null
        end=$(date +%s.%N)
        awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f\n", e - s }'
    done | median
}

mbps() { awk -v b="$bytes" -v s="$1" 'BEGIN { printf "%.0f", b / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

report() {
    local title=$1 runner=$2 file=$3 with_tools=$4
    local load_before
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    local -A t
    local digests=()
    local reading
    for alg in md5 sha1 sha256 crc32; do
        repeat cache_data $runner alone "$file" $alg
        t[$alg]=$(median_of seconds)
        digests+=("$(field "${lines[0]}" digest)")
    done
    reading=$(median_of read_seconds)
    local routine
    routine=$(field "${lines[0]}" crc32_routine)
    # The table routine in the same run, alone and in the job, for the gain.
    export HASHBENCH_CRC32=table
    repeat cache_data $runner alone "$file" crc32
    t[crc32_table]=$(median_of seconds)
    repeat cache_data $runner job "$file"
    t[job_table]=$(median_of seconds)
    unset HASHBENCH_CRC32

    repeat cache_data $runner job "$file"
    t[job]=$(median_of seconds)
    local cores peak chunk_times
    cores=$(field "${lines[0]}" cores)
    peak=$(largest_of above_rest_kib)
    chunk_times=$(field "${lines[0]}" chunk_ms_min_median_max)
    for line in "${lines[@]}"; do
        for d in "${digests[@]}"; do
            if [[ $line != *"$d"* ]]; then
                echo "the job's block lacks the digest $d" >&2
                exit 1
            fi
        done
    done

    repeat drop_data $runner read "$file"
    t[read_cold]=$(median_of seconds)
    repeat drop_data $runner job "$file"
    t[job_cold]=$(median_of seconds)
    peak=$(printf '%s\n%s\n' "$peak" "$(largest_of above_rest_kib)" | sort -g | tail -1)
    cache_data

    local limit efficiency
    limit=$(awk -v a="${t[md5]}" -v b="${t[sha1]}" -v c="${t[sha256]}" -v d="${t[crc32]}" \
        -v n="$cores" 'BEGIN { m = a; if (b > m) m = b; if (c > m) m = c; if (d > m) m = d;
                               s = (a + b + c + d) / n; printf "%.4f", (m > s ? m : s) }')
    efficiency=$(ratio "$limit" "${t[job]}")
    local cold_bound cold_ratio
    cold_bound=$(awk -v r="${t[read_cold]}" -v l="$limit" 'BEGIN { printf "%.4f", (r > l ? r : l) }')
    cold_ratio=$(ratio "${t[job_cold]}" "$cold_bound")

    local pool small_rows=""
    repeat true $runner pool 2000
    pool=("$(median_of task_round_trip_us)" "$(median_of std_cv_round_trip_us)"
          "$(median_of sync_round_trip_us)" "$(median_of machinery_per_chunk_us)")
    for size in 4096 16384 65536 131072 262144 1048576; do
        repeat true $runner small $size 300
        small_rows+="| $size | $(median_of in_place_us) | $(median_of handed_over_us) |"$'\n'
    done

    echo "### $title"
    echo
    echo "File: $bytes bytes; $cores cores; medians of $reps runs at $priority_text;" \
        "load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)."
    echo
    echo "| Measurement | Seconds | MB/s |"
    echo "|---|---:|---:|"
    echo "| t_MD5 (context alone, one thread, page-cached) | ${t[md5]} | $(mbps "${t[md5]}") |"
    echo "| t_SHA1 | ${t[sha1]} | $(mbps "${t[sha1]}") |"
    echo "| t_SHA256 | ${t[sha256]} | $(mbps "${t[sha256]}") |"
    echo "| t_CRC32 (routine $routine) | ${t[crc32]} | $(mbps "${t[crc32]}") |"
    echo "| t_CRC32 by the table routine (HASHBENCH_CRC32=table) | ${t[crc32_table]} | $(mbps "${t[crc32_table]}") |"
    echo "| t_limit = max(max t_i, sum t_i / $cores) | $limit | $(mbps "$limit") |"
    echo "| reading into the chunk buffer, page-cached (in t_job, not in t_limit) | $reading | $(mbps "$reading") |"
    echo "| **t_job** (all four, page-cached) | **${t[job]}** | **$(mbps "${t[job]}")** |"
    echo "| t_job with the table routine for CRC32 (HASHBENCH_CRC32=table) | ${t[job_table]} | $(mbps "${t[job_table]}") |"
    echo "| t_read_cold (reading alone, after dropping the file from the page cache) | ${t[read_cold]} | $(mbps "${t[read_cold]}") |"
    echo "| **t_job cold** (all four, after dropping the file from the page cache) | **${t[job_cold]}** | **$(mbps "${t[job_cold]}")** |"
    local rhash=""
    if [[ $with_tools == yes ]]; then
        local coreutils
        rhash=$(median_wall "rhash --md5 --sha1 --sha256 --crc32 '$data'")
        coreutils=$(median_wall "md5sum '$data'; sha1sum '$data'; sha256sum '$data'")
        echo "| rhash --md5 --sha1 --sha256 --crc32 (page-cached) | $rhash | $(mbps "$rhash") |"
        echo "| md5sum; sha1sum; sha256sum (page-cached) | $coreutils | $(mbps "$coreutils") |"
    fi
    echo
    echo "| Target | Value |"
    echo "|---|---|"
    echo "| CRC32 alone, GB/s | **$(awk -v b="$bytes" -v s="${t[crc32]}" 'BEGIN { printf "%.2f", b / 1e9 / s }')** |"
    echo "| t_job / t_MD5 | **$(ratio "${t[job]}" "${t[md5]}")** |"
    echo "| efficiency t_limit / t_job | **$efficiency** |"
    if [[ -n $rhash ]]; then
        echo "| throughput of the job / throughput of rhash | **$(ratio "$rhash" "${t[job]}")** |"
    fi
    echo "| cold: t_job cold / max(t_read_cold, t_limit) | **$cold_ratio** |"
    echo "| peak memory of the job above the process at rest (largest of the runs) | **$peak KiB** |"
    echo
    echo "Chunk times of the first page-cached job, min/median/max: $chunk_times ms" \
        "(the time between two progress calls)."
    echo
    echo "| Pool cost | Microseconds |"
    echo "|---|---:|"
    echo "| a task handed to a worker and waited for | ${pool[0]} |"
    echo "| round trip between two threads, std::mutex and std::condition_variable | ${pool[1]} |"
    echo "| round trip between two threads, the pool's own lock and condition variable | ${pool[2]} |"
    echo "| the hashing machinery per chunk, nothing hashed (MD5, SHA1, SHA256) | ${pool[3]} |"
    echo
    echo "| One-chunk file, bytes | all four on the reading thread, µs | handed to the pool, µs |"
    echo "|---:|---:|---:|"
    printf '%s' "$small_rows"
    echo
}

build
prepare_data
bytes=$(stat -c %s "$data")
if [[ $which_runs != wine ]]; then
    report "Native (Linux, OpenSSL)" "$native" "$data" yes
fi
if [[ $which_runs != native ]]; then
    report "Wine (Windows build, CryptoAPI)" "wine $windows" "$(winepath -w "$ROOT/$data" 2>/dev/null)" no
    wineserver -k >/dev/null 2>&1 || true
fi
