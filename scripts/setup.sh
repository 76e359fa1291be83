#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures
# and builds into build/. Sourced by run.sh and test.sh.
set -euo pipefail
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
paquets=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev
         qt6-image-formats-plugins qt6-translations-l10n libqt6svg6
         fonts-liberation fonts-dejavu-core poppler-utils
         dpkg-dev desktop-file-utils appstream shared-mime-info libfile-mimeinfo-perl
         xdg-utils libxxhash-dev
         python3-vobject radicale qtkeychain-qt6-dev)
manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
if [ ${#manquants[@]} -gt 0 ]; then
  echo "Installation des paquets : ${manquants[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${manquants[@]}" >/dev/null
fi
if [ ! -f "$racine/build/build.ninja" ]; then
  cmake -S "$racine" -B "$racine/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$racine/build" --parallel "$(nproc)"
