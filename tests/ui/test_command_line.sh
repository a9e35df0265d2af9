#!/usr/bin/env bash
# The window program's command line, run without a display: --help and --version answer
# on standard output, anything unknown is one line on standard error and exit code 2.
set -u
exe=$1
passed=0 failed=0
check() {  # check NAME EXPECTED_RC STDOUT_REGEX STDERR_LINES -- ARGS...
    local name=$1 rc=$2 out_re=$3 err_lines=$4; shift 5
    local out err code
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" "$@" 2>/tmp/orrimar-cl-err.$$)
    code=$?
    err=$(cat /tmp/orrimar-cl-err.$$)
    if [ "$code" = "$rc" ] && [[ "$out" =~ $out_re ]] && [ "$(printf '%s' "$err" | grep -c '')" = "$err_lines" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAILED %s: rc=%s stdout=[%s] stderr=[%s]\n' "$name" "$code" "$out" "$err"
    fi
}
check version 0 '^orrimar [0-9]+\.[0-9]+\.[0-9]+$' 0 -- --version
check help 0 'Usage: orrimar' 0 -- --help
check unknown-option 2 '^$' 1 -- --bogus
check newline-in-option 2 '^$' 1 -- $'--a\nb'
check argument 2 '^$' 1 -- extra
check qt-option-passes 0 '^orrimar ' 0 -- -platform offscreen --version
check no-display 1 '^$' 1 --
if [ -w /dev/full ]; then
    env -u DISPLAY "$exe" --help >/dev/full 2>/dev/null
    [ $? = 1 ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAILED help-to-full"; }
fi
rm -f /tmp/orrimar-cl-err.$$
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
