# Downloads with SuiteDiag from local HTTP and FTP test servers (127.0.0.1 only, ended after
# ten minutes at the latest), an interrupted file and its resume included.
# shellcheck shell=bash
download_server="$root/suitecore/net/tests/servers/net_test_server.py"
download_state=$(mktemp -d /tmp/suite-demo-server.XXXXXX)
download_stop() {
    /usr/bin/python3 "$download_server" stop --state "$download_state" || true
    rm -rf "$download_state"
}
trap 'download_stop; cleanup' EXIT

step "Starting local HTTP and FTP test servers"
/usr/bin/python3 "$download_server" start --state "$download_state" --ftp --lifetime 600 | grep _port
download_port=$(sed -n 's/^http_port=//p' "$download_state/servers.ini")
download_ftp_port=$(sed -n 's/^ftp_port=//p' "$download_state/servers.ini")
download_url="http://127.0.0.1:$download_port"
mkdir -p "$WINEPREFIX/drive_c/Downloads"
printf 'Lumasweep definitions, served over FTP\n' >"$download_state/ftp/definitions.txt"

step "Two files over HTTP (one behind a redirect) and one over FTP"
diag download "$download_url/data/200000/report.bin?lang=en" 'C:\Downloads\report.bin' \
    "$download_url/redirect/302/1/data/5000/moved.bin" 'C:\Downloads\moved.bin' \
    "ftp://127.0.0.1:$download_ftp_port/definitions.txt" 'C:\Downloads\definitions.txt'

step "A download the server cuts short after 100000 bytes (SuiteDiag answers no retry)"
diag download "$download_url/data/300000/big.bin?cut=100000" 'C:\Downloads\big.bin' || true
ls -l "$WINEPREFIX/drive_c/Downloads/big.bin" | awk '{print "big.bin on disk: " $5 " bytes"}'

step "The same download again: it resumes from byte 100000"
diag download "$download_url/data/300000/big.bin?tag=resume" 'C:\Downloads\big.bin' |
    grep -v -e '^speed' -e '^elapsed' -e '^remaining'
sed 's/^/the server saw: /' "$download_state/log/resume.log"
ls -l "$WINEPREFIX/drive_c/Downloads" | sed 1d

step "Stopping the test servers"
download_stop
trap cleanup EXIT
