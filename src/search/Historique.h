#pragma once

#include <QString>
#include <QStringList>

class Reglages;

// The history list of a search box: a fixed number of slots, slot 0 being the top
// line; empty slots are real (empty) lines of the list.
class Historique
{
public:
    enum class Regle {
        Egalite, // the find dialog refuses an entry equal to the text
        Prefixe  // the quick-search bar refuses a text that begins an entry
    };

    Historique(int nbPlaces, Regle regle);

    int NbPlaces() const { return static_cast<int>(m_entrees.size()); }
    const QStringList& Entrees() const { return m_entrees; }
    QString Entree(int i) const { return m_entrees.value(i); }
    void SetEntree(int i, const QString& texte);

    // InsertHistory: nothing when the rule refuses the text; otherwise into the
    // first empty slot, or, the list being full, at the top with the bottom entry
    // dropped. True when the list changed.
    bool Insere(const QString& texte);

    // Completion: the first non-empty slot that begins with `tape` (upper-case
    // rule), or -1. An empty text completes nothing.
    int IndexCompletion(const QString& tape) const;

    static QString Cle(int numero); // "Expression" + numero
    // Keys 1 to NbPlaces() of `section`, a missing key reading as an empty slot.
    void Lit(const Reglages& reglages, const QString& section);
    // Keys 1 to `nbCles`, those beyond the list empty.
    void Ecrit(Reglages& reglages, const QString& section, int nbCles = 100) const;

private:
    QStringList m_entrees;
    Regle m_regle;
};
