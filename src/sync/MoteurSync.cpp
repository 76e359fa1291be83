#include "MoteurSync.h"

#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "sync/AdresseCardDav.h"
#include "sync/Appariement.h"

#include <QHash>
#include <algorithm>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

using G = ErreurDav::Genre;

bool MemesChamps(const CarteSync::Champs& a, const CarteSync::Champs& b, bool banque)
{
    for (int c = 0; c < NbColonnes; ++c)
        if (CarteSync::Synchronise(c, banque) &&
            a[static_cast<size_t>(c)] != b[static_cast<size_t>(c)])
            return false;
    return true;
}

} // namespace

MoteurSync::MoteurSync(QObject* parent) : QObject(parent), m_client(new ClientCardDav(this)) {}

MoteurSync::~MoteurSync() = default;

QString MoteurSync::NomFiche(const CarteSync::Champs& f) const
{
    QStringList parties;
    for (const int c : {Prenom, Nom})
        if (!f[static_cast<size_t>(c)].empty())
            parties << CodePage::VersUnicode(f[static_cast<size_t>(c)]);
    if (parties.isEmpty() && !f[Societe].empty()) parties << CodePage::VersUnicode(f[Societe]);
    return parties.isEmpty() ? Fr("(sans nom)") : parties.join(QLatin1Char(' '));
}

void MoteurSync::Prepare(const Repertoire& rep, const EtatSync& etat, bool perime,
                         const Compte& compte, std::function<void(const ErreurDav&)> fin)
{
    m_compte = compte;
    m_etat = etat;
    m_perime = perime;
    m_fin = std::move(fin);
    m_rep = nullptr;
    m_bilan = Bilan();
    m_dossiers.clear();
    m_conflits.clear();
    m_envois.clear();
    m_cartes.clear();
    m_absentes.clear();
    m_aRecuperer.clear();
    m_oubliees.clear();
    m_client->SetParametres(compte.acces);

    // A state made with another account or address book says nothing of this one.
    const QString adresse = compte.carnet.toString(QUrl::FullyEncoded);
    if (!m_etat.MemeCompte(adresse, compte.acces.utilisateur)) {
        m_etat = EtatSync();
        m_etat.adresse = adresse;
        m_etat.utilisateur = compte.acces.utilisateur;
    }

    m_lignes.assign(static_cast<size_t>(rep.NbLignes()), CarteSync::Champs());
    std::vector<const CarteSync::Champs*> lignes(m_lignes.size(), nullptr);
    m_nbFiches = 0;
    for (int l = 1; l < rep.NbLignes(); ++l) {
        CarteSync::Champs& f = m_lignes[static_cast<size_t>(l)];
        for (int c = 0; c < NbColonnes; ++c)
            f[static_cast<size_t>(c)] = rep.CelluleStr(c, l);
        if (CarteSync::Vide(f)) continue;
        lignes[static_cast<size_t>(l)] = &f;
        ++m_nbFiches;
    }
    std::vector<Appariement::Cote> connus;
    connus.reserve(m_etat.entrees.size());
    for (const EtatSync::Entree& e : m_etat.entrees)
        connus.push_back({&e.champs, e.ligne});
    m_entreeLigne = Appariement::Apparie(connus, lignes, compte.banque);
    Liste();
}

void MoteurSync::Liste()
{
    emit Avance(Fr("Liste des changements du serveur"), 0, 0);
    ClientCardDav::Depuis depuis;
    depuis.jeton = m_etat.jeton;
    depuis.ctag = m_etat.ctag;
    m_client->Liste(m_compte.carnet, depuis,
                    [this](const ErreurDav& e, const ClientCardDav::Listage& l) {
                        if (e) return Termine(e);
                        m_listage = l;
                        Recupere();
                    });
}

void MoteurSync::Recupere()
{
    QHash<QString, int> parHref;
    for (size_t k = 0; k < m_etat.entrees.size(); ++k)
        parHref.insert(m_etat.entrees[k].href, static_cast<int>(k));
    QSet<QString> vus;
    for (const ClientCardDav::Element& el : m_listage.elements) {
        vus.insert(el.href);
        const auto it = parHref.constFind(el.href);
        const bool connu = it != parHref.constEnd();
        // A card of a record not found again in a book changed elsewhere is read
        // again, to be matched as a new one.
        const bool oublie = connu && m_perime && m_entreeLigne[static_cast<size_t>(*it)] < 0;
        if (!connu || oublie || el.etag.isEmpty() ||
            m_etat.entrees[static_cast<size_t>(*it)].etag != el.etag)
            m_aRecuperer << el.href;
    }
    if (m_perime && m_listage.complet == false)
        for (size_t k = 0; k < m_etat.entrees.size(); ++k)
            if (m_entreeLigne[k] < 0 && !vus.contains(m_etat.entrees[k].href) &&
                !m_listage.supprimes.contains(m_etat.entrees[k].href) &&
                !m_etat.entrees[k].etag.isEmpty())
                m_aRecuperer << m_etat.entrees[k].href;
    if (m_aRecuperer.isEmpty()) return Decide();
    emit Avance(Fr("Réception des fiches"), 0, m_aRecuperer.size());
    OperationDav* op = m_client->Recupere(m_compte.carnet, m_aRecuperer,
                                          [this](const ErreurDav& e,
                                                 const std::vector<ClientCardDav::Carte>& cartes,
                                                 const QStringList& absentes) {
                                              if (e) return Termine(e);
                                              m_cartes = cartes;
                                              m_absentes = absentes;
                                              Decide();
                                          });
    connect(op, &OperationDav::Avance, this, [this](qint64 fait, qint64 total) {
        emit Avance(Fr("Réception des fiches"), fait, total);
    });
}

void MoteurSync::Decide()
{
    const bool banque = m_compte.banque;
    QHash<QString, int> parHref;
    for (size_t k = 0; k < m_etat.entrees.size(); ++k)
        parHref.insert(m_etat.entrees[k].href, static_cast<int>(k));
    std::vector<bool> ligneLiee(m_lignes.size(), false);
    std::vector<int> dossierDeEntree(m_etat.entrees.size(), -1);

    // The records known, with what the server says of each.
    for (size_t k = 0; k < m_etat.entrees.size(); ++k) {
        const int ligne = m_entreeLigne[k];
        if (ligne < 0 && m_perime) continue; // read again below, as a new card
        Dossier d;
        d.entree = static_cast<int>(k);
        d.ligne = ligne;
        d.href = m_etat.entrees[k].href;
        d.uid = m_etat.entrees[k].uid;
        d.etag = m_etat.entrees[k].etag;
        if (ligne >= 0) {
            ligneLiee[static_cast<size_t>(ligne)] = true;
            d.ici = m_lignes[static_cast<size_t>(ligne)];
        }
        dossierDeEntree[k] = static_cast<int>(m_dossiers.size());
        m_dossiers.push_back(std::move(d));
    }
    const auto supprime = [&](const QString& href) {
        const auto it = parHref.constFind(href);
        if (it == parHref.constEnd() || dossierDeEntree[static_cast<size_t>(*it)] < 0) return;
        Dossier& d = m_dossiers[static_cast<size_t>(dossierDeEntree[static_cast<size_t>(*it)])];
        // A card whose creation was never confirmed is not there yet: sent again.
        if (!d.etag.isEmpty()) d.serveur = Serveur::Supprime;
    };
    for (const QString& href : m_listage.supprimes)
        supprime(href);
    for (const QString& href : m_absentes)
        supprime(href);
    if (m_listage.complet) {
        QSet<QString> presents;
        for (const ClientCardDav::Element& el : m_listage.elements)
            presents.insert(el.href);
        for (Dossier& d : m_dossiers)
            if (!presents.contains(d.href) && !d.etag.isEmpty()) d.serveur = Serveur::Supprime;
    }

    // The cards received: changes of known records, or cards new to this book.
    std::vector<ClientCardDav::Carte> nouvelles;
    for (const ClientCardDav::Carte& carte : m_cartes) {
        const auto it = parHref.constFind(carte.href);
        const int dossier =
            it == parHref.constEnd() ? -1 : dossierDeEntree[static_cast<size_t>(*it)];
        if (dossier < 0) {
            if (it != parHref.constEnd()) m_oubliees.push_back(*it);
            nouvelles.push_back(carte);
            continue;
        }
        Dossier& d = m_dossiers[static_cast<size_t>(dossier)];
        const CarteSync::Lecture lue = CarteSync::Lit(carte.vcard);
        if (!lue.valide) continue; // left as it was: nothing to merge with
        d.serveur = Serveur::Change;
        d.carte = carte.vcard;
        d.etag = carte.etag;
        d.champsServeur = lue.champs;
    }
    // A book changed elsewhere: the records not found again are forgotten, their
    // cards met again as new ones.
    for (size_t k = 0; k < m_etat.entrees.size(); ++k)
        if (dossierDeEntree[k] < 0) {
            ++m_bilan.nonRapprochees;
            m_oubliees.push_back(static_cast<int>(k));
        }

    std::vector<CarteSync::Champs> champsNouvelles;
    std::vector<Appariement::Cote> connus;
    champsNouvelles.reserve(nouvelles.size());
    for (const ClientCardDav::Carte& c : nouvelles)
        champsNouvelles.push_back(CarteSync::Lit(c.vcard).champs);
    for (const CarteSync::Champs& f : champsNouvelles)
        connus.push_back({&f, -1});
    std::vector<const CarteSync::Champs*> libres(m_lignes.size(), nullptr);
    for (size_t l = 1; l < m_lignes.size(); ++l)
        if (!ligneLiee[l] && !CarteSync::Vide(m_lignes[l])) libres[l] = &m_lignes[l];
    const std::vector<int> paires = Appariement::Apparie(connus, libres, banque);
    for (size_t i = 0; i < nouvelles.size(); ++i) {
        const CarteSync::Lecture lue = CarteSync::Lit(nouvelles[i].vcard);
        if (!lue.valide) continue;
        Dossier d;
        d.serveur = Serveur::Change;
        d.href = nouvelles[i].href;
        d.etag = nouvelles[i].etag;
        d.carte = nouvelles[i].vcard;
        d.uid = lue.uid.isEmpty() ? CarteSync::NouvelUid() : lue.uid;
        d.champsServeur = lue.champs;
        d.ligne = paires[i];
        if (d.ligne >= 0) {
            ligneLiee[static_cast<size_t>(d.ligne)] = true;
            d.ici = m_lignes[static_cast<size_t>(d.ligne)];
        }
        m_dossiers.push_back(std::move(d));
    }
    // The book's records the server has never seen.
    for (size_t l = 1; l < m_lignes.size(); ++l) {
        if (ligneLiee[l] || CarteSync::Vide(m_lignes[l])) continue;
        Dossier d;
        d.ligne = static_cast<int>(l);
        d.ici = m_lignes[l];
        d.uid = CarteSync::NouvelUid();
        d.href = AdresseCardDav::HrefNouvelleCarte(m_compte.carnet, d.uid);
        m_dossiers.push_back(std::move(d));
    }
    for (size_t i = 0; i < m_dossiers.size(); ++i) {
        Dossier& d = m_dossiers[i];
        DecideDossier(d);
        for (const int champ : d.fusion.conflits) {
            Conflit c;
            c.dossier = static_cast<int>(i);
            c.champ = champ;
            c.fiche = NomFiche(d.ici);
            c.mienne = d.ici[static_cast<size_t>(champ)];
            c.serveur = d.champsServeur[static_cast<size_t>(champ)];
            m_conflits.push_back(std::move(c));
        }
    }
    m_bilan.conflits = static_cast<int>(m_conflits.size());
    Termine(ErreurDav());
}

void MoteurSync::DecideDossier(Dossier& d)
{
    const bool banque = m_compte.banque;
    const EtatSync::Entree* e =
        d.entree >= 0 ? &m_etat.entrees[static_cast<size_t>(d.entree)] : nullptr;
    d.fusion = FusionFiche::Resultat();
    if (d.ligne < 0) {
        if (!e) {
            // A card new to this book.
            d.ajoutIci = true;
            d.fusion.champs = d.champsServeur;
        } else if (d.serveur == Serveur::Change) {
            // Deleted here, changed there: the change wins, the record comes back.
            d.ajoutIci = true;
            d.fusion.champs = d.champsServeur;
            for (int c = 0; c < NbColonnes; ++c)
                if (!CarteSync::Synchronise(c, banque))
                    d.fusion.champs[static_cast<size_t>(c)] = e->champs[static_cast<size_t>(c)];
        } else if (d.serveur == Serveur::Inchange && !e->etag.isEmpty()) {
            d.supprimeServeur = true;
        } else {
            d.retire = true;
        }
        return;
    }
    if (!e && d.serveur == Serveur::Inchange) {
        // Never sent yet.
        d.fusion.champs = d.ici;
        d.envoi = d.creation = true;
        return;
    }
    const bool changeIci = !e || !MemesChamps(d.ici, e->champs, banque);
    if (d.serveur == Serveur::Supprime) {
        d.fusion.champs = d.ici;
        if (changeIci) {
            // Changed here, deleted there: the change wins, the card is made again.
            d.envoi = d.creation = true;
            d.etag.clear();
        } else {
            d.supprimeIci = true;
        }
        return;
    }
    if (d.serveur == Serveur::Inchange) {
        d.fusion.champs = d.ici;
        if (e->etag.isEmpty()) {
            d.envoi = d.creation = true; // a creation not confirmed: sent again
        } else if (changeIci) {
            d.envoi = true;
        }
        return;
    }
    CarteSync::Lecture base;
    if (e && !e->carte.isEmpty()) base = CarteSync::Lit(e->carte);
    const bool avecBase = e && base.valide && !e->etag.isEmpty();
    d.fusion =
        FusionFiche::Fusionne(avecBase ? &e->champs : nullptr, avecBase ? &base.champs : nullptr,
                              d.ici, d.champsServeur, banque);
}

int MoteurSync::SuppressionsIci() const
{
    return static_cast<int>(std::count_if(m_dossiers.begin(), m_dossiers.end(),
                                          [](const Dossier& d) { return d.supprimeIci; }));
}

int MoteurSync::SuppressionsServeur() const
{
    return static_cast<int>(std::count_if(m_dossiers.begin(), m_dossiers.end(),
                                          [](const Dossier& d) { return d.supprimeServeur; }));
}

bool MoteurSync::ConfirmationNecessaire() const
{
    const int base = std::max(m_nbFiches, 1);
    return std::max(SuppressionsIci(), SuppressionsServeur()) * 10 > base;
}

void MoteurSync::RefuseSuppressions()
{
    for (Dossier& d : m_dossiers) {
        if (d.supprimeIci) {
            // Kept here: the card is made again on the server.
            d.supprimeIci = false;
            d.envoi = d.creation = true;
            d.etag.clear();
            d.fusion.champs = d.ici;
        } else if (d.supprimeServeur) {
            // Kept on the server: the record comes back here.
            d.supprimeServeur = false;
            d.ajoutIci = true;
            d.fusion.champs = m_etat.entrees[static_cast<size_t>(d.entree)].champs;
        }
    }
}

EtatSync::Entree& MoteurSync::EntreeDe(Dossier& d)
{
    if (d.entree < 0) {
        d.entree = static_cast<int>(m_etat.entrees.size());
        EtatSync::Entree e;
        e.uid = d.uid;
        e.href = d.href;
        m_etat.entrees.push_back(std::move(e));
    }
    return m_etat.entrees[static_cast<size_t>(d.entree)];
}

bool MoteurSync::LigneIntacte(const Dossier& d) const
{
    if (d.ligne < 1 || d.ligne > m_rep->NbFiches()) return false;
    for (int c = 0; c < NbColonnes; ++c)
        if (m_rep->Cellule(c, d.ligne) != d.ici[static_cast<size_t>(c)]) return false;
    return true;
}

void MoteurSync::EcritLigne(Dossier& d, const CarteSync::Champs& champs)
{
    if (d.ligne < 0) return;
    bool change = false;
    for (int c = 0; c < NbColonnes; ++c) {
        if (m_rep->Cellule(c, d.ligne) == champs[static_cast<size_t>(c)]) continue;
        m_rep->SetCellule(c, d.ligne, champs[static_cast<size_t>(c)]);
        change = true;
    }
    if (change) m_rep->SetModifie(true);
    d.ici = champs;
}

void MoteurSync::Applique(Repertoire& rep, std::function<void(const ErreurDav&)> fin)
{
    m_rep = &rep;
    m_fin = std::move(fin);
    const bool banque = m_compte.banque;
    for (const int k : m_oubliees)
        m_etat.entrees[static_cast<size_t>(k)].href.clear();
    for (const Conflit& c : m_conflits) {
        Dossier& d = m_dossiers[static_cast<size_t>(c.dossier)];
        std::string& v = d.fusion.champs[static_cast<size_t>(c.champ)];
        switch (c.choix) {
        case Choix::Mienne:
            v = c.mienne;
            break;
        case Choix::Serveur:
            v = c.serveur;
            break;
        case Choix::LesDeux:
            v = FusionFiche::LesDeux(c.mienne, c.serveur);
            break;
        }
    }

    // The book changes at once: every card needed is in.
    std::vector<int> aSupprimer;
    const bool seuleVide = rep.NbFiches() == 1 && m_nbFiches == 0;
    bool vidUtilise = false;
    for (Dossier& d : m_dossiers) {
        // A row that no longer holds what was read (the book changed meanwhile) is
        // left alone, and its record left for the next run.
        if (d.ligne >= 0 && !d.ajoutIci && (d.serveur == Serveur::Change || d.supprimeIci) &&
            !LigneIntacte(d)) {
            d.saute = true;
            d.supprimeIci = d.envoi = false;
            ++m_bilan.reportees;
            continue;
        }
        if (d.serveur == Serveur::Change && d.ligne >= 0 && !d.ajoutIci) {
            if (!MemesChamps(d.fusion.champs, d.ici, true)) {
                EcritLigne(d, d.fusion.champs);
                ++m_bilan.recues;
            }
            d.envoi = !MemesChamps(d.fusion.champs, d.champsServeur, banque);
        }
        if (d.ajoutIci) {
            // A new book's blank record takes the first card instead of staying blank.
            if (seuleVide && !vidUtilise) {
                d.ligne = 1;
                vidUtilise = true;
            } else {
                d.ligne = rep.AjouteFiche();
            }
            d.ici = CarteSync::Champs();
            for (int c = 0; c < NbColonnes; ++c)
                d.ici[static_cast<size_t>(c)] = rep.CelluleStr(c, d.ligne);
            EcritLigne(d, d.fusion.champs);
            rep.SetModifie(true);
            ++m_bilan.recues;
            d.envoi = !MemesChamps(d.fusion.champs, d.champsServeur, banque) &&
                      d.serveur == Serveur::Change;
        }
        if (d.supprimeIci) aSupprimer.push_back(d.ligne);
    }
    std::sort(aSupprimer.begin(), aSupprimer.end(), std::greater<int>());
    for (const int l : aSupprimer) {
        rep.SupprimeLignes(l, l);
        rep.SetModifie(true);
    }
    m_bilan.supprimeesServeur = static_cast<int>(aSupprimer.size());
    // Rows after a deleted one moved up.
    for (Dossier& d : m_dossiers) {
        if (d.ligne < 0) continue;
        if (d.supprimeIci) {
            d.ligne = -1;
            continue;
        }
        const int avant = static_cast<int>(std::count_if(aSupprimer.begin(), aSupprimer.end(),
                                                         [&](int l) { return l < d.ligne; }));
        d.ligne -= avant;
    }

    // The state follows: the server's side of each record is now in the book; this
    // side's changes not sent yet stay changes against it.
    for (Dossier& d : m_dossiers) {
        if (d.saute) continue;
        if (d.retire || d.supprimeIci) {
            if (d.entree >= 0) m_etat.entrees[static_cast<size_t>(d.entree)].href.clear();
            continue;
        }
        if (d.serveur == Serveur::Change) {
            EtatSync::Entree& e = EntreeDe(d);
            e.etag = d.etag;
            e.carte = d.carte;
            e.champs = d.champsServeur;
            for (int c = 0; c < NbColonnes; ++c)
                if (!CarteSync::Synchronise(c, banque))
                    e.champs[static_cast<size_t>(c)] = d.fusion.champs[static_cast<size_t>(c)];
        }
        if (d.envoi && d.creation) {
            // Sent again at the same address until the server confirms it; a card
            // made again keeps the other programs' lines of the one deleted.
            EtatSync::Entree& e = EntreeDe(d);
            e.etag.clear();
            e.champs = d.fusion.champs;
        }
        if (d.envoi || d.supprimeServeur)
            m_envois.push_back(static_cast<size_t>(&d - m_dossiers.data()));
    }
    // A record left for the next run keeps the listing's start where it was, so that
    // its change on the server is listed again.
    if (std::none_of(m_dossiers.begin(), m_dossiers.end(),
                     [](const Dossier& d) { return d.saute; })) {
        m_etat.jeton = m_listage.jeton;
        m_etat.ctag = m_listage.ctag;
    }
    Envoie(0);
}

void MoteurSync::Envoie(size_t rang)
{
    if (rang >= m_envois.size()) return Termine(ErreurDav());
    emit Avance(Fr("Envoi des changements"), static_cast<qint64>(rang),
                static_cast<qint64>(m_envois.size()));
    EnvoieDossier(m_envois[rang], false, [this, rang] { Envoie(rang + 1); });
}

void MoteurSync::EnvoieDossier(size_t indice, bool nouvelEssai, std::function<void()> suite)
{
    Dossier& d = m_dossiers[indice];
    if (d.supprimeServeur) {
        const QString etag = m_etat.entrees[static_cast<size_t>(d.entree)].etag;
        m_client->Supprime(m_compte.carnet, d.href, etag,
                           [this, indice, suite](const ErreurDav& e) {
                               Dossier& d = m_dossiers[indice];
                               if (e.genre() == G::Precondition || e.genre() == G::Introuvable) {
                                   // Changed there meanwhile (it comes back next time), or gone
                                   // already.
                                   if (e.genre() == G::Introuvable)
                                       m_etat.entrees[static_cast<size_t>(d.entree)].href.clear();
                                   else
                                       ++m_bilan.reportees;
                                   return suite();
                               }
                               if (e) return Termine(e);
                               m_etat.entrees[static_cast<size_t>(d.entree)].href.clear();
                               ++m_bilan.supprimeesIci;
                               suite();
                           });
        return;
    }
    EtatSync::Entree& entree = EntreeDe(d);
    const QByteArray base = d.serveur == Serveur::Change ? d.carte : entree.carte;
    const QByteArray carte = CarteSync::Ecrit(d.fusion.champs, d.uid, base, m_compte.banque);
    const QString etag =
        d.creation ? QString() : (d.serveur == Serveur::Change ? d.etag : entree.etag);
    const CarteSync::Champs envoyes = d.fusion.champs;
    m_client->Envoie(m_compte.carnet, d.href, carte, etag,
                     [this, indice, carte, envoyes, nouvelEssai,
                      suite](const ErreurDav& e, const ClientCardDav::Envoi& envoi) {
                         Dossier& d = m_dossiers[indice];
                         if (e.genre() == G::Precondition && !nouvelEssai)
                             return Course(indice, suite);
                         if (e.genre() == G::Precondition) {
                             ++m_bilan.reportees;
                             return suite();
                         }
                         if (e) return Termine(e);
                         EtatSync::Entree& entree = m_etat.entrees[static_cast<size_t>(d.entree)];
                         entree.etag = envoi.etag;
                         entree.carte = envoi.vcardServeur.isEmpty() ? carte : envoi.vcardServeur;
                         entree.champs = envoyes;
                         ++m_bilan.envoyees;
                         suite();
                     });
}

void MoteurSync::Course(size_t indice, std::function<void()> suite)
{
    // The card changed on the server between the listing and this write (or a card
    // was made there at this address): read it, merge again, write once more.
    Dossier& d = m_dossiers[indice];
    m_client->Recupere(m_compte.carnet, {d.href},
                       [this, indice, suite](const ErreurDav& e,
                                             const std::vector<ClientCardDav::Carte>& cartes,
                                             const QStringList&) {
                           if (e) return Termine(e);
                           Dossier& d = m_dossiers[indice];
                           EtatSync::Entree& entree = m_etat.entrees[static_cast<size_t>(d.entree)];
                           if (cartes.empty()) {
                               // Deleted meanwhile: made again.
                               d.creation = true;
                               return EnvoieDossier(indice, true, suite);
                           }
                           const CarteSync::Lecture lue = CarteSync::Lit(cartes.front().vcard);
                           CarteSync::Lecture base;
                           if (!entree.carte.isEmpty()) base = CarteSync::Lit(entree.carte);
                           const bool avecBase = base.valide && !entree.etag.isEmpty();
                           const FusionFiche::Resultat f =
                               FusionFiche::Fusionne(avecBase ? &entree.champs : nullptr,
                                                     avecBase ? &base.champs : nullptr,
                                                     d.fusion.champs, lue.champs, m_compte.banque);
                           if (!lue.valide || !f.conflits.empty()) {
                               // Settled by the user at the next run.
                               ++m_bilan.reportees;
                               return suite();
                           }
                           if (d.ligne >= 0 && !LigneIntacte(d)) {
                               ++m_bilan.reportees;
                               return suite();
                           }
                           d.fusion.champs = f.champs;
                           EcritLigne(d, f.champs);
                           d.serveur = Serveur::Change;
                           d.creation = false;
                           d.carte = cartes.front().vcard;
                           d.etag = cartes.front().etag;
                           d.champsServeur = lue.champs;
                           entree.etag = d.etag;
                           entree.carte = d.carte;
                           entree.champs = lue.champs;
                           if (MemesChamps(f.champs, lue.champs, m_compte.banque)) {
                               entree.champs = f.champs;
                               return suite();
                           }
                           EnvoieDossier(indice, true, suite);
                       });
}

void MoteurSync::Termine(const ErreurDav& erreur)
{
    if (m_rep) {
        // The state keeps the rows the records hold now, and drops what went.
        for (Dossier& d : m_dossiers)
            if (d.entree >= 0 && d.ligne >= 0)
                m_etat.entrees[static_cast<size_t>(d.entree)].ligne = d.ligne;
        auto& e = m_etat.entrees;
        e.erase(std::remove_if(e.begin(), e.end(),
                               [](const EtatSync::Entree& x) { return x.href.isEmpty(); }),
                e.end());
        m_dossiers.clear();
        m_envois.clear();
    }
    if (m_fin) {
        auto fin = std::move(m_fin);
        m_fin = nullptr;
        fin(erreur);
    }
}

void MoteurSync::Annule()
{
    m_client->AnnuleTout();
}
