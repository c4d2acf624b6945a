# Download throughput: SuiteDiag download (SuiteCore's downloader under Wine's WinInet)
# against curl (native), both fetching the same 512 MiB file from the same local server in
# this run; then the same over HTTPS with a 64 MiB file, from the server's TLS listener with a
# throwaway test CA (trusted by curl through --cacert, and in the prefix's Root store only for
# these runs). Sourced by scripts/bench with its arguments (--tsv for the TSV lines only).
# shellcheck shell=bash
bench_download() {
    local tsv=0 arg
    for arg in "$@"; do [ "$arg" = "--tsv" ] && tsv=1; done
    local work server size_mib=512 tls_mib=64
    work=$(mktemp -d /tmp/suite-bench-download.XXXXXX)
    server="$root/suitecore/net/tests/servers/net_test_server.py"
    mkdir -p "$work/files"
    head -c $((size_mib << 20)) /dev/urandom >"$work/files/big.bin"
    head -c $((tls_mib << 20)) "$work/files/big.bin" >"$work/files/tls.bin"
    "$root/suitecore/net/tests/servers/make_test_certs.sh" "$work/certs"
    /usr/bin/python3 "$server" start --state "$work/state" --root "$work/files" --lifetime 1200 \
        --tls "$work/certs/localhost.pem" "$work/certs/localhost.key" >/dev/null
    local port tls_port
    port=$(sed -n 's/^http_port=//p' "$work/state/servers.ini")
    tls_port=$(sed -n 's/^https_port=//p' "$work/state/servers.ini")
    local url="http://127.0.0.1:$port/files/big.bin"
    local tls_url="https://localhost:$tls_port/files/tls.bin"

    # Wall-clock seconds of a command.
    seconds() {
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
    }
    # The best of three runs, each writing a fresh file: best_rate SOURCE MIB COMMAND...
    best_rate() {
        local best=0 t rate i source=$1 mib=$2
        shift 2
        for i in 1 2 3; do
            rm -f "$work/out.bin"
            t=$(seconds "$@")
            cmp -s "$source" "$work/out.bin" || { echo "0"; return; }
            rate=$(awk -v s="$mib" -v t="$t" 'BEGIN { print s / t }')
            best=$(awk -v a="$rate" -v b="$best" 'BEGIN { print (a > b) ? a : b }')
        done
        echo "$best"
    }
    # report NAME LABEL MIB OURS PEER
    report() {
        local ratio
        ratio=$(awk -v o="$4" -v p="$5" 'BEGIN { print (p > 0) ? o / p : 0 }')
        if [ "$tsv" = 1 ]; then
            printf '%s\t%.2f\tcurl\t%.2f\tMiB/s\t%.2f\n' "$1" "$4" "$5" "$ratio"
        else
            printf 'download of a %d MiB file over %s: SuiteDiag %.2f MiB/s, curl %.2f MiB/s, ratio %.2fx\n' \
                "$3" "$2" "$4" "$5" "$ratio"
        fi
    }
    local peer ours out
    out=$(winepath -w "$work/out.bin")
    peer=$(best_rate "$work/files/big.bin" "$size_mib" curl -s --noproxy '*' -o "$work/out.bin" "$url")
    ours=$(best_rate "$work/files/big.bin" "$size_mib" wine "$bin/SuiteDiag.exe" download --no-resume "$url" "$out")
    report download-512MiB-http "HTTP on 127.0.0.1" "$size_mib" "$ours" "$peer"

    # HTTPS: the test CA sits in the prefix's machine Root store for these runs only.
    local thumbprint
    thumbprint=$(wine "$bin/test_root_ca.exe" add "$(winepath -w "$work/certs/ca.cer")" | tr -d '\r')
    peer=$(best_rate "$work/files/tls.bin" "$tls_mib" curl -s --noproxy '*' --cacert "$work/certs/ca.pem" \
        -o "$work/out.bin" "$tls_url")
    ours=$(best_rate "$work/files/tls.bin" "$tls_mib" wine "$bin/SuiteDiag.exe" download --no-resume "$tls_url" "$out")
    wine "$bin/test_root_ca.exe" remove "$thumbprint"
    report download-64MiB-https "HTTPS on localhost" "$tls_mib" "$ours" "$peer"

    /usr/bin/python3 "$server" stop --state "$work/state"
    rm -rf "$work"
}
bench_download "$@"
