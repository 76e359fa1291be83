#pragma once

// A main window as the searchers see it: a book, a window, optionally the record
// pages in a tab strip, and a record of every move of the grid's current cell.
#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "search/CibleRecherche.h"

#include <QApplication>
#include <QCursor>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

class FausseCible : public CibleRecherche
{
public:
    explicit FausseCible(bool avecPages = false)
    {
        fenetre = std::make_unique<QWidget>();
        fenetre->resize(640, 480);
        auto* colonne = new QVBoxLayout(fenetre.get());
        colonne->setContentsMargins(0, 0, 0, 0);
        if (avecPages) {
            onglets = new QTabWidget;
            pages = new TPagesFiche(onglets);
            listePage = new QWidget;
            onglets->addTab(listePage, QStringLiteral("Liste"));
            colonne->addWidget(onglets);
        }
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
    bool ListeAffichee() const override
    {
        return !onglets || onglets->currentWidget() == listePage;
    }
    TPagesFiche* Pages() override { return pages; }
    QTabWidget* PageControl() override { return onglets; }
    QWidget* Fenetre() override { return fenetre.get(); }

    std::pair<int, int> DernierAller() const
    {
        return allers.empty() ? std::pair<int, int>(-1, -1) : allers.back();
    }

    Repertoire rep;
    std::unique_ptr<QWidget> fenetre;
    QTabWidget* onglets = nullptr;
    TPagesFiche* pages = nullptr;
    QWidget* listePage = nullptr;
    std::vector<std::pair<int, int>> allers;
    std::vector<bool> sablier; // whether the hourglass showed at each move
};
