# HaltSuite: what the installer runs before it replaces the suite's files. A small fake suite
# is planted in the prefix (decoy processes under the suite's names, a test service under the
# suite's service name, its scheduled tasks and Run values); HaltSuite then stops it.
# Sourced by scripts/demo (variables root, bin, install_dir, WINEPREFIX; function step).

halt_tools="$WINEPREFIX/drive_c/halt-demo"
mkdir -p "$halt_tools"
cp "$bin/HaltSuite.exe" "$install_dir/"
for f in halt_fixture.exe decoy_sleeper.exe decoy_service.exe; do
    cp "$bin/$f" "$halt_tools/"
done

# The programs planted: three of the suite's (one in upper case), and the installer itself,
# whose name only resembles one of them and must survive.
halt_decoys=(Lumasweep.exe DiskTune.exe SHREDTOOL.EXE LumasweepSetup.exe)

halt_fixture() {
    # Output goes through a file: the decoys started by "plant" outlive the tool.
    local out="$halt_tools/out.txt"
    wine 'C:\halt-demo\halt_fixture.exe' "$@" >"$out" 2>&1 </dev/null || true
    tr -d '\r' <"$out"
}

halt_suite() {
    printf '> HaltSuite %s\n' "$*"
    local start=$SECONDS
    wine 'C:\Program Files\Lumasweep\HaltSuite.exe' "$@" </dev/null >/dev/null 2>&1
    printf '  exit code %d after %d s\n' $? $((SECONDS - start))
}

halt_plant() {
    halt_fixture plant --sleeper 'C:\halt-demo\decoy_sleeper.exe' --service 'C:\halt-demo\decoy_service.exe' \
        --folder 'C:\Program Files\Lumasweep' "$@"
}

step "HaltSuite: planting a fake suite"
halt_plant "${halt_decoys[@]}"
step "HaltSuite: before"
halt_fixture status "${halt_decoys[@]}"

step "HaltSuite: the installer's full run (service, processes, tasks, Run values)"
halt_suite
halt_fixture status "${halt_decoys[@]}"

step "HaltSuite: planting again, then a very silent run (tasks and Run values stay)"
halt_plant "${halt_decoys[@]:0:3}" >/dev/null
halt_suite /SP- /VERYSILENT
halt_fixture status "${halt_decoys[@]}"
