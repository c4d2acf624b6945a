# Downloads over HTTPS with SuiteDiag from a local server (127.0.0.1 only, ended after ten
# minutes at the latest) whose certificate comes from a throwaway test CA made here with
# openssl. The CA is trusted in this prefix's machine Root store only for this part; the host's
# trust store is never touched.
# shellcheck shell=bash
https_server="$root/suitecore/net/tests/servers/net_test_server.py"
https_state=$(mktemp -d /tmp/suite-demo-https.XXXXXX)
https_thumbprint=
https_stop() {
    if [ -n "$https_thumbprint" ]; then
        wine "$bin/test_root_ca.exe" remove "$https_thumbprint" || true
    fi
    /usr/bin/python3 "$https_server" stop --state "$https_state" || true
    rm -rf "$https_state"
}
trap 'https_stop; cleanup' EXIT

mkdir -p "$WINEPREFIX/drive_c/Downloads"
step "A throwaway test CA and a server certificate for localhost, made with openssl"
"$root/suitecore/net/tests/servers/make_test_certs.sh" "$https_state/certs"
openssl x509 -in "$https_state/certs/localhost.pem" -noout -subject -issuer -ext subjectAltName
/usr/bin/python3 "$https_server" start --state "$https_state" --lifetime 600 \
    --tls "$https_state/certs/localhost.pem" "$https_state/certs/localhost.key" | grep _port
https_url="https://localhost:$(sed -n 's/^https_port=//p' "$https_state/servers.ini")"
https_plain="http://127.0.0.1:$(sed -n 's/^http_port=//p' "$https_state/servers.ini")"

step "Before the CA is trusted, the download fails in the TLS handshake"
diag download "$https_url/data/100000/untrusted.bin" 'C:\Downloads\untrusted.bin' 2>&1 |
    grep -e '^failed' -e 'error' -e '^done' || true

step "The test CA added to the prefix's machine Root store"
https_thumbprint=$(wine "$bin/test_root_ca.exe" add "$(winepath -w "$https_state/certs/ca.cer")" | tr -d '\r')
echo "thumbprint $https_thumbprint"

step "Over HTTPS now: a download the server cuts short after 40000 bytes"
diag download "$https_url/data/100000/secure.bin?cut=40000" 'C:\Downloads\secure.bin' 2>&1 |
    grep -e '^failed' -e '^done' || true

step "Its resume over HTTPS, and an http:// address that redirects to https://"
diag download "$https_url/data/100000/secure.bin?tag=https" 'C:\Downloads\secure.bin' \
    "$https_plain/data/5000/upgraded.bin?tag=https&to=$https_url/data/5000/upgraded.bin%3Ftag%3Dhttps" \
    'C:\Downloads\upgraded.bin' | grep -v -e '^speed' -e '^elapsed' -e '^remaining'
sed 's/^/the server saw: /' "$https_state/log/https.log"

step "A redirect from https:// back to http:// is refused"
diag download "$https_url/data/10/down.bin?to=$https_plain/data/10/down.bin" 'C:\Downloads\down.bin' 2>&1 |
    grep -e '^failed' -e 'error' -e '^done' || true

step "The CA removed again (its registry key deleted): the download fails once more"
wine "$bin/test_root_ca.exe" remove "$https_thumbprint"
wine "$bin/test_root_ca.exe" has "$https_thumbprint" || echo "the CA is no longer in the Root store"
https_thumbprint=
diag download "$https_url/data/100000/again.bin" 'C:\Downloads\again.bin' 2>&1 |
    grep -e '^failed' -e 'error' -e '^done' || true
ls -l "$WINEPREFIX/drive_c/Downloads" | sed 1d

step "Stopping the HTTPS test server"
https_stop
trap cleanup EXIT
