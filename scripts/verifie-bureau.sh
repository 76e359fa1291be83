#!/usr/bin/env bash
# The desktop files as the desktop's own tools read them: the menu entry, the
# AppStream metadata, and the file type of a book (by its name and by its content).
# verifie-bureau.sh <source folder> <build folder>
set -euo pipefail
source_="$1"
build="$2"
for outil in desktop-file-validate appstreamcli update-mime-database mimetype; do
  if ! command -v "$outil" >/dev/null; then
    echo "SKIP: $outil manque (paquets desktop-file-utils, appstream, shared-mime-info, libfile-mimeinfo-perl)"
    exit 77
  fi
done
desktop-file-validate "$source_/data/carnet.desktop"
appstreamcli validate --no-net "$build"/*.metainfo.xml

temp="$(mktemp -d)"
trap 'rm -rf "$temp"' EXIT
mkdir -p "$temp/share/mime/packages"
cp "$source_/data/carnet-repertoire.xml" "$temp/share/mime/packages/"
update-mime-database "$temp/share/mime"
cp "$source_/tests/fixtures/amis.REP" "$temp/amis.REP"
cp "$source_/tests/fixtures/amis.REP" "$temp/minuscules.rep"
cp "$source_/tests/fixtures/vide.REP" "$temp/sans-extension"
printf 'pas un répertoire\r\n' > "$temp/texte"
# By its name alone, whatever it holds (a book being written, an empty file).
: > "$temp/vide.REP"
type_de() { XDG_DATA_HOME="$temp/share" XDG_DATA_DIRS="$temp/share:/usr/share" mimetype --brief "$1"; }
echec=0
for f in amis.REP minuscules.rep sans-extension vide.REP; do
  t="$(type_de "$temp/$f")"
  if [ "$t" != "application/x-carnet-repertoire" ]; then
    echo "ÉCHEC : $f est vu comme « $t »"
    echec=1
  fi
done
t="$(type_de "$temp/texte")"
if [ "$t" = "application/x-carnet-repertoire" ]; then
  echo "ÉCHEC : un simple texte est vu comme un répertoire"
  echec=1
fi
exit $echec
