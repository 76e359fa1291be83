#!/usr/bin/env bash
# Builds the Debian package carnet_<version>_amd64.deb into the project's folder:
#   scripts/package.sh && sudo apt install ./carnet_*.deb
# The package is made by CPack from the same build and install rules as the tests
# use; its dependencies on libraries are computed by dpkg-shlibdeps.
set -euo pipefail
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$racine/scripts/setup.sh"
sortie="$(mktemp -d)"
trap 'rm -rf "$sortie"' EXIT
(cd "$racine/build" && cpack -G DEB -B "$sortie" >/dev/null)
paquet="$(ls "$sortie"/carnet_*.deb)"
cp "$paquet" "$racine/"
echo "$racine/$(basename "$paquet")"
