#pragma once

#include "AssociationChamps.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QToolButton;
class TableImport;

// The association of the file's columns with the book's fields, before an
// import: a field is picked in the left list, its column in the right one,
// while the file's lines are browsed as samples. Created once at start-up.
class TAsso : public QDialog
{
    Q_OBJECT
public:
    explicit TAsso(QWidget* parent = nullptr);

    // Fills the lists for a new import: the book's field titles (its title row),
    // the columns from the first record line; the associations `initiale` (none
    // unless the file names its columns). Nothing is kept from an earlier import.
    void Prepare(const std::vector<std::string>& titres, const TableImport& table,
                 const AssociationChamps& initiale = AssociationChamps());
    const AssociationChamps& Grid() const { return m_grid; }
    int LigneEchantillon() const { return m_ligne; }
    // Asked at "OK": a French reason to refuse the associations (the dialog then
    // stays open), or empty.
    std::function<QString(const AssociationChamps&)> Verifie;

    QListWidget* ListBox1() const { return m_listBox1; }
    QListWidget* ListBox2() const { return m_listBox2; }
    QToolButton* BeginBtn() const { return m_begin; }
    QToolButton* RewBtn() const { return m_rew; }
    QToolButton* FFBtn() const { return m_ff; }
    QToolButton* EndBtn() const { return m_end; }
    // "ligne n / N": the sample among the lines to import.
    QLabel* Position() const { return m_position; }

    void ListBox1Click();
    void ListBox2Click();
    void ListBox2RightClick();
    void BeginBtnClick();
    void RewBtnClick();
    void FFBtnClick();
    void EndBtnClick();
    void OKBtnClick();

    // The text the column list shows for a cell: long or multi-line values are
    // shortened to one line. A column named by the file's title line shows its
    // title before the value.
    static QString TexteColonne(std::string_view cellule, int colonne, std::string_view titre = {});

    // The staging table belongs to the import: it is forgotten when the dialog closes.
    void done(int resultat) override;

protected:
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    void MontreEchantillon();
    void MajBoutons();
    void AfficheAssociation();
    void MarqueAssociations();
    // The field chosen in the field list, or -1.
    int ChampChoisi() const;
    // Space or Enter in the column list: the current column becomes the field's.
    void AssocieColonneCourante();

    const TableImport* m_table = nullptr;
    AssociationChamps m_grid;
    int m_ligne = 0;
    bool m_remplissage = false;
    QListWidget* m_listBox1 = nullptr;
    QListWidget* m_listBox2 = nullptr;
    QToolButton* m_begin = nullptr;
    QToolButton* m_rew = nullptr;
    QToolButton* m_ff = nullptr;
    QToolButton* m_end = nullptr;
    QLabel* m_position = nullptr;
    std::vector<std::string> m_titresColonnes; // the file's title line, when it has one
};
