#!/usr/bin/env bash
# Fails when a source file includes a folder above its own floor. The floors, bottom
# to top; folders on one line form one floor and may not include each other.
set -euo pipefail
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
etages=(
  "records"
  "vcard"
  "settings"
  "ui"
  "mainwindow"
  "search exchange photos comm printing labels sync"
  "app"
)
declare -A niveau
for i in "${!etages[@]}"; do
  for dossier in ${etages[$i]}; do niveau[$dossier]=$i; done
done
fautes=0
for dossier in "$racine"/src/*/; do
  nom="$(basename "$dossier")"
  if [ -z "${niveau[$nom]+x}" ]; then
    echo "src/$nom : dossier sans étage (à déclarer dans scripts/etages.sh)"
    fautes=$((fautes + 1))
    continue
  fi
  while IFS= read -r ligne; do
    fichier="${ligne%%:*}"
    inclus="$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$ligne")"
    [ "$inclus" = "$nom" ] && continue
    if [ -z "${niveau[$inclus]+x}" ] || [ "${niveau[$inclus]}" -ge "${niveau[$nom]}" ]; then
      echo "${fichier#"$racine"/} inclut $inclus/, qui n'est pas sous src/$nom"
      fautes=$((fautes + 1))
    fi
  done < <(grep -rnE '^\s*#\s*include "[a-z]+/' "$dossier" || true)
done
if [ "$fautes" -gt 0 ]; then
  echo "$fautes inclusion(s) vers un étage qui n'est pas plus bas."
  exit 1
fi
echo "Étages respectés."
