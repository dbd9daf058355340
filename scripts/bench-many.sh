#!/usr/bin/env bash
# Many small files: the hash job over folders of N files of S bytes.
#
#   scripts/bench-many.sh [native|wine|both]     (default: both)
#
# native: the job with a window that only records (bench/ManyFilesBench.cpp),
#         all four digests and every report line, against
#         `rhash --md5 --sha1 --sha256 --crc32 -r` over the same page-cached
#         folder, the median of BENCH_REPS runs each, in the same run.
# wine:   Varudodi.exe started with the folder, every option on (an INI file
#         beside a copy of the program), on a virtual display of its own;
#         VarudodiProbe waits until the job has ended, timing the window's
#         answer to a message every few milliseconds, then checks that the
#         view holds every file's block exactly once, in queue order.
#
# Environment: BENCH_REPS (default 5; the Wine runs use BENCH_WINE_REPS, default
# 3, and report medians, the longest answer over all runs), BENCH_NATIVE_SETS and BENCH_WINE_SETS
# (space-separated COUNTxBYTES, defaults "20000x4096" and
# "1000x100 20000x4096"). Prints markdown tables; docs/benchmarks.md holds a run.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

which_runs=${1:-both}
reps=${BENCH_REPS:-5}
wine_reps=${BENCH_WINE_REPS:-3}
native_sets=${BENCH_NATIVE_SETS:-20000x4096}
wine_sets=${BENCH_WINE_SETS:-1000x100 20000x4096}
native_build=build/many-release
windows_build=build/many-windows
data=build/many-data
# shellcheck source=/dev/null
[[ -f /root/.ccache_env ]] && source /root/.ccache_env

build() {
    cmake --preset native-release -B "$native_build" >/dev/null
    cmake --build "$native_build" -j2 --target manyfilesbench >/dev/null
    if [[ $which_runs != native ]]; then
        cmake --preset windows -B "$windows_build" >/dev/null
        cmake --build "$windows_build" -j2 --target Varudodi VarudodiProbe >/dev/null
    fi
}

# The folder of a set "COUNTxBYTES", created on first use, then page-cached.
folder_of() {
    local count=${1%x*} bytes=${1#*x}
    local folder="$data/$1"
    if [[ ! -d $folder || $(find "$folder" -type f | wc -l) -ne $count ]]; then
        rm -rf "$folder"
        "$native_build/bench/manyfilesbench" create "$folder" "$count" "$bytes"
    fi
    cat "$folder"/* >/dev/null
    echo "$folder"
}

field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<" $1"; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                              else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

native() {
    echo "### Native (Linux, OpenSSL): the job with a recording window against rhash"
    echo
    echo "Median of $reps runs; all four digests, every report line on; page-cached files."
    echo
    echo "| Files | t_job (s) | rhash -r (s) | t_job / rhash | Load average before |"
    echo "|---:|---:|---:|---:|---|"
    local set
    for set in $native_sets; do
        local folder line seconds start end before job_times=() rhash_times=()
        folder=$(folder_of "$set")
        before=$(load)
        for ((i = 0; i < reps; i++)); do
            line=$("$native_build/bench/manyfilesbench" job "$folder")
            job_times+=("$(field "$line" seconds)")
            start=$(date +%s.%N)
            rhash --md5 --sha1 --sha256 --crc32 -r "$folder" >/dev/null
            end=$(date +%s.%N)
            rhash_times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
        done
        local job rhash_median
        job=$(printf '%s\n' "${job_times[@]}" | median)
        rhash_median=$(printf '%s\n' "${rhash_times[@]}" | median)
        echo "| ${set%x*} of ${set#*x} B | $job | $rhash_median |" \
            "$(awk -v j="$job" -v r="$rhash_median" 'BEGIN { printf "%.2f", j / r }') | $before |"
    done
    echo
    echo "Target: t_job / rhash <= 1.5."
    echo
}

wine_runs() {
    # shellcheck source=wine-env.sh
    source "$ROOT/scripts/wine-env.sh"
    wine_env_init wine-many
    trap wine_env_cleanup EXIT
    wine_env_start_xvfb
    wine_env_prepare_prefix
    wine_env_keep_server || true  # kept running between the runs: its start is not the job's time

    # A copy of the program with every option on, kept apart from other runs.
    local app="$ROOT/build/many-app"
    mkdir -p "$app"
    cp "$windows_build/src/ui/Varudodi.exe" "$app/"
    printf '[Setting]\r\nMD5=1\r\nSHA1=1\r\nCRC32=1\r\nSHA256=1\r\nPath=1\r\nSize=1\r\nVer=1\r\nTime=1\r\nCalcTime=1\r\nUpcase=1\r\n' \
        >"$app/Varudodi.ini"
    local probe="$windows_build/tests/probe/VarudodiProbe.exe"

    echo "### Wine (Windows build, CryptoAPI): Varudodi.exe started with the folder"
    echo
    echo "Every option on; page-cached files; the median of $wine_reps runs each, the longest"
    echo "answer of all of them. t_window: from the window being shown to the job's end (the"
    echo "folder scan comes before it); t_launch: from the start of the process to the job's end."
    echo
    echo "| Files | t_window (s) | t_launch (s) | Longest answer (ms) | Messages answered | Blocks in queue order | Load average before |"
    echo "|---:|---:|---:|---:|---:|---|---|"
    local set
    for set in $wine_sets; do
        local folder winfolder before check="yes" windows=() launches=() longest=0 answers=0
        folder=$(folder_of "$set")
        winfolder=$(winepath -w "$(realpath "$folder")" 2>/dev/null)
        before=$(load)
        for ((i = 0; i < wine_reps; i++)); do
            local start line end run_check answer
            start=$(date +%s.%N)
            wine "$app/Varudodi.exe" "$winfolder" >/dev/null 2>&1 &
            local app_pid=$!
            wine "$probe" wait-window 120000 >/dev/null
            line=$(wine "$probe" watch-job 3600000 | tr -d '\r')
            end=$(date +%s.%N)
            launches+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')")
            windows+=("$(field "$line" seconds)")
            answer=$(field "$line" longest_answer_ms)
            if ((answer > longest)); then longest=$answer; fi
            answers=$(field "$line" answers)
            wine "$probe" text | tr -d '\r' >"$data/$set.view.txt"
            wine "$probe" close 60000 >/dev/null || true
            wait "$app_pid" || true
            run_check=$(check_view "$data/$set.view.txt" "$winfolder" "${set%x*}")
            if [[ $run_check != yes ]]; then check=$run_check; fi
        done
        echo "| ${set%x*} of ${set#*x} B | $(printf '%s\n' "${windows[@]}" | median) |" \
            "$(printf '%s\n' "${launches[@]}" | median) | $longest | $answers | $check | $before |"
    done
    echo
    echo "Targets: 1000 files of 100 B <= 3 s; 20000 files of 4 KiB <= 60 s, every answer <= 100 ms."
    echo
}

# "yes" when the view holds every file's block exactly once, in the order in
# which the folder scan lists them (the queue's order).
check_view() {
    local view=$1 winfolder=$2 count=$3
    local names listed
    names=$(grep -a '^文件名称: ' "$view" | sed 's/.*\\//')
    listed=$(wine cmd /c dir /b /a-d "$winfolder" 2>/dev/null | tr -d '\r')
    if [[ $(wc -l <<<"$names") -eq $count && $names == "$listed" ]]; then
        echo yes
    else
        echo "NO ($(wc -l <<<"$names") name lines)"
    fi
}

build
mkdir -p "$data"
if [[ $which_runs != wine ]]; then native; fi
if [[ $which_runs != native ]]; then wine_runs; fi
