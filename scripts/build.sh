#!/usr/bin/env bash
# Configures (once) and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
if [ ! -f build/build.ninja ]; then
    cmake --preset default >/dev/null
fi
cmake --build build --parallel "$(nproc)"
