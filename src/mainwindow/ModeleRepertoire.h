#pragma once

#include "records/Repertoire.h"

#include <QAbstractTableModel>
#include <functional>
#include <string_view>

// The grid's model over the address book. Model row i is record i + 1 of the book;
// the book's row 0 (the field titles) is the horizontal header. Every change of
// the book goes through here so the views follow.
class ModeleRepertoire : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ModeleRepertoire(Repertoire& rep, QObject* parent = nullptr);

    Repertoire& Rep() { return m_rep; }
    const Repertoire& Rep() const { return m_rep; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edit in the grid: refused (false, CaractereRefuse) when Windows-1252
    // cannot hold it; otherwise stored, and Modifie set when the text differs.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static int LigneDuModele(int ligneLivre) { return ligneLivre - 1; }
    static int LigneDuLivre(int ligneModele) { return ligneModele + 1; }
    // The most characters a cell or title shows in the grid.
    static constexpr int LongueurAffichee = 1000;

    // A book open read-only: the grid offers no editor, and edits typed in the record
    // pages or the grid (SetCellule, setData) are refused. The commands that change
    // the book otherwise are disabled where they are offered.
    void SetLectureSeule(bool lectureSeule) { m_lectureSeule = lectureSeule; }
    bool LectureSeule() const { return m_lectureSeule; }

    // Replaces the whole book (after a load or New).
    void Remplace(Repertoire&& nouveau);
    void Nouveau();
    // Stores the text when it differs from the cell, sets Modifie; true when it changed.
    // Refused (false) while read-only.
    bool SetCellule(int colonne, int ligne, std::string_view texte);
    int AjouteFiche();                      // sets Modifie, returns the new row
    int DupliqueFiche(int ligne);           // sets Modifie, returns the new row
    void SupprimeLignes(int haut, int bas); // sets Modifie
    void Trie(int colonne);                 // TriGrille; does not set Modifie
    void SetFlagMail(int ligne, std::string_view flag);
    // An import: `ajout` appends `nouvelles` rows to the book and may fill its
    // blank first record; the views learn it in one insertion. Sets Modifie.
    void AjouteEnBloc(int nouvelles, const std::function<void(Repertoire&)>& ajout);
    // Changes anywhere in the book made by `changement` (a synchronisation: rows
    // changed, added and deleted at once); the views start again from the book.
    // Modifie is as `changement` leaves it.
    void ChangeEnBloc(const std::function<void(Repertoire&)>& changement);

signals:
    void CelluleModifiee(int colonne, int ligne);
    void CaractereRefuse(const QString& caractere);

private:
    void MarqueModifie();
    Repertoire& m_rep;
    bool m_lectureSeule = false;
};
