#!/usr/bin/env bash
# Many small files, and one big file, in the window: the hash job over folders
# of N files of S bytes against the per-file floor, and the window's own
# calculation time of a big file against the job alone.
#
#   scripts/bench-many.sh [native|wine|big|all]     (default: all)
#
# native: the job with a window that only records (bench/ManyFilesBench.cpp),
#         all four digests and every report line, against
#         `rhash --md5 --sha1 --sha256 --crc32 -r` over the same page-cached
#         folder, the median of BENCH_REPS runs each, in the same run.
# wine:   Varudodi.exe started with the folder, every option on (an INI file
#         beside a copy of the program), on a virtual display of its own;
#         VarudodiProbe waits until the job has ended, timing the window's
#         answer to a message every few milliseconds, then checks that the
#         view holds every file's block exactly once, in queue order. Each run
#         is paired with the floor program (FLOOR_SOURCE, default
#         ../shared/measure/floor-many.cpp: one thread making the Windows calls
#         a file needs and nothing else) over the same folder. Then one run of
#         a build with VARUDODI_STAGE_TIMES prints where the time goes.
# big:    under Wine, a page-cached file of BENCH_BIG_MIB MiB (default 1024):
#         the calculation time the window reports against `hashbench job`
#         over the same file, in turns.
#
# Environment: BENCH_REPS (default 5; the Wine runs use BENCH_WINE_REPS, default
# 3, and report medians, the longest answer over all runs), BENCH_NATIVE_SETS and
# BENCH_WINE_SETS (space-separated COUNTxBYTES or COUNTxBYTESxFOLDERS, defaults
# "20000x4096" and "1000x100 20000x4096x20"). Prints markdown tables;
# docs/benchmarks.md holds a run.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

which_runs=${1:-all}
reps=${BENCH_REPS:-5}
wine_reps=${BENCH_WINE_REPS:-3}
native_sets=${BENCH_NATIVE_SETS:-20000x4096}
wine_sets=${BENCH_WINE_SETS:-1000x100 20000x4096x20}
big_mib=${BENCH_BIG_MIB:-1024}
floor_source=${FLOOR_SOURCE:-$ROOT/../shared/measure/floor-many.cpp}
floor_exe=build/floor-many.exe
stages_build=build/many-windows-stages
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
        cmake --build "$windows_build" -j2 --target Varudodi VarudodiProbe hashbench \
            viewinsertbench >/dev/null
        cmake --preset windows -B "$stages_build" -DVARUDODI_STAGE_TIMES=ON >/dev/null
        cmake --build "$stages_build" -j2 --target Varudodi >/dev/null
        if [[ -f $floor_source ]]; then
            x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -municode -static "$floor_source" \
                -o "$floor_exe" -ladvapi32
        fi
    fi
}

count_of() { cut -dx -f1 <<<"$1"; }
bytes_of() { cut -dx -f2 <<<"$1"; }

# The folder of a set "COUNTxBYTES[xFOLDERS]", created on first use, then
# page-cached; with FOLDERS, the files are spread over that many subfolders.
folder_of() {
    local count bytes folders
    count=$(count_of "$1")
    bytes=$(bytes_of "$1")
    folders=$(cut -dx -f3 -s <<<"$1")
    local folder="$data/$1"
    if [[ ! -d $folder || $(find "$folder" -type f | wc -l) -ne $count ]]; then
        rm -rf "$folder"
        if [[ -z $folders ]]; then
            "$native_build/bench/manyfilesbench" create "$folder" "$count" "$bytes" >/dev/null
        else
            local i
            for ((i = 0; i < folders; i++)); do
                "$native_build/bench/manyfilesbench" create "$(printf '%s/d%02d' "$folder" "$i")" \
                    $((count / folders)) "$bytes" >/dev/null
            done
        fi
    fi
    find "$folder" -type f -exec cat {} + >/dev/null
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
        local folder line start end before job_times=() rhash_times=()
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
        echo "| $(count_of "$set") of $(bytes_of "$set") B | $job | $rhash_median |" \
            "$(awk -v j="$job" -v r="$rhash_median" 'BEGIN { printf "%.2f", j / r }') | $before |"
    done
    echo
    echo "Target: t_job / rhash <= 1.0."
    echo
}

wine_start() {
    # shellcheck source=wine-env.sh
    source "$ROOT/scripts/wine-env.sh"
    wine_env_init wine-many
    trap wine_env_cleanup EXIT
    wine_env_start_xvfb
    wine_env_prepare_prefix
    wine_env_keep_server || true  # kept running between the runs: its start is not the job's time
}

# A copy of a build's program with every option on, kept apart from other runs.
wine_app() {
    local build=$1 app=$2
    mkdir -p "$app"
    cp "$build/src/ui/Varudodi.exe" "$app/"
    printf '[Setting]\r\nMD5=1\r\nSHA1=1\r\nCRC32=1\r\nSHA256=1\r\nPath=1\r\nSize=1\r\nVer=1\r\nTime=1\r\nCalcTime=1\r\nUpcase=1\r\n' \
        >"$app/Varudodi.ini"
}

# Starts the program with a path, waits for its job's end and prints the
# probe's line with "launch=<seconds>" added; the view's text goes to $3. The
# wait ($4) is wait-job, which only looks at the Start button every 50 ms, for
# timing runs, or watch-job, whose message every few milliseconds times the
# window's answers but takes processor time from the job.
wine_job() {
    local exe=$1 winpath=$2 view=$3 wait=${4:-wait-job}
    local probe="$windows_build/tests/probe/VarudodiProbe.exe"
    local start line end
    start=$(date +%s.%N)
    wine "$exe" "$winpath" >/dev/null 2>&1 &
    local app_pid=$!
    wine "$probe" wait-window 120000 >/dev/null
    line=$(wine "$probe" "$wait" 3600000 | tr -d '\r')
    end=$(date +%s.%N)
    wine "$probe" text | tr -d '\r' >"$view"
    wine "$probe" close 60000 >/dev/null || true
    wait "$app_pid" || true
    echo "$line launch=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')"
}

wine_runs() {
    local app="$ROOT/build/many-app"
    wine_app "$windows_build" "$app"
    echo "### Wine (Windows build, CryptoAPI): Varudodi.exe started with the folder"
    echo
    echo "Every option on; page-cached files; the median of $wine_reps timing runs each (the"
    echo "probe looks at the Start button every 50 ms and sends nothing), then one run with"
    echo "\`watch-job\` for the window's answers. t_window: from the window being shown to the"
    echo "job's end (the folder scan comes before it); t_launch: from the start of the process to"
    echo "the job's end; floor: the floor program over the same folder, run before each start."
    echo
    echo "| Files | t_window (s) | t_launch (s) | floor (s) | t_launch / floor | Longest answer (ms) | Messages answered | Blocks in queue order | Load average before |"
    echo "|---:|---:|---:|---:|---:|---:|---:|---|---|"
    local set
    for set in $wine_sets; do
        local folder winfolder before check="yes" windows=() launches=() floors=() longest answers
        folder=$(folder_of "$set")
        winfolder=$(winepath -w "$(realpath "$folder")" 2>/dev/null)
        before=$(load)
        for ((i = 0; i < wine_reps; i++)); do
            local line run_check
            if [[ -f $floor_exe ]]; then
                floors+=("$(field "$(wine "$floor_exe" "$winfolder" | tr -d '\r')" seconds)")
            fi
            line=$(wine_job "$app/Varudodi.exe" "$winfolder" "$data/$set.view.txt")
            launches+=("$(field "$line" launch)")
            windows+=("$(field "$line" seconds)")
            run_check=$(check_view "$data/$set.view.txt" "$winfolder" "$(count_of "$set")")
            if [[ $run_check != yes ]]; then check=$run_check; fi
        done
        line=$(wine_job "$app/Varudodi.exe" "$winfolder" "$data/$set.view.txt" watch-job)
        longest=$(field "$line" longest_answer_ms)
        answers=$(field "$line" answers)
        run_check=$(check_view "$data/$set.view.txt" "$winfolder" "$(count_of "$set")")
        if [[ $run_check != yes ]]; then check=$run_check; fi
        local launch floor="-" ratio="-"
        launch=$(printf '%s\n' "${launches[@]}" | median)
        if ((${#floors[@]})); then
            floor=$(printf '%s\n' "${floors[@]}" | median)
            ratio=$(awk -v l="$launch" -v f="$floor" 'BEGIN { printf "%.2f", l / f }')
        fi
        echo "| $(count_of "$set") of $(bytes_of "$set") B | $(printf '%s\n' "${windows[@]}" | median) |" \
            "$launch | $floor | $ratio | $longest | $answers | $check | $before |"
    done
    echo
    echo "Targets: 20000 files of 4 KiB <= 1.5x the floor; every answer <= 100 ms."
    echo
    local last=${wine_sets##* } line
    line=$(wine "$windows_build/bench/viewinsertbench.exe" "$(count_of "$last")" | tr -d '\r')
    echo "The result view alone (\`viewinsertbench $(count_of "$last")\`: a rich edit set up like the"
    echo "view takes as many blocks of every option, twenty per insertion): $(field "$line" insert_seconds) s,"
    echo "$(field "$line" us_per_block) µs a block."
    echo
    stage_times
}

# One run of the stage-timing build over the last set: where the time goes.
stage_times() {
    local set=${wine_sets##* } app="$ROOT/build/many-app-stages" table="$data/stages.txt"
    wine_app "$stages_build" "$app"
    local folder winfolder
    folder=$(folder_of "$set")
    winfolder=$(winepath -w "$(realpath "$folder")" 2>/dev/null)
    rm -f "$table"
    VARUDODI_STAGE_TIMES=$(winepath -w "$(realpath "$data")")\\stages.txt \
        wine_job "$app/Varudodi.exe" "$winfolder" "$data/stages.view.txt" >/dev/null
    echo "#### Where the time goes: $(count_of "$set") files of $(bytes_of "$set") B, one run"
    echo
    echo "Summed over the run by a build with VARUDODI_STAGE_TIMES (the job's two lanes"
    echo "together, except the window's rows, which are the UI thread's)."
    echo
    echo "| Stage | Count | Total (ms) | Mean (us) |"
    echo "|---|---:|---:|---:|"
    awk -F'\t' 'NF == 4 { printf "| %s | %s | %s | %s |\n", $1, $2, $3, $4 }' "$table"
    echo
}

big_runs() {
    local app="$ROOT/build/many-app" file="$data/big-$big_mib.bin"
    wine_app "$windows_build" "$app"
    if [[ ! -f $file || $(stat -c %s "$file") -ne $((big_mib * 1048576)) ]]; then
        head -c $((big_mib * 1048576)) /dev/urandom >"$file"
    fi
    cat "$file" >/dev/null
    local winfile
    winfile=$(winepath -w "$(realpath "$file")" 2>/dev/null)
    local jobs=() calcs=() ratios=() before
    before=$(load)
    for ((i = 0; i < wine_reps; i++)); do
        local job calc
        job=$(field "$(wine "$windows_build/bench/hashbench.exe" job "$winfile" | tr -d '\r')" seconds)
        wine_job "$app/Varudodi.exe" "$winfile" "$data/big.view.txt" >/dev/null
        calc=$(grep -a '^计算时间: ' "$data/big.view.txt" | sed 's/^计算时间: \([0-9.]*\)s.*/\1/')
        jobs+=("$job")
        calcs+=("$calc")
        ratios+=("$(awk -v c="$calc" -v j="$job" 'BEGIN { printf "%.4f", c / j }')")
    done
    echo "### Wine: one page-cached file of $big_mib MiB in the window"
    echo
    echo "The calculation time of the window's block against \`hashbench job\` over the same"
    echo "file, in turns; medians of $wine_reps runs."
    echo
    echo "| hashbench job (s) | window's calculation time (s) | ratio | Load average before |"
    echo "|---:|---:|---:|---|"
    echo "| $(printf '%s\n' "${jobs[@]}" | median) | $(printf '%s\n' "${calcs[@]}" | median) |" \
        "$(printf '%s\n' "${ratios[@]}" | median) | $before |"
    echo
    echo "Each turn, hashbench job / the window (s): $(paste -d/ <(printf '%s\n' "${jobs[@]}") \
        <(printf '%s\n' "${calcs[@]}") | tr '\n' ' ')"
    echo
    echo "Target: ratio <= 1.03."
    echo
}

# "yes" when the view holds every file's block exactly once, in the order in
# which the folder scan lists them (the queue's order: each folder's files,
# then its subfolders).
check_view() {
    local view=$1 winfolder=$2 count=$3
    local names listed
    names=$(grep -a '^文件名称: ' "$view" | sed 's/^文件名称: //')
    listed=$(wine cmd /c dir /b /s /a-d "$winfolder" 2>/dev/null | tr -d '\r')
    if [[ $(wc -l <<<"$names") -eq $count && $names == "$listed" ]]; then
        echo yes
    else
        echo "NO ($(wc -l <<<"$names") name lines)"
    fi
}

build
mkdir -p "$data"
if [[ $which_runs == native || $which_runs == all ]]; then native; fi
if [[ $which_runs != native ]]; then wine_start; fi
if [[ $which_runs == wine || $which_runs == all ]]; then wine_runs; fi
if [[ $which_runs == big || $which_runs == all ]]; then big_runs; fi
