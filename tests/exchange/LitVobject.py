#!/usr/bin/python3
# Reads a vCard file with the vobject library, independent of the program, and
# prints its cards as JSON: what another address book would understand of them.
# 4.0 photos are "data:" URIs, whose comma vobject's 3.0 text rules cut: their
# value is taken from vobject's own line parser instead.
import base64
import io
import json
import sys

import vobject


def types(ligne):
    return [t.lower() for t in ligne.params.get('TYPE', [])]


def rang(ligne):
    valeurs = ligne.params.get('X-CARNET-RANG', [])
    return int(valeurs[0]) if valeurs else 0


def main():
    texte = open(sys.argv[1], encoding='utf-8', newline='').read()
    # The photos of 4.0 cards, in card order, by vobject's line parser.
    photos40 = []
    carte = -1
    for ligne, _ in vobject.base.getLogicalLines(io.StringIO(texte)):
        nom, _, valeur, _ = vobject.base.parseLine(ligne)
        if nom.upper() == 'BEGIN':
            carte += 1
            photos40.append(None)
        elif nom.upper() == 'PHOTO':
            photos40[carte] = valeur
    cartes = []
    for i, c in enumerate(vobject.readComponents(texte)):
        d = {'version': c.version.value, 'adr': [], 'tel': [], 'email': [], 'url': [], 'x': {}}
        n = c.n.value
        d['n'] = [n.family, n.given, n.additional, n.prefix, n.suffix]
        d['fn'] = c.fn.value
        for ligne in c.lines():
            nom = ligne.name.upper()
            if nom == 'ORG':
                d['org'] = ligne.value
            elif nom == 'TITLE':
                d['title'] = ligne.value
            elif nom == 'NOTE':
                d['note'] = ligne.value
            elif nom == 'ADR':
                a = ligne.value
                d['adr'].append({'types': types(ligne), 'box': a.box, 'extended': a.extended,
                                 'street': a.street, 'city': a.city, 'region': a.region,
                                 'code': a.code, 'country': a.country})
            elif nom in ('TEL', 'EMAIL', 'URL'):
                d[nom.lower()].append({'types': types(ligne), 'rang': rang(ligne),
                                       'value': ligne.value})
            elif nom == 'PHOTO':
                if d['version'] == '4.0':
                    uri = photos40[i]
                    entete, _, donnees = uri.partition(',')
                    d['photo'] = {'type': entete, 'b64': base64.b64encode(
                        base64.b64decode(donnees)).decode()}
                else:
                    d['photo'] = {'type': ligne.params.get('TYPE', [''])[0],
                                  'b64': base64.b64encode(ligne.value).decode()}
            elif nom.startswith('X-CARNET-'):
                d['x'][nom] = ligne.value
        cartes.append(d)
    sys.stdout.buffer.write(json.dumps(cartes, ensure_ascii=False).encode('utf-8'))


main()
