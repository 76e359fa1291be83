#include "ModeleRepertoire.h"

#include "ui/TitreFiche.h"

#include "records/CodePage.h"
#include "records/Tri.h"

ModeleRepertoire::ModeleRepertoire(Repertoire& rep, QObject* parent)
    : QAbstractTableModel(parent), m_rep(rep)
{
}

int ModeleRepertoire::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rep.NbFiches();
}

int ModeleRepertoire::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : NbColonnes;
}

QVariant ModeleRepertoire::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rep.NbFiches() || index.column() >= NbColonnes)
        return {};
    const std::string_view cellule = m_rep.Cellule(index.column(), LigneDuLivre(index.row()));
    // A cell shows what fits on a screen line; the editor gets it whole.
    if (role == Qt::DisplayRole) return TitreFiche::Borne(cellule, LongueurAffichee);
    if (role == Qt::EditRole) return CodePage::VersUnicode(cellule);
    return {};
}

QVariant ModeleRepertoire::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= NbColonnes) return {};
        return TitreFiche::Borne(m_rep.Cellule(section, 0), LongueurAffichee);
    }
    return section + 1;
}

Qt::ItemFlags ModeleRepertoire::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    if (m_lectureSeule) return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool ModeleRepertoire::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rep.NbFiches() ||
        index.column() >= NbColonnes || m_lectureSeule)
        return false;
    const QString texte = value.toString();
    std::string octets;
    if (!CodePage::VersWindows1252(texte, octets)) {
        emit CaractereRefuse(CodePage::PremierCaractereRefuse(texte));
        return false;
    }
    SetCellule(index.column(), LigneDuLivre(index.row()), octets);
    return true;
}

void ModeleRepertoire::MarqueModifie()
{
    m_rep.SetModifie(true);
}

void ModeleRepertoire::Remplace(Repertoire&& nouveau)
{
    beginResetModel();
    m_rep = std::move(nouveau);
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, NbColonnes - 1);
}

void ModeleRepertoire::ChangeEnBloc(const std::function<void(Repertoire&)>& changement)
{
    beginResetModel();
    changement(m_rep);
    endResetModel();
}

void ModeleRepertoire::Nouveau()
{
    beginResetModel();
    m_rep.Nouveau();
    endResetModel();
}

bool ModeleRepertoire::SetCellule(int colonne, int ligne, std::string_view texte)
{
    if (ligne < 0 || ligne >= m_rep.NbLignes() || colonne < 0 || colonne >= NbColonnes ||
        m_lectureSeule)
        return false;
    if (m_rep.Cellule(colonne, ligne) == texte) return false;
    m_rep.SetCellule(colonne, ligne, texte);
    MarqueModifie();
    if (ligne == 0) {
        emit headerDataChanged(Qt::Horizontal, colonne, colonne);
    } else {
        const QModelIndex i = index(LigneDuModele(ligne), colonne);
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    }
    emit CelluleModifiee(colonne, ligne);
    return true;
}

int ModeleRepertoire::AjouteFiche()
{
    const int ligne = m_rep.NbLignes();
    beginInsertRows(QModelIndex(), LigneDuModele(ligne), LigneDuModele(ligne));
    m_rep.AjouteFiche();
    endInsertRows();
    MarqueModifie();
    return ligne;
}

int ModeleRepertoire::DupliqueFiche(int ligne)
{
    const int nouvelle = m_rep.NbLignes();
    beginInsertRows(QModelIndex(), LigneDuModele(nouvelle), LigneDuModele(nouvelle));
    m_rep.DupliqueFiche(ligne);
    endInsertRows();
    MarqueModifie();
    return nouvelle;
}

void ModeleRepertoire::SupprimeLignes(int haut, int bas)
{
    haut = std::max(haut, 1);
    bas = std::min(bas, m_rep.NbFiches());
    if (haut > bas) return;
    if (haut == 1 && bas == m_rep.NbFiches()) {
        // Every record goes: one blank record remains.
        beginResetModel();
        m_rep.SupprimeLignes(haut, bas);
        endResetModel();
    } else {
        beginRemoveRows(QModelIndex(), LigneDuModele(haut), LigneDuModele(bas));
        m_rep.SupprimeLignes(haut, bas);
        endRemoveRows();
    }
    MarqueModifie();
}

void ModeleRepertoire::Trie(int colonne)
{
    if (m_rep.NbFiches() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Persistent indexes keep their place (row number), as the grid's current cell does.
    Tri::TriGrille(m_rep, colonne);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit dataChanged(index(0, 0), index(rowCount() - 1, NbColonnes - 1));
}

void ModeleRepertoire::SetFlagMail(int ligne, std::string_view flag)
{
    if (m_rep.FlagMail(ligne) == flag) return;
    m_rep.SetFlagMail(ligne, flag);
    MarqueModifie();
}

void ModeleRepertoire::AjouteEnBloc(int nouvelles, const std::function<void(Repertoire&)>& ajout)
{
    const int avant = m_rep.NbFiches();
    const bool etaitModifie = m_rep.Modifie();
    if (nouvelles > 0) beginInsertRows(QModelIndex(), avant, avant + nouvelles - 1);
    ajout(m_rep);
    m_rep.SetModifie(etaitModifie); // so that the change is announced below
    if (nouvelles > 0) endInsertRows();
    emit dataChanged(index(0, 0), index(avant - 1, NbColonnes - 1));
    MarqueModifie();
}
