#!/usr/bin/env bash
# Installs what is missing, builds Orrimar and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
exec "$root/build/ui/orrimar" "$@"
