#include "TMessage.h"

#include <QPushButton>

namespace
{
bool modeTest = false;
// Queued answers: a Reponse, or ChoixBase + the button of a Choix.
constexpr int ChoixBase = 1000;
std::deque<int> reponses;
std::deque<TMessage::Trace> trace;
std::function<void()> pendantBoite;
} // namespace

void TMessage::PendantBoite(std::function<void()> action)
{
    pendantBoite = std::move(action);
}

void TMessage::ModeTest(bool actif)
{
    modeTest = actif;
    pendantBoite = nullptr;
    reponses.clear();
    trace.clear();
}

void TMessage::ReponseSuivante(Reponse r)
{
    reponses.push_back(r);
}

void TMessage::ChoixSuivant(int bouton)
{
    reponses.push_back(ChoixBase + bouton);
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
        trace.push_back({titre, texte, true, {}});
        if (pendantBoite) pendantBoite();
        if (reponses.empty()) return Annuler;
        const int r = reponses.front();
        reponses.pop_front();
        return r >= ChoixBase ? Annuler : static_cast<Reponse>(r);
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

TMessage::Reponse TMessage::QuestionOuiNon(QWidget* parent, const QString& texte,
                                           const QString& titre)
{
    if (modeTest) {
        trace.push_back({titre, texte, true, {}});
        if (reponses.empty()) return Non;
        const int r = reponses.front();
        reponses.pop_front();
        return r == Oui ? Oui : Non;
    }
    QMessageBox boite(QMessageBox::Question, titre, texte, QMessageBox::NoButton, parent);
    QPushButton* oui = boite.addButton(QString::fromUtf8("&Oui"), QMessageBox::YesRole);
    QPushButton* non = boite.addButton(QString::fromUtf8("&Non"), QMessageBox::NoRole);
    boite.setDefaultButton(oui);
    // Escape or the close box answers "&Non": nothing happens that was not asked for.
    boite.setEscapeButton(non);
    boite.exec();
    return boite.clickedButton() == oui ? Oui : Non;
}

int TMessage::Choix(QWidget* parent, const QString& texte, const QString& titre,
                    const QStringList& boutons, int defaut, int echap)
{
    if (modeTest) {
        trace.push_back({titre, texte, true, boutons});
        if (pendantBoite) pendantBoite();
        if (reponses.empty()) return echap;
        const int r = reponses.front() - ChoixBase;
        reponses.pop_front();
        return r >= 0 && r < boutons.size() ? r : echap;
    }
    QMessageBox boite(QMessageBox::Warning, titre, texte, QMessageBox::NoButton, parent);
    QList<QPushButton*> poussoirs;
    for (const QString& b : boutons)
        poussoirs << boite.addButton(b, QMessageBox::AcceptRole);
    if (defaut >= 0 && defaut < poussoirs.size()) boite.setDefaultButton(poussoirs.at(defaut));
    if (echap >= 0 && echap < poussoirs.size()) boite.setEscapeButton(poussoirs.at(echap));
    boite.exec();
    const qsizetype clique = poussoirs.indexOf(qobject_cast<QPushButton*>(boite.clickedButton()));
    return clique < 0 ? echap : static_cast<int>(clique);
}

namespace
{
void Boite(QMessageBox::Icon icone, QWidget* parent, const QString& texte, const QString& titre)
{
    if (modeTest) {
        trace.push_back({titre, texte, false, {}});
        if (pendantBoite) pendantBoite();
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
