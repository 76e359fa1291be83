#include "TPagesFiche.h"

#include "mainwindow/TCadrePhoto.h"
#include "mainwindow/TMemoNotes.h"
#include "records/CodePage.h"
#include "ui/TLibelleEffet.h"
#include "ui/ValidateurCp1252.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolTip>
#include <limits>

namespace
{

enum class Sorte { Libelle, Champ, Cadre, LigneSociete, NomEffet, Biseau };

struct Element {
    Sorte sorte;
    int x, y, largeur, hauteur;
    const char* texte; // UTF-8 caption
    int colonne;       // bound field, or the field a name label shows
    int points;        // point size of a name label
};

constexpr int SansColonne = -1;

Element Libelle(int x, int y, int l, int h, const char* texte)
{
    return {Sorte::Libelle, x, y, l, h, texte, SansColonne, 0};
}
Element Champ(int x, int y, int l, int h, int colonne)
{
    return {Sorte::Champ, x, y, l, h, nullptr, colonne, 0};
}
Element NomEffet(int x, int y, int l, int h, int colonne, int points)
{
    return {Sorte::NomEffet, x, y, l, h, nullptr, colonne, points};
}

// Positions in pixels within the 624 × 352 page, in order of top, then left; the
// widgets are created in this order.
const std::vector<Element>& Disposition(PageFiche page)
{
    static const std::vector<Element> prive = {
        Libelle(16, 8, 39, 13, "Civilité"),
        Libelle(168, 8, 43, 13, "Prénom"),
        Libelle(312, 8, 26, 13, "Nom"),
        {Sorte::Cadre, 472, 8, 137, 137, nullptr, Photo, 0},
        Champ(16, 24, 137, 21, Civil),
        Champ(168, 24, 121, 21, Prenom),
        Champ(312, 24, 129, 21, Nom),
        {Sorte::LigneSociete, 168, 47, 188, 13, nullptr, SansColonne, 0},
        Libelle(16, 56, 101, 13, "Adresse (1° ligne)"),
        Champ(16, 72, 425, 21, Adresse1),
        Libelle(16, 104, 101, 13, "Adresse (2° ligne)"),
        Champ(16, 120, 425, 21, Adresse2),
        Libelle(16, 152, 68, 13, "Code postal"),
        Libelle(100, 152, 25, 13, "Ville"),
        Libelle(280, 152, 28, 13, "Pays"),
        Libelle(472, 152, 30, 13, "Tél 1"),
        Champ(16, 168, 65, 21, CP),
        Champ(100, 168, 165, 21, Ville),
        Champ(280, 168, 161, 21, Pays),
        Champ(472, 168, 137, 21, Tel),
        Libelle(16, 200, 56, 13, "Internet 1"),
        Libelle(224, 200, 34, 13, "Notes"),
        Libelle(472, 200, 30, 13, "Tél 2"),
        Champ(224, 215, 217, 122, Notes),
        Champ(16, 216, 185, 21, Internet),
        Champ(472, 216, 137, 21, Tel2),
        Libelle(472, 248, 48, 13, "Portable"),
        Libelle(16, 252, 56, 13, "Internet 2"),
        Champ(472, 264, 137, 21, Portable),
        Champ(16, 268, 185, 21, Internet2),
        Libelle(16, 300, 56, 13, "Internet 3"),
        Libelle(472, 300, 21, 13, "Fax"),
        Champ(16, 316, 185, 21, Internet3),
        Champ(472, 316, 137, 21, Fax),
    };
    static const std::vector<Element> professionnel = {
        {Sorte::Biseau, 472, 8, 137, 137, nullptr, SansColonne, 0},
        Libelle(16, 8, 44, 13, "Société"),
        Libelle(224, 8, 50, 13, "Fonction"),
        Champ(16, 24, 193, 21, Societe),
        Champ(224, 24, 217, 21, Fonction),
        NomEffet(480, 40, 36, 22, Prenom, 12),
        Libelle(16, 56, 101, 13, "Adresse (1° ligne)"),
        NomEffet(480, 64, 121, 57, Nom, 16),
        Champ(16, 72, 425, 21, SAdresse1),
        Libelle(16, 104, 101, 13, "Adresse (2° ligne)"),
        Champ(16, 120, 425, 21, SAdresse2),
        Libelle(16, 152, 68, 13, "Code postal"),
        Libelle(100, 152, 25, 13, "Ville"),
        Libelle(280, 152, 28, 13, "Pays"),
        Libelle(472, 152, 30, 13, "Tél 1"),
        Champ(16, 168, 65, 21, SCP),
        Champ(100, 168, 165, 21, SVille),
        Champ(280, 168, 161, 21, SPays),
        Champ(472, 168, 137, 21, STel),
        Libelle(16, 200, 56, 13, "Internet 1"),
        Libelle(224, 200, 34, 13, "Notes"),
        Libelle(472, 200, 30, 13, "Tél 2"),
        Champ(224, 215, 217, 122, SNotes),
        Champ(16, 216, 185, 21, SInternet),
        Champ(472, 216, 137, 21, STel2),
        Libelle(472, 248, 48, 13, "Portable"),
        Libelle(16, 252, 56, 13, "Internet 2"),
        Champ(472, 264, 137, 21, SPortable),
        Champ(16, 268, 185, 21, SInternet2),
        Libelle(16, 300, 56, 13, "Internet 3"),
        Libelle(472, 300, 21, 13, "Fax"),
        Champ(16, 316, 185, 21, SInternet3),
        Champ(472, 316, 137, 21, SFax),
    };
    static const std::vector<Element> banque = {
        {Sorte::Biseau, 472, 8, 137, 137, nullptr, SansColonne, 0},
        Libelle(16, 8, 44, 13, "Banque"),
        NomEffet(480, 16, 121, 49, Societe, 12),
        Champ(16, 24, 425, 21, Banque),
        Libelle(16, 56, 101, 13, "Adresse (1° ligne)"),
        Champ(16, 72, 425, 21, BAdresse1),
        NomEffet(480, 72, 31, 19, Prenom, 10),
        NomEffet(480, 96, 121, 49, Nom, 14),
        Libelle(16, 104, 101, 13, "Adresse (2° ligne)"),
        Champ(16, 120, 425, 21, BAdresse2),
        Libelle(16, 152, 68, 13, "Code postal"),
        Libelle(100, 152, 25, 13, "Ville"),
        Libelle(280, 152, 28, 13, "Pays"),
        Libelle(472, 152, 79, 13, "Etablissement"),
        Champ(16, 168, 65, 21, BCP),
        Champ(100, 168, 165, 21, BVille),
        Champ(280, 168, 161, 21, BPays),
        Champ(472, 168, 137, 21, Etablissement),
        Libelle(16, 200, 19, 13, "Tél"),
        Libelle(224, 200, 34, 13, "Notes"),
        Libelle(472, 200, 45, 13, "Guichet"),
        Champ(224, 215, 217, 122, BNotes),
        Champ(16, 216, 137, 21, BTel),
        Champ(472, 216, 137, 21, Guichet),
        Libelle(16, 244, 21, 13, "Fax"),
        Libelle(472, 248, 43, 13, "Compte"),
        Champ(16, 260, 137, 21, BFax),
        Champ(472, 264, 137, 21, Compte),
        Libelle(16, 300, 45, 13, "Internet"),
        Libelle(472, 300, 19, 13, "Clé"),
        Champ(16, 316, 185, 21, BInternet),
        Champ(472, 316, 137, 21, Cle),
    };
    switch (page) {
    case PageFiche::Prive:
        return prive;
    case PageFiche::Professionnel:
        return professionnel;
    case PageFiche::Banque:
        break;
    }
    return banque;
}

QColor CouleurGroupe(GroupeCouleur groupe)
{
    switch (groupe) {
    case GroupeCouleur::Identite:
        return QColor(206, 255, 255);
    case GroupeCouleur::Adresse:
        return QColor(168, 255, 211);
    case GroupeCouleur::Internet:
        return QColor(255, 206, 206);
    case GroupeCouleur::Telephone:
        return QToolTip::palette().color(QPalette::ToolTipBase);
    case GroupeCouleur::Aucun:
        break;
    }
    return {};
}

QString Utf8(const char* texte)
{
    return QString::fromUtf8(texte);
}

} // namespace

struct TPagesFiche::Prive {
    QTabWidget* onglets = nullptr;
    std::array<QWidget*, 3> pages{};
    std::array<QWidget*, NbColonnes - 1> controles{};
    std::vector<ValidateurCp1252*> validateurs;
    std::array<TMemoNotes*, 3> memos{};
    TCadrePhoto* cadre = nullptr;
    QLabel* ligneSociete = nullptr;
    struct Entete {
        PageFiche page;
        int colonne;
        int largeurMin;
        TLibelleEffet* libelle;
    };
    std::vector<Entete> entetes;
    // The text each control showed last, so that a notification without a change
    // of text (an input method's composition, a layout change) reports nothing.
    std::array<QString, NbColonnes - 1> textes;
    bool affichage = false; // the program is showing a record: no edit to report
    bool lectureSeule = false;
};

TPagesFiche::TPagesFiche(QTabWidget* pages) : QObject(pages), d(new Prive)
{
    d->onglets = pages;
    Construit(PageFiche::Prive);
    Construit(PageFiche::Professionnel);
    Construit(PageFiche::Banque);
    SetHorloge(nullptr);
}

TPagesFiche::~TPagesFiche()
{
    delete d;
}

void TPagesFiche::Construit(PageFiche quelle)
{
    auto* page = new QWidget;
    const char* noms[] = {"Prive", "Professionnel", "Banque"};
    const char* titres[] = {"Privé", "Professionnel", "Banque"};
    const int n = static_cast<int>(quelle);
    page->setObjectName(QString::fromLatin1(noms[n]));
    page->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    page->setMinimumSize(624, 352);
    d->pages[static_cast<size_t>(n)] = page;

    for (const Element& e : Disposition(quelle)) {
        QWidget* w = nullptr;
        switch (e.sorte) {
        case Sorte::Libelle: {
            auto* l = new QLabel(Utf8(e.texte), page);
            l->setTextFormat(Qt::PlainText);
            w = l;
            break;
        }
        case Sorte::LigneSociete: {
            auto* l = new QLabel(page);
            l->setObjectName(QStringLiteral("LigneSociete"));
            l->setTextFormat(Qt::PlainText);
            d->ligneSociete = l;
            w = l;
            break;
        }
        case Sorte::Biseau: {
            auto* f = new QFrame(page);
            f->setObjectName(QStringLiteral("Biseau"));
            f->setFrameStyle(QFrame::Panel | QFrame::Raised);
            f->setLineWidth(2);
            w = f;
            break;
        }
        case Sorte::NomEffet: {
            auto* l = new TLibelleEffet(e.points, page);
            l->setObjectName(QStringLiteral("Libelle") +
                             QString::fromLatin1(Champs::Info(e.colonne).cle));
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(e.largeur > 100);
            d->entetes.push_back({quelle, e.colonne, e.largeur, l});
            w = l;
            break;
        }
        case Sorte::Cadre: {
            auto* c = new TCadrePhoto(page);
            c->setObjectName(QStringLiteral("Photo"));
            c->setToolTip(Utf8("Clic droit pour charger ou effacer une photo"));
            d->cadre = c;
            w = c;
            break;
        }
        case Sorte::Champ: {
            const int col = e.colonne;
            const InfoChamp& info = Champs::Info(col);
            switch (info.genre) {
            case GenreControle::Memo: {
                auto* m = new TMemoNotes(page);
                m->setToolTip(Utf8("Tapez F12 pour insérer la date"));
                connect(m, &QPlainTextEdit::textChanged, this, [this, col] { Modifie(col); });
                connect(m, &TMemoNotes::CaractereRefuse, this,
                        [this, m](const QString& c) { Refuse(m, c); });
                d->memos[static_cast<size_t>(n)] = m;
                w = m;
                break;
            }
            case GenreControle::Liste: {
                auto* c = new QComboBox(page);
                c->setEditable(true);
                c->setInsertPolicy(QComboBox::NoInsert);
                c->setCompleter(nullptr); // typed text stays exactly as typed
                c->setMaxVisibleItems(19);
                for (const char* civilite :
                     {"Monsieur", "Madame", "Mademoiselle", "Madame et Monsieur", "Docteur",
                      "Professeur", "Maître", "Famille", "Société", "Compagnie", "Etablissements",
                      "Monseigneur", "Leurs Altesses", "Son Altesse", "Son Eminence",
                      "Son Excellence", "Sa Majesté", "Révérend Père", "Sa Sainteté"})
                    c->addItem(Utf8(civilite));
                c->setCurrentIndex(-1);
                c->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
                auto* v = new ValidateurCp1252(true, c);
                c->setValidator(v);
                d->validateurs.push_back(v);
                connect(v, &ValidateurCp1252::CaractereRefuse, this,
                        [this, c](const QString& car) { Refuse(c, car); });
                connect(c, &QComboBox::editTextChanged, this, [this, col] { Modifie(col); });
                w = c;
                break;
            }
            default: {
                auto* l = new QLineEdit(page);
                // A cell has no length limit; a shorter limit would cut it on display.
                l->setMaxLength(std::numeric_limits<int>::max());
                if (info.genre == GenreControle::LigneGras) {
                    QFont f = l->font();
                    f.setBold(true);
                    l->setFont(f);
                }
                auto* v = new ValidateurCp1252(true, l);
                l->setValidator(v);
                d->validateurs.push_back(v);
                connect(v, &ValidateurCp1252::CaractereRefuse, this,
                        [this, l](const QString& car) { Refuse(l, car); });
                connect(l, &QLineEdit::textChanged, this, [this, col] { Modifie(col); });
                w = l;
                break;
            }
            }
            w->setObjectName(QString::fromLatin1(info.cle));
            if (info.numerotable) w->setToolTip(Utf8("Clic droit pour numéroter"));
            if (info.courriel) w->setToolTip(Utf8("Clic droit pour envoyer un message !"));
            const QColor couleur = CouleurGroupe(info.groupe);
            if (couleur.isValid()) {
                QPalette pal = w->palette();
                pal.setColor(QPalette::Base, couleur);
                w->setPalette(pal);
            }
            d->controles[static_cast<size_t>(col)] = w;
            break;
        }
        }
        w->setGeometry(e.x, e.y, e.largeur, e.hauteur);
    }

    const std::vector<int>& ordre = Champs::OrdrePage(quelle);
    for (size_t i = 1; i < ordre.size(); ++i)
        QWidget::setTabOrder(Controle(ordre[i - 1]), Controle(ordre[i]));

    d->onglets->addTab(page, Utf8(titres[n]));
}

QWidget* TPagesFiche::Page(PageFiche page) const
{
    return d->pages[static_cast<size_t>(page)];
}

QWidget* TPagesFiche::Controle(int colonne) const
{
    if (colonne < 0 || colonne >= NbColonnes - 1) return nullptr;
    return d->controles[static_cast<size_t>(colonne)];
}

QString TPagesFiche::TexteUnicode(int colonne) const
{
    QWidget* w = Controle(colonne);
    if (auto* l = qobject_cast<QLineEdit*>(w)) return l->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* m = qobject_cast<TMemoNotes*>(w)) return m->Texte();
    return {};
}

std::string TPagesFiche::TexteControle(int colonne) const
{
    std::string octets;
    CodePage::VersWindows1252(TexteUnicode(colonne), octets);
    return octets;
}

QWidget* TPagesFiche::CadrePhoto() const
{
    return d->cadre;
}

QLabel* TPagesFiche::LibelleNom(PageFiche page, int colonne) const
{
    for (const auto& e : d->entetes)
        if (e.page == page && e.colonne == colonne) return e.libelle;
    return nullptr;
}

void TPagesFiche::MontreLigne(const Repertoire& rep, int ligne)
{
    const bool valide = ligne >= 0 && ligne < rep.NbLignes();
    const bool avant = d->affichage;
    d->affichage = true;
    for (ValidateurCp1252* v : d->validateurs)
        v->SetSuspendu(true);
    for (int col = 0; col < NbColonnes - 1; ++col) {
        const QString texte = valide ? CodePage::VersUnicode(rep.Cellule(col, ligne)) : QString();
        QWidget* w = Controle(col);
        if (auto* l = qobject_cast<QLineEdit*>(w)) {
            // An unchanged field keeps its caret, so a display does not disturb typing.
            if (l->text() != texte) {
                l->setText(texte);
                l->setCursorPosition(0);
            }
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            if (c->currentText() != texte) {
                c->setCurrentIndex(c->findText(texte, Qt::MatchExactly | Qt::MatchCaseSensitive));
                c->setEditText(texte);
                c->lineEdit()->setCursorPosition(0);
            }
        } else if (auto* m = qobject_cast<TMemoNotes*>(w)) {
            if (m->Texte() != texte) m->SetTexte(texte);
        }
        d->textes[static_cast<size_t>(col)] = TexteUnicode(col);
    }
    for (ValidateurCp1252* v : d->validateurs)
        v->SetSuspendu(false);
    d->affichage = avant;
    MajEntetes(rep, ligne);
    emit LigneMontree(ligne);
}

void TPagesFiche::MajEntetes(const Repertoire& rep, int ligne)
{
    const bool valide = ligne >= 0 && ligne < rep.NbLignes();
    auto cellule = [&](int col) {
        return valide ? CodePage::VersUnicode(rep.Cellule(col, ligne)) : QString();
    };
    const QString societe = cellule(Societe);
    const QString fonction = cellule(Fonction);
    QString texte = societe;
    if (!societe.isEmpty() && !fonction.isEmpty()) texte += QStringLiteral(" - ");
    texte += fonction;
    d->ligneSociete->setText(texte);

    for (const auto& e : d->entetes) {
        e.libelle->setText(cellule(e.colonne));
        if (!e.libelle->wordWrap()) {
            // A single-line name grows to its text, up to the bevel's inner edge.
            const int largeur = qBound(e.largeurMin, e.libelle->sizeHint().width(), 121);
            e.libelle->resize(largeur, e.libelle->height());
        }
    }
}

QString TPagesFiche::LigneSociete() const
{
    return d->ligneSociete->text();
}

void TPagesFiche::SetHorloge(std::function<QDate()> horloge)
{
    for (TMemoNotes* m : d->memos)
        m->SetHorloge(horloge);
}

void TPagesFiche::SetLectureSeule(bool lectureSeule)
{
    d->lectureSeule = lectureSeule;
    for (QWidget* w : d->controles) {
        if (auto* l = qobject_cast<QLineEdit*>(w)) l->setReadOnly(lectureSeule);
        if (auto* c = qobject_cast<QComboBox*>(w)) c->lineEdit()->setReadOnly(lectureSeule);
        if (auto* m = qobject_cast<TMemoNotes*>(w)) m->setReadOnly(lectureSeule);
    }
}

bool TPagesFiche::LectureSeule() const
{
    return d->lectureSeule;
}

void TPagesFiche::Modifie(int colonne)
{
    if (d->affichage) return;
    const QString texte = TexteUnicode(colonne);
    QString& dernier = d->textes[static_cast<size_t>(colonne)];
    if (texte == dernier) return;
    if (d->lectureSeule) {
        // Only the list of a drop-down can still change its text: put it back.
        if (auto* c = qobject_cast<QComboBox*>(Controle(colonne))) {
            d->affichage = true;
            c->setCurrentIndex(c->findText(dernier, Qt::MatchExactly | Qt::MatchCaseSensitive));
            c->setEditText(dernier);
            d->affichage = false;
        }
        return;
    }
    dernier = texte;
    std::string octets;
    // A text Windows-1252 cannot hold never gets here from the user; the
    // validators and the memos refuse it first.
    if (!CodePage::VersWindows1252(texte, octets)) return;
    emit ChampModifie(colonne, octets);
}

void TPagesFiche::Refuse(QWidget* controle, const QString& caractere)
{
    QToolTip::showText(controle->mapToGlobal(QPoint(0, controle->height())),
                       ValidateurCp1252::MessageRefus(caractere), controle);
    emit CaractereRefuse(caractere);
}
