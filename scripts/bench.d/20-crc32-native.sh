# The CRC-32 kernels built natively for the build machine (cmake/tests): where the Windows build
# runs under emulation its timings say nothing about the kernels, so these figures are the ones
# to read for them. Sourced by scripts/bench with its arguments (--tsv for the TSV lines only).
# shellcheck shell=bash
native_crc32=$root/build/release/cmake/tests/native/crc32_native
if [ -x "$native_crc32" ]; then
    if [[ " $* " == *" --tsv "* ]]; then
        "$native_crc32" --tsv
    else
        "$native_crc32"
        echo
    fi
fi
