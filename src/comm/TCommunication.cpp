#include "TCommunication.h"

#include "comm/LiensBureau.h"
#include "comm/TNumerot.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "records/Champs.h"
#include "records/CodePage.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStandardPaths>

namespace
{
constexpr const char* Colonne = "colonneCommunication";
}

TCommunication::TCommunication(TFiche& fiche, TNumerot& numerot)
    : QObject(&fiche), m_fiche(fiche), m_numerot(numerot)
{
    DossierAide =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/aide");
    for (int c = 0; c < NbColonnes - 1; ++c) {
        const InfoChamp& info = Champs::Info(c);
        if (!info.numerotable && !info.courriel) continue;
        QWidget* editeur = fiche.PagesFiche()->Controle(c);
        if (!editeur) continue;
        editeur->setProperty(Colonne, c);
        editeur->installEventFilter(this);
    }
    using C = TMenusFiche::Commande;
    TMenusFiche* menus = fiche.Menus();
    menus->SetDisponible(C::Numerotation, true);
    menus->SetDisponible(C::SiteWeb, true);
    connect(menus->Item(C::Numerotation), &QAction::triggered, this,
            &TCommunication::Numerotation1Click);
    connect(menus->Item(C::SiteWeb), &QAction::triggered, this, &TCommunication::Connexion1Click);
}

bool TCommunication::eventFilter(QObject* objet, QEvent* event)
{
    const QVariant colonne = objet->property(Colonne);
    if (!colonne.isValid()) return QObject::eventFilter(objet, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) break;
        const int c = colonne.toInt();
        if (Champs::Info(c).numerotable)
            NumeroteChamp(c);
        else
            CourrielChamp(c);
        return true;
    }
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::ContextMenu:
        // The menu key still opens the edit menu; a right press does not.
        return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
    default:
        break;
    }
    return QObject::eventFilter(objet, event);
}

QString TCommunication::TexteChamp(int colonne) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(m_fiche.PagesFiche()->Controle(colonne)))
        return edit->text();
    return {};
}

void TCommunication::NumeroteChamp(int colonne)
{
    std::string texte;
    CodePage::VersWindows1252(TexteChamp(colonne), texte);
    m_numerot.Numerote(texte);
}

void TCommunication::CourrielChamp(int colonne)
{
    if (!LiensBureau::OuvreCourriel(TexteChamp(colonne)))
        TMessage::Erreur(&m_fiche, QString::fromUtf8("Aucun programme de messagerie ne prend "
                                                     "en charge les liens « mailto: » sur ce "
                                                     "poste."));
}

void TCommunication::Numerotation1Click()
{
    m_numerot.exec();
}

void TCommunication::Connexion1Click()
{
    QString raison;
    const QUrl page = LiensBureau::PageSiteWeb(DossierAide, &raison);
    if (page.isEmpty()) {
        TMessage::Erreur(&m_fiche,
                         QString::fromUtf8("Impossible d'ouvrir le site web.\n") + raison);
        return;
    }
    if (!LiensBureau::Ouvre(page))
        TMessage::Erreur(&m_fiche, QString::fromUtf8("Aucun navigateur ne peut ouvrir ") +
                                       page.toString() + QLatin1Char('.'));
}
