#!/usr/bin/env bash
# Builds the program and runs every test with the offscreen platform.
set -euo pipefail
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$racine/scripts/setup.sh"
cd "$racine/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600
