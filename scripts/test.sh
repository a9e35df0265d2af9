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
# -O1 with line tables only: half the compile time of -O2 -g, and the sanitizers' reports
# still name files and lines.
"$root/scripts/build.sh" build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORRIMAR_SANITIZE=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$(nproc)"
