#!/usr/bin/env bash
# Builds the program if needed and starts it: scripts/run.sh [book.REP]
set -euo pipefail
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$racine/scripts/setup.sh"
exec "$racine/build/carnet" "$@"
