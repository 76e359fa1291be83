#include "TPartage.h"

#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TPagesFiche.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

TPartage::TPartage(TFiche& fiche) : QObject(&fiche), m_fiche(fiche)
{
    connect(fiche.Document(), &TDocument::LectureSeuleChangee, this, &TPartage::Applique);
    fiche.installEventFilter(this);
}

void TPartage::Applique(bool lectureSeule)
{
    using C = TMenusFiche::Commande;
    TMenusFiche* menus = m_fiche.Menus();
    for (C c : {C::Enregistrer, C::Ajouter, C::Dupliquer, C::Supprimer})
        menus->SetDisponible(c, !lectureSeule);
    m_fiche.PagesFiche()->SetLectureSeule(lectureSeule);
    m_fiche.MajTitre();
}

bool TPartage::eventFilter(QObject* objet, QEvent* event)
{
    // Looked at once the activation is over: a question asked from inside it would
    // be shown while the window manager is still moving the focus.
    if (objet == &m_fiche && event->type() == QEvent::WindowActivate && !m_prevu) {
        m_prevu = true;
        QTimer::singleShot(0, this, &TPartage::VerifieDisque);
    }
    return QObject::eventFilter(objet, event);
}

void TPartage::VerifieDisque()
{
    m_prevu = false;
    // Not while a dialog of the program is open (the label wizard between two of its
    // steps, a file dialog): the window's next return will look.
    if (QApplication::activeModalWidget() || !m_fiche.isVisible()) return;
    const int ligne = m_fiche.LigneCourante();
    const int colonne = m_fiche.Grille()->ColonneCourante();
    if (!m_fiche.Document()->VerifieDisque()) return;
    m_fiche.AllerA(colonne, std::min(ligne, m_fiche.Rep().NbFiches()));
    m_fiche.AfficheFiche();
    m_fiche.MajOnglets();
}
