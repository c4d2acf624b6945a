# The update check and the definition update against a local site (127.0.0.1 only, ended after
# ten minutes at the latest): a newer version published, the archive replaced by a verified
# download, and a corrupt archive that never costs the one in place (sourced by scripts/demo).
# shellcheck shell=bash
update_server="$root/suitecore/net/tests/servers/net_test_server.py"
update_state=$(mktemp -d /tmp/suite-demo-update.XXXXXX)
update_stop() {
    /usr/bin/python3 "$update_server" stop --state "$update_state" || true
    rm -rf "$update_state"
}
trap 'update_stop; cleanup' EXIT

step "Starting a local update site"
/usr/bin/python3 "$update_server" start --state "$update_state" --lifetime 600 | grep http_port
update_port=$(sed -n 's/^http_port=//p' "$update_state/servers.ini")
update_base="http://127.0.0.1:$update_port/site/demo"
update_site="$update_state/site/demo"
mkdir -p "$update_site/qmnupdates" "$update_site/antispywareupdates/CompleteDatabase"

# The build's version with its last part one higher.
update_version=$(sed -n 's/^project(Lumasweep VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
update_newer="${update_version%.*}.$((${update_version##*.} + 1))"
printf '[Application]\r\nPROGRAM_VERSION=%s\r\n' "$update_newer" >"$update_site/qmnupdates/update.aspx"

step "The update check: version $update_newer is published"
diag update-check --server "$update_base" || true

# Publishes an archive file under the given SHA-1 text.
update_publish() {
    printf '[AntiSpyUpdates]\r\nSHA=%s\r\nDOWNLOADURL=%s/%s\r\n' "$2" "$update_base" "$1" \
        >"$update_site/antispywareupdates/CompleteDatabase/getdatabase.asp"
}
printf 'Lumasweep definitions, version 1\n' >"$update_site/defs-v1.zip"
printf 'Lumasweep definitions, version 2\n' >"$update_site/defs-v2.zip"
printf 'Lumasweep definitions, version 3, damaged on the way\n' >"$update_site/defs-v3.zip"
update_sha() { sha1sum "$update_site/$1" | cut -d' ' -f1; }

step "The definition update installs archive version 1 (SHA-1 $(update_sha defs-v1.zip))"
update_publish defs-v1.zip "$(update_sha defs-v1.zip)"
diag update-definitions --server "$update_base"

step "Version 2 is published (SHA-1 $(update_sha defs-v2.zip)): the archive is replaced"
update_publish defs-v2.zip "$(update_sha defs-v2.zip)"
diag update-definitions --server "$update_base"

step "A corrupt archive (its bytes do not match the published SHA-1): version 2 stays"
update_publish defs-v3.zip "$(update_sha defs-v1.zip)"
diag update-definitions --server "$update_base" || true

step "Stopping the update site"
update_stop
trap cleanup EXIT
