#pragma once

#include <QKeySequence>
#include <QObject>
#include <map>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

// The main window's menu bar and tool bar, built from two tables. Menu items and
// tool buttons that run the same command share its handler, not their texts.
class TMenusFiche : public QObject
{
    Q_OBJECT
public:
    enum class Commande {
        Nouveau,
        Ouvrir,
        Enregistrer,
        EnregistrerSous,
        Importer,
        Exporter,
        Imprimer,
        Quitter,
        Trier,
        Copier,
        Chercher,
        Ajouter,
        Dupliquer,
        Supprimer,
        Mailing,
        TrierEnEnregistrant,
        CouleurFond,
        RechercheSelective,
        Numerotation,
        Synchroniser,
        CompteSync,
        Aide,
        APropos,
        SiteWeb,
        Premiere,
        Precedente,
        Suivante,
        Derniere,
    };

    // Fills the window's menu bar and adds the tool bar to it.
    explicit TMenusFiche(QMainWindow* fenetre);

    // The menu item of a command; nullptr for commands that only have a button.
    QAction* Item(Commande c) const;
    // The tool-bar entry of a command; nullptr for commands without a button.
    QAction* Bouton(Commande c) const;
    QToolButton* BoutonOutil(Commande c) const;
    QToolBar* BarreOutils() const { return m_barre; }
    QMenu* MenuOptions() const { return m_options; }

    // Enables or disables both the menu item and the button of a command.
    void SetDisponible(Commande c, bool disponible);
    // The page-dependent captions and hints: record pages or the list page.
    void AdaptePage(bool liste);
    // "&Couleur du fond..." belongs to the list page only.
    void MontreCouleurFond(bool liste);
    // Whether an enabled menu item answers to these keys: such keys must reach the
    // menu even when an edit field would take them (Ctrl+A adds a record).
    bool RaccourciActif(const QKeySequence& touches) const;

signals:
    void Declenchee(TMenusFiche::Commande commande);

private:
    std::map<Commande, QAction*> m_items;
    std::map<Commande, QAction*> m_boutons;
    QToolBar* m_barre = nullptr;
    QMenu* m_options = nullptr;
    QAction* m_separateurOptions = nullptr;
};
