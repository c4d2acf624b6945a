# Signed definition updates against a local site (127.0.0.1 only, ended after ten minutes at
# the latest): an archive signed with the debug tree's test key is installed, a tampered one
# is refused while the installed archive stays, and the release build, which trusts no test
# key, refuses the same signature (sourced by scripts/demo).
# shellcheck shell=bash
signed_server="$root/suitecore/net/tests/servers/net_test_server.py"
signed_state=$(mktemp -d /tmp/suite-demo-signed.XXXXXX)
signed_stop() {
    /usr/bin/python3 "$signed_server" stop --state "$signed_state" || true
    rm -rf "$signed_state"
}
trap 'signed_stop; cleanup' EXIT

# The debug tree's SuiteDiag trusts its tree's test key; the release tree's trusts none. The
# demo built one of them; build SuiteDiag in the other.
for signed_preset in debug release; do
    if [ ! -f "$root/build/$signed_preset/bin/SuiteDiag.exe" ] || [ "$signed_preset" != "$preset" ]; then
        step "Building SuiteDiag of the $signed_preset tree"
        cmake --preset "$signed_preset" >/dev/null
        cmake --build --preset "$signed_preset" --target SuiteDiag >/dev/null
    fi
done
signed_key="$root/build/debug/definition_test_key/test_definition_key.pem"

# Each build gets a folder of its own in the prefix, with its own archive.
for signed_preset in debug release; do
    signed_dir="$WINEPREFIX/drive_c/SignedDemo/$signed_preset"
    mkdir -p "$signed_dir"
    for f in framework.dll suitecore.dll qmnhtm.dll QMN.ini SuiteDiag.exe libgcc_s_dw2-1.dll libwinpthread-1.dll; do
        cp "$root/build/$signed_preset/bin/$f" "$signed_dir/"
    done
done
signed_diag() { # PRESET ARGS...
    local which=$1
    shift
    printf '> SuiteDiag (%s build) %s\n' "$which" "$*"
    wine "C:\\SignedDemo\\$which\\SuiteDiag.exe" "$@" | tr -d '\r'
}
signed_archive() { # PRESET
    local file="$WINEPREFIX/drive_c/SignedDemo/$1/Completedatabase.zip"
    if [ -f "$file" ]; then printf '  %s archive in place: %s\n' "$1" "$(cat "$file")"; else echo "  $1: no archive in place"; fi
}

step "Starting a local site for signed definitions"
/usr/bin/python3 "$signed_server" start --state "$signed_state" --lifetime 600 | grep http_port
signed_port=$(sed -n 's/^http_port=//p' "$signed_state/servers.ini")
signed_base="http://127.0.0.1:$signed_port/site/signed"
signed_site="$signed_state/site/signed"
mkdir -p "$signed_site/antispywareupdates/CompleteDatabase"

# Publishes FILE with the SHA-1 and SHA-256 of DIGESTS_OF, and VERSION signed over the
# SHA-256 of SIGNED_OF: "<sha256>:<version>", signed with the debug tree's test key.
signed_publish() { # FILE DIGESTS_OF SIGNED_OF VERSION
    local sha256 signed signature
    sha256=$(sha256sum "$signed_site/$2" | cut -d' ' -f1)
    signed=$(sha256sum "$signed_site/$3" | cut -d' ' -f1)
    signature=$(printf '%s:%s' "$signed" "$4" | openssl dgst -sha256 -sign "$signed_key" | od -An -v -tx1 | tr -d ' \n')
    printf '[AntiSpyUpdates]\r\nSHA=%s\r\nDOWNLOADURL=%s/%s\r\nSHA256=%s\r\nDBVERSION=%s\r\nSIGNATURE=%s\r\n' \
        "$(sha1sum "$signed_site/$2" | cut -d' ' -f1)" "$signed_base" "$1" "$sha256" "$4" "$signature" \
        >"$signed_site/antispywareupdates/CompleteDatabase/getdatabase.asp"
    echo "  published $1: DBVERSION $4, SHA-256 $sha256, signature ${signature:0:32}... (384 bytes)"
}
printf 'Lumasweep definitions, version 7, signed\n' >"$signed_site/defs-v7.zip"
printf 'Lumasweep definitions, version 8, signed\n' >"$signed_site/defs-v8.zip"
printf 'Lumasweep definitions, version 8, signed\n' | sed 's/8/9/' >"$signed_site/defs-v8-tampered.zip"

step "Version 7, signed: the debug build installs it"
signed_publish defs-v7.zip defs-v7.zip defs-v7.zip 7
signed_diag debug update-definitions --server "$signed_base"
signed_archive debug
printf '  last installed signed version: '
wine reg query 'HKCU\Software\Orvane\QMN3' /v InstalledDefinitionsVersion | tr -d '\r' | sed -n 's/.*REG_DWORD *//p'

step "Version 8 tampered on the way (its digests republished, the signature is version 8's): refused"
signed_publish defs-v8-tampered.zip defs-v8-tampered.zip defs-v8.zip 8
signed_diag debug update-definitions --server "$signed_base" || true
signed_archive debug

step "The release build refuses version 7's signature: it trusts no test key"
signed_publish defs-v7.zip defs-v7.zip defs-v7.zip 7
signed_diag release update-definitions --server "$signed_base" || true
signed_archive release

step "Stopping the signed-definition site"
signed_stop
trap cleanup EXIT
