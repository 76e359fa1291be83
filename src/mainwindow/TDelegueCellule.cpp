#include "TDelegueCellule.h"

#include "mainwindow/MesureColonne.h"
#include "ui/ValidateurCp1252.h"

#include <QLineEdit>
#include <limits>

QWidget* TDelegueCellule::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    QWidget* editeur = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* ligne = qobject_cast<QLineEdit*>(editeur)) {
        // A cell has no length limit; the editor's default would cut a long note.
        ligne->setMaxLength(std::numeric_limits<int>::max());
        // Notes keep their CR LF line breaks when edited here.
        auto* v = new ValidateurCp1252(false, ligne);
        ligne->setValidator(v);
        connect(v, &ValidateurCp1252::CaractereRefuse, this,
                [this, ligne](const QString& c) { emit CaractereRefuse(ligne, c); });
    }
    return editeur;
}

void TDelegueCellule::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = MesureColonne::SurUneLigne(option->text);
}
