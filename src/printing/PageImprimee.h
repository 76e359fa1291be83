#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

// What the record print takes from a record page as the screen shows it: every
// caption and box with its place on the page (screen pixels), its text, the notes
// lines as wrapped on screen, and the photo's file with its frame.
struct PageImprimee {
    enum class Sorte { Libelle, Liste, Edition, Notes };
    struct Element {
        Sorte sorte;
        QRect ecran;
        QString texte;
        int alignement = 0; // Qt::AlignLeft, AlignRight or AlignHCenter, for captions
        QStringList lignes; // notes
    };

    QString titre; // the band's text
    // Where the person's name is in the title: shortened first, with "…", when the
    // title is wider than its band. -1: no name.
    int debutNom = -1;
    int longueurNom = 0;
    QSize taille{624, 352};
    std::vector<Element> elements; // in the page's control order
    QRect cadrePhoto{472, 8, 137, 137};
    // The picture file, read again at the printer's resolution; empty: no photo.
    QString photo;
};
