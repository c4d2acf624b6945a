# Download throughput: SuiteDiag download (SuiteCore's downloader under Wine's WinInet)
# against curl (native), both fetching the same 512 MiB file from the same local server in
# this run. Sourced by scripts/bench with its arguments (--tsv for the TSV line only).
# shellcheck shell=bash
bench_download() {
    local tsv=0 arg
    for arg in "$@"; do [ "$arg" = "--tsv" ] && tsv=1; done
    local work server size_mib=512
    work=$(mktemp -d /tmp/suite-bench-download.XXXXXX)
    server="$root/suitecore/net/tests/servers/net_test_server.py"
    mkdir -p "$work/files"
    head -c $((size_mib << 20)) /dev/urandom >"$work/files/big.bin"
    /usr/bin/python3 "$server" start --state "$work/state" --root "$work/files" --lifetime 900 >/dev/null
    local port
    port=$(sed -n 's/^http_port=//p' "$work/state/servers.ini")
    local url="http://127.0.0.1:$port/files/big.bin"

    # Wall-clock seconds of a command.
    seconds() {
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
    }
    # The best of three runs, each writing a fresh file.
    best_rate() {
        local best=0 t rate i
        for i in 1 2 3; do
            rm -f "$work/out.bin"
            t=$(seconds "$@")
            cmp -s "$work/files/big.bin" "$work/out.bin" || { echo "0"; return; }
            rate=$(awk -v s="$size_mib" -v t="$t" 'BEGIN { print s / t }')
            best=$(awk -v a="$rate" -v b="$best" 'BEGIN { print (a > b) ? a : b }')
        done
        echo "$best"
    }
    local peer ours
    peer=$(best_rate curl -s --noproxy '*' -o "$work/out.bin" "$url")
    ours=$(best_rate wine "$bin/SuiteDiag.exe" download --no-resume "$url" "$(winepath -w "$work/out.bin")")
    local ratio
    ratio=$(awk -v o="$ours" -v p="$peer" 'BEGIN { print (p > 0) ? o / p : 0 }')
    if [ "$tsv" = 1 ]; then
        printf 'download-512MiB-http\t%.2f\tcurl\t%.2f\tMiB/s\t%.2f\n' "$ours" "$peer" "$ratio"
    else
        printf 'download of a %d MiB file over HTTP on 127.0.0.1: SuiteDiag %.2f MiB/s, curl %.2f MiB/s, ratio %.2fx\n' \
            "$size_mib" "$ours" "$peer" "$ratio"
    fi
    /usr/bin/python3 "$server" stop --state "$work/state"
    rm -rf "$work"
}
bench_download "$@"
