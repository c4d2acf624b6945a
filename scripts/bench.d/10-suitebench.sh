# The in-process figures: SuiteCore against peers measured in the same run.
wine "$bin/SuiteBench.exe" "$@" | tr -d '\r'
