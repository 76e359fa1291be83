#!/usr/bin/env bash
# The Debian package as a user gets it: built from the build folder, unpacked into a
# temporary root, its installed program started, finding its help and its label
# catalogue in share/carnet/.
# verifie-paquet.sh <source folder> <build folder> <version>
set -euo pipefail
source_="$1"
build="$2"
version="$3"
for outil in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$outil" >/dev/null || { echo "SKIP: $outil manque (paquet dpkg-dev)"; exit 77; }
done
temp="$(mktemp -d)"
trap 'rm -rf "$temp"' EXIT
(cd "$build" && cpack -G DEB -B "$temp/paquet" >/dev/null)
paquet="$temp/paquet/carnet_${version}_amd64.deb"
[ -f "$paquet" ] || { echo "ÉCHEC : pas de $paquet"; ls "$temp/paquet"; exit 1; }

echec=0
verifie() { if ! eval "$1"; then echo "ÉCHEC : $2"; echec=1; fi; }
dependances="$(dpkg-deb -f "$paquet" Depends)"
echo "Depends: $dependances"
verifie '[[ "$dependances" == *libqt6widgets6* && "$dependances" == *libc6* ]]' \
  "les dépendances calculées manquent"

racine="$temp/racine"
dpkg -x "$paquet" "$racine"
programme="$racine/usr/bin/carnet"
for f in usr/share/carnet/aide/adresses.html usr/share/carnet/carnet.for \
         usr/share/carnet/carnet.gap usr/share/applications/carnet.desktop \
         usr/share/mime/packages/carnet-repertoire.xml \
         usr/share/icons/hicolor/scalable/apps/carnet.svg \
         usr/share/icons/hicolor/48x48/apps/carnet.png \
         usr/share/icons/hicolor/256x256/apps/carnet.png; do
  verifie '[ -f "$racine/$f" ]' "$f n'est pas installé"
done
verifie 'ls "$racine"/usr/share/metainfo/*.metainfo.xml >/dev/null' "pas de métadonnées AppStream"

verifie '[ "$("$programme" --version)" = "Carnet d'"'"'adresses $version" ]' "--version"
aide="$("$programme" --help)"
verifie '[[ "$aide" == *"Aide complète : $racine/usr/share/carnet/aide/adresses.html"* ]]' \
  "--help ne trouve pas l'aide installée : $aide"
verifie '[[ "$aide" == *"Formats d'"'"'étiquettes fournis : $racine/usr/share/carnet/carnet.for"* ]]' \
  "--help ne trouve pas le catalogue installé"
set +e
"$programme" --inconnue 2>"$temp/erreur"
code=$?
set -e
verifie '[ $code -eq 2 ] && grep -q "option inconnue" "$temp/erreur"' "option inconnue : code $code"

# Started for real with a book, offscreen, in a home of its own: still running after
# a few seconds means it came up (a failure to start ends it at once).
cp "$source_/tests/fixtures/amis.REP" "$temp/amis.REP"
set +e
HOME="$temp/maison" XDG_CONFIG_HOME="$temp/maison/config" XDG_DATA_HOME="$temp/maison/data" \
  QT_QPA_PLATFORM=offscreen timeout 4 "$programme" "$temp/amis.REP" >"$temp/sortie" 2>&1
code=$?
set -e
verifie '[ $code -eq 124 ]' "le programme installé s'est arrêté (code $code) : $(cat "$temp/sortie")"
exit $echec
