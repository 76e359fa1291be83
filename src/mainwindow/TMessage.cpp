#include "TMessage.h"

#include <QPushButton>

namespace
{
bool modeTest = false;
std::deque<TMessage::Reponse> reponses;
std::deque<TMessage::Trace> trace;
} // namespace

void TMessage::ModeTest(bool actif)
{
    modeTest = actif;
    reponses.clear();
    trace.clear();
}

void TMessage::ReponseSuivante(Reponse r)
{
    reponses.push_back(r);
}

std::deque<TMessage::Trace>& TMessage::Historique()
{
    return trace;
}

QString TMessage::DernierTexte()
{
    return trace.empty() ? QString() : trace.back().texte;
}

TMessage::Reponse TMessage::Question(QWidget* parent, const QString& texte, const QString& titre)
{
    if (modeTest) {
        trace.push_back({titre, texte, true});
        if (reponses.empty()) return Annuler;
        const Reponse r = reponses.front();
        reponses.pop_front();
        return r;
    }
    QMessageBox boite(QMessageBox::Question, titre, texte, QMessageBox::NoButton, parent);
    QPushButton* oui = boite.addButton(QString::fromUtf8("&Oui"), QMessageBox::YesRole);
    QPushButton* non = boite.addButton(QString::fromUtf8("&Non"), QMessageBox::NoRole);
    QPushButton* annuler = boite.addButton(QString::fromUtf8("Annuler"), QMessageBox::RejectRole);
    boite.setDefaultButton(oui);
    boite.setEscapeButton(annuler);
    boite.exec();
    if (boite.clickedButton() == oui) return Oui;
    if (boite.clickedButton() == non) return Non;
    return Annuler;
}

namespace
{
void Boite(QMessageBox::Icon icone, QWidget* parent, const QString& texte, const QString& titre)
{
    if (modeTest) {
        trace.push_back({titre, texte, false});
        return;
    }
    QMessageBox boite(icone, titre, texte, QMessageBox::NoButton, parent);
    boite.addButton(QString::fromUtf8("OK"), QMessageBox::AcceptRole);
    boite.exec();
}
} // namespace

void TMessage::Information(QWidget* parent, const QString& texte, const QString& titre)
{
    Boite(QMessageBox::Information, parent, texte, titre);
}

void TMessage::Avertissement(QWidget* parent, const QString& texte, const QString& titre)
{
    Boite(QMessageBox::Warning, parent, texte, titre);
}

void TMessage::Erreur(QWidget* parent, const QString& texte, const QString& titre)
{
    Boite(QMessageBox::Critical, parent, texte, titre);
}
