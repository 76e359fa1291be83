#include "TMenusFiche.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace
{

using C = TMenusFiche::Commande;

enum class Genre { Menu, Item, Coche, Separateur };

struct EntreeMenu {
    Genre genre;
    const char* nom;
    const char* texte; // UTF-8
    const char* raccourci;
    C commande;
    bool disponible; // false: the command's subsystem is not part of this build yet
};

const EntreeMenu Menus[] = {
    {Genre::Menu, "Fichier1", "&Fichier", "", C::Nouveau, true},
    {Genre::Item, "Nouveau1", "&Nouveau", "Ctrl+N", C::Nouveau, true},
    {Genre::Item, "Ouvrir1", "&Ouvrir...", "Ctrl+O", C::Ouvrir, true},
    {Genre::Item, "Enregistrer1", "&Enregistrer", "Ctrl+S", C::Enregistrer, true},
    {Genre::Item, "Enregistrersous1", "Enregistrer &sous...", "", C::EnregistrerSous, true},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Importer1", "Im&porter...", "Ctrl+I", C::Importer, false},
    {Genre::Item, "Exporter1", "E&xporter...", "Ctrl+E", C::Exporter, false},
    {Genre::Item, "Synchroniser1", "&Synchroniser", "F5", C::Synchroniser, false},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Imprimer1", "&Imprimer la fiche courante...", "Ctrl+P", C::Imprimer, false},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Quitter1", "&Quitter", "", C::Quitter, true},
    {Genre::Menu, "Edition1", "&Edition", "", C::Nouveau, true},
    {Genre::Item, "Trier1", "&Trier...", "Ctrl+T", C::Trier, true},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Copieintelligente1", "&Copie intelligente...", "Ctrl+K", C::Copier, false},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Chercher1", "C&hercher...", "Ctrl+F", C::Chercher, false},
    {Genre::Menu, "Fiche1", "F&iche", "", C::Nouveau, true},
    {Genre::Item, "Ajouter1", "&Ajouter", "Ctrl+A", C::Ajouter, true},
    {Genre::Item, "Dupliquer1", "&Dupliquer", "Ctrl+D", C::Dupliquer, true},
    {Genre::Item, "Supprimer1", "&Supprimer", "", C::Supprimer, true},
    {Genre::Menu, "Etiquettes1", "Eti&quettes", "", C::Nouveau, true},
    {Genre::Item, "Assistantmailing1", "&Assistant mailing...", "", C::Mailing, false},
    {Genre::Menu, "Options1", "&Options", "", C::Nouveau, true},
    {Genre::Coche, "Trierenenregistrant", "&Trier en enregistrant", "", C::TrierEnEnregistrant,
     true},
    {Genre::Item, "Couleurdufond1", "&Couleur du fond...", "", C::CouleurFond, true},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Rechercheselective1", "&Recherche sélective...", "", C::RechercheSelective,
     false},
    {Genre::Item, "Numerotation1", "&Numérotation...", "", C::Numerotation, false},
    {Genre::Item, "SynchronisationCardDAV1", "Synchronisation CardDAV...", "", C::CompteSync,
     false},
    {Genre::Menu, "Aide2", "&?", "", C::Nouveau, true},
    {Genre::Item, "Aide1", "&Aide...", "", C::Aide, true},
    {Genre::Item, "Apropos1", "A &propos...", "", C::APropos, true},
    {Genre::Separateur, "", "", "", C::Nouveau, true},
    {Genre::Item, "Connexion1", "&Connexion au site web de l'auteur...", "", C::SiteWeb, false},
};

constexpr int SansIconeStandard = -1;

struct EntreeBouton {
    const char* nom;
    const char* conseil; // UTF-8
    int iconeStandard;   // QStyle::StandardPixmap, or SansIconeStandard
    const char* svg;     // used when there is no fitting standard icon
    C commande;
    bool disponible;
    bool visible;
};

const EntreeBouton Boutons[] = {
    {"NewButton", "Nouveau", QStyle::SP_FileIcon, "", C::Nouveau, true, true},
    {"OpenBtn", "Ouvrir", QStyle::SP_DialogOpenButton, "", C::Ouvrir, true, true},
    {"SaveBtn", "Enregistrer", QStyle::SP_DialogSaveButton, "", C::Enregistrer, true, true},
    {"BeginBtn", "Première fiche", SansIconeStandard, "premiere", C::Premiere, true, true},
    {"RewBtn", "Fiche précédente", SansIconeStandard, "precedente", C::Precedente, true, true},
    {"FFBtn", "Fiche suivante", SansIconeStandard, "suivante", C::Suivante, true, true},
    {"EndBtn", "Dernière fiche", SansIconeStandard, "derniere", C::Derniere, true, true},
    {"PrintBtn", "Imprimer la fiche courante", SansIconeStandard, "imprimer", C::Imprimer, false,
     true},
    {"PlusBtn", "Ajouter", SansIconeStandard, "ajouter", C::Ajouter, true, true},
    {"MoinsBtn", "Supprime la fiche courante", SansIconeStandard, "supprimer", C::Supprimer, true,
     true},
    {"SortBtn", "Trier", SansIconeStandard, "trier", C::Trier, true, true},
    {"EtikBtn", "Imprimer des étiquettes", SansIconeStandard, "etiquettes", C::Mailing, false,
     true},
    {"CopyBtn", "Copie intelligente", SansIconeStandard, "copier", C::Copier, false, true},
    {"ImportBtn", "Importer", SansIconeStandard, "importer", C::Importer, false, true},
    {"ExportBtn", "Exporter", SansIconeStandard, "exporter", C::Exporter, false, true},
    {"FindBtn", "Chercher", SansIconeStandard, "chercher", C::Chercher, false, false},
    {"HelpBtn", "Aide", SansIconeStandard, "aide", C::Aide, true, true},
    {"AboutBtn", "A propos", QStyle::SP_MessageBoxInformation, "", C::APropos, true, true},
    {"ExitBtn", "Quitter", SansIconeStandard, "quitter", C::Quitter, true, true},
};

struct TextesPage {
    const char* fiche;
    const char* liste;
};
const TextesPage ItemImprimer = {"&Imprimer la fiche courante...", "&Imprimer..."};
const TextesPage ConseilImprimer = {
    "Imprime la fiche courante",
    "Imprime la sélection ou toute la liste si aucune sélection n'est définie."};
const TextesPage ItemCopier = {"&Copie intelligente...", "&Copier"};
const TextesPage ConseilCopier = {
    "Copie intelligente",
    "Copie la sélection ou toute la liste si aucune sélection n'est définie."};
const TextesPage ConseilSupprimer = {
    "Supprime la fiche courante",
    "Supprime la sélection ou la fiche courante si aucune sélection n'est définie."};

QString Texte(const TextesPage& t, bool liste)
{
    return QString::fromUtf8(liste ? t.liste : t.fiche);
}

} // namespace

TMenusFiche::TMenusFiche(QMainWindow* fenetre) : QObject(fenetre)
{
    QMenu* menu = nullptr;
    for (const EntreeMenu& e : Menus) {
        if (e.genre == Genre::Menu) {
            menu = fenetre->menuBar()->addMenu(QString::fromUtf8(e.texte));
            menu->setObjectName(QLatin1String(e.nom));
            if (QLatin1String(e.nom) == QLatin1String("Options1")) m_options = menu;
            continue;
        }
        if (e.genre == Genre::Separateur) {
            QAction* separateur = menu->addSeparator();
            if (menu == m_options && !m_separateurOptions) m_separateurOptions = separateur;
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(e.texte));
        action->setObjectName(QLatin1String(e.nom));
        action->setShortcut(QKeySequence(QLatin1String(e.raccourci)));
        action->setCheckable(e.genre == Genre::Coche);
        action->setEnabled(e.disponible);
        const C commande = e.commande;
        connect(action, &QAction::triggered, this, [this, commande] { emit Declenchee(commande); });
        m_items[commande] = action;
    }

    m_barre = new QToolBar(QString::fromUtf8("Barre d'outils"), fenetre);
    m_barre->setObjectName(QStringLiteral("ToolBar1"));
    m_barre->setMovable(false);
    m_barre->setFloatable(false);
    m_barre->setContextMenuPolicy(Qt::PreventContextMenu);
    m_barre->setFixedHeight(33);
    m_barre->setIconSize(QSize(22, 22));
    fenetre->addToolBar(Qt::TopToolBarArea, m_barre);
    QStyle* style = fenetre->style();
    for (const EntreeBouton& b : Boutons) {
        const QIcon icone =
            b.iconeStandard != SansIconeStandard
                ? style->standardIcon(static_cast<QStyle::StandardPixmap>(b.iconeStandard))
                : QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.svg)));
        QAction* action = m_barre->addAction(icone, QString::fromUtf8(b.conseil));
        action->setObjectName(QLatin1String(b.nom));
        action->setToolTip(QString::fromUtf8(b.conseil));
        action->setEnabled(b.disponible);
        action->setVisible(b.visible);
        if (QWidget* bouton = m_barre->widgetForAction(action))
            bouton->setObjectName(QLatin1String(b.nom));
        const C commande = b.commande;
        connect(action, &QAction::triggered, this, [this, commande] { emit Declenchee(commande); });
        m_boutons[commande] = action;
    }
}

QAction* TMenusFiche::Item(Commande c) const
{
    const auto it = m_items.find(c);
    return it == m_items.end() ? nullptr : it->second;
}

QAction* TMenusFiche::Bouton(Commande c) const
{
    const auto it = m_boutons.find(c);
    return it == m_boutons.end() ? nullptr : it->second;
}

QToolButton* TMenusFiche::BoutonOutil(Commande c) const
{
    QAction* action = Bouton(c);
    return action ? qobject_cast<QToolButton*>(m_barre->widgetForAction(action)) : nullptr;
}

void TMenusFiche::SetDisponible(Commande c, bool disponible)
{
    if (QAction* a = Item(c)) a->setEnabled(disponible);
    if (QAction* a = Bouton(c)) a->setEnabled(disponible);
}

void TMenusFiche::AdaptePage(bool liste)
{
    Item(Commande::Imprimer)->setText(Texte(ItemImprimer, liste));
    Bouton(Commande::Imprimer)->setToolTip(Texte(ConseilImprimer, liste));
    Item(Commande::Copier)->setText(Texte(ItemCopier, liste));
    Bouton(Commande::Copier)->setToolTip(Texte(ConseilCopier, liste));
    Bouton(Commande::Supprimer)->setToolTip(Texte(ConseilSupprimer, liste));
    MontreCouleurFond(liste);
}

void TMenusFiche::MontreCouleurFond(bool liste)
{
    // Shown on the list page only. Taken out of the menu rather than hidden: a hidden
    // item there took the separator below it out of sight.
    QAction* couleur = Item(Commande::CouleurFond);
    couleur->setVisible(liste);
    const bool present = m_options->actions().contains(couleur);
    if (liste && !present) m_options->insertAction(m_separateurOptions, couleur);
    if (!liste && present) m_options->removeAction(couleur);
}

bool TMenusFiche::RaccourciActif(const QKeySequence& touches) const
{
    for (const auto& [commande, action] : m_items)
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == touches)
            return true;
    return false;
}
