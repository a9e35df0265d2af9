#!/usr/bin/env bash
# Installs what is missing, builds the program (only the program) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target orrimar
exec "$root/build/ui/orrimar" "$@"
