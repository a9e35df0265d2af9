#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# an optimised build with warnings as errors (benchmarks included, so that they keep
# compiling), and one under AddressSanitizer, UBSan and libstdc++ assertions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

echo "== optimised build"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release -DORRIMAR_BENCH=ON \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"

echo "== sanitizer build"
"$root/scripts/build.sh" build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORRIMAR_SANITIZE=ON
ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$(nproc)"
