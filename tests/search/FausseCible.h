#pragma once

// A main window as the searchers see it: a book, a window, optionally the record
// pages in a tab strip, and a record of every move of the grid's current cell.
#include "mainwindow/TMessage.h"
#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "search/CibleRecherche.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Position = std::pair<int, int>; // colonne, ligne

// Also counts the keys that reach the main window.
class FausseCible : public QObject, public CibleRecherche
{
public:
    explicit FausseCible(bool avecPages = false) : fenetre(std::make_unique<QWidget>())
    {
        fenetre->installEventFilter(this);
        auto* colonne = new QVBoxLayout(fenetre.get());
        if (!avecPages) return;
        onglets = new QTabWidget;
        pages = new TPagesFiche(onglets);
        onglets->addTab(liste = new QWidget, u"Liste"_s);
        colonne->addWidget(onglets);
    }
    // The window goes first: its widgets may still report to the searchers as they close.
    ~FausseCible() override { fenetre.reset(); }

    // Fills record `ligne` (growing the book) with UTF-8 texts given by column.
    void Remplit(int ligne, std::initializer_list<std::pair<int, const char*>> cellules)
    {
        if (rep.NbFiches() < ligne) rep.SetNbLignes(ligne + 1);
        for (const auto& [c, texte] : cellules)
            rep.SetCellule(c, ligne, CodePage::Octets(QString::fromUtf8(texte)));
    }
    const Repertoire& Livre() const override { return rep; }
    void AllerA(int colonne, int ligne) override
    {
        allers.emplace_back(colonne, ligne);
        const QCursor* curseur = QApplication::overrideCursor();
        sablier.push_back(curseur && curseur->shape() == Qt::WaitCursor);
        if (pages) pages->MontreLigne(rep, ligne);
    }
    bool ListeAffichee() const override { return !onglets || onglets->currentWidget() == liste; }
    TPagesFiche* Pages() override { return pages; }
    QTabWidget* PageControl() override { return onglets; }
    QWidget* Fenetre() override { return fenetre.get(); }
    Position DernierAller() const { return allers.empty() ? Position(-1, -1) : allers.back(); }
    QWidget* Page(PageFiche p) const { return pages->Page(p); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        touches += e->type() == QEvent::KeyPress;
        return false;
    }

    Repertoire rep;
    std::unique_ptr<QWidget> fenetre;
    QTabWidget* onglets = nullptr;
    TPagesFiche* pages = nullptr;
    QWidget* liste = nullptr;
    std::vector<Position> allers;
    std::vector<bool> sablier; // whether the hourglass showed at each move
    int touches = 0;
};

// How many "Texte non trouvé." the searchers have shown.
inline int NbMessages()
{
    int n = 0;
    for (const auto& t : TMessage::Historique())
        n += t.texte == u"Texte non trouvé."_s && t.titre == "Information";
    return n;
}
