#include "TListeHistorique.h"

#include "Historique.h"

#include <QComboBox>
#include <QLineEdit>

void TListeHistorique::Prepare(QComboBox* boite)
{
    boite->setEditable(true);
    boite->setInsertPolicy(QComboBox::NoInsert);
    boite->setCompleter(nullptr);
    // Qt would otherwise report leaving a box whose text equals a line of the list
    // as a pick of that line, starting a search nobody asked for.
    QObject::disconnect(boite->lineEdit(), &QLineEdit::editingFinished, boite, nullptr);
}

void TListeHistorique::Remplit(QComboBox* boite, const Historique& historique)
{
    const QString texte = boite->currentText();
    const QStringList& entrees = historique.Entrees();
    boite->setCurrentIndex(-1);
    if (boite->count() != entrees.size()) {
        boite->clear();
        boite->addItems(entrees);
    } else {
        for (int i = 0; i < entrees.size(); ++i)
            if (boite->itemText(i) != entrees[i]) boite->setItemText(i, entrees[i]);
    }
    boite->setCurrentIndex(-1);
    boite->setEditText(texte);
}
