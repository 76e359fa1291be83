#include "Registre.h"

#include "records/FichierRep.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <random>
#include <unistd.h>

// The book reader at real sizes and at every buffer edge: the file reader reads a
// block at a time, the memory reader sees the whole file; both must give the same
// book, at any block size, and a save must give back the lines it read.
namespace
{

void Ecrit(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(octets), octets.size());
}

QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Bytes this process has read through read() so far.
qint64 OctetsLus()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& ligne : io.readAll().split('\n'))
        if (ligne.startsWith("rchar:")) return ligne.mid(6).trimmed().toLongLong();
    return -1;
}

// A book's file built line by line, independently of the writer under test.
struct Livre {
    QByteArray octets;
    std::vector<std::string> flags; // one per row, header included

    void Entete(int nbLignes, int colonneTri)
    {
        octets = QByteArray::number(nbLignes) + "\r\n" + QByteArray::number(colonneTri) + "\r\n";
        flags.clear();
    }
    void Ligne(const std::string& flag, const std::vector<std::string>& cellules)
    {
        flags.push_back(flag);
        octets.append(flag.data(), static_cast<qsizetype>(flag.size())).append("\r\n");
        for (int c = 0; c < NbColonnes; ++c) {
            if (c < static_cast<int>(cellules.size()))
                octets.append(cellules[static_cast<size_t>(c)].data(),
                              static_cast<qsizetype>(cellules[static_cast<size_t>(c)].size()));
            octets.append("\r\n");
        }
    }
};

// `n` records with mixed flags and cells of every length from empty to a few
// hundred bytes, some folded over several lines, Windows-1252 accents included.
Livre LivreGenere(int n, unsigned graine, size_t grandeFiche = 0, int rangGrande = 0)
{
    std::mt19937 alea(graine);
    Livre l;
    l.Entete(n + 1, 3);
    std::vector<std::string> titres;
    for (int c = 0; c < NbColonnes; ++c)
        titres.push_back("Titre " + std::to_string(c));
    l.Ligne("0", titres);
    static const char* const flags[] = {"0", "1", "1", "0", "", "2", "oui"};
    for (int r = 1; r <= n; ++r) {
        std::vector<std::string> cellules(NbColonnes);
        for (int c = 0; c < NbColonnes; ++c) {
            const unsigned longueur = alea() % 7 == 0 ? 0 : alea() % (c == Notes ? 400 : 24);
            std::string& t = cellules[static_cast<size_t>(c)];
            for (unsigned k = 0; k < longueur; ++k) {
                const unsigned x = alea() % 40;
                t += x == 0 ? '\a' : x == 1 ? '\xe9' : x == 2 ? ' ' : char('a' + x % 26);
            }
        }
        if (r == rangGrande) cellules[Notes] = std::string(grandeFiche, 'N');
        l.Ligne(flags[alea() % 7], cellules);
    }
    return l;
}

// Same rows, cells, flags and sort column.
void MemeLivre(const Repertoire& a, const Repertoire& b)
{
    QCOMPARE(a.NbLignes(), b.NbLignes());
    QCOMPARE(a.ColonneTri(), b.ColonneTri());
    for (int r = 0; r < a.NbLignes(); ++r) {
        if (a.FlagMail(r) != b.FlagMail(r))
            QFAIL(qPrintable(QStringLiteral("flag de la ligne %1 : « %2 » au lieu de « %3 »")
                                 .arg(r)
                                 .arg(QString::fromStdString(b.FlagMail(r)),
                                      QString::fromStdString(a.FlagMail(r)))));
        for (int c = 0; c < NbColonnes; ++c)
            if (a.Cellule(c, r) != b.Cellule(c, r))
                QFAIL(
                    qPrintable(QStringLiteral("cellule %1 de la ligne %2 diffère").arg(c).arg(r)));
    }
}

// The file read at `bloc`, compared with the same bytes read whole: the same book,
// or the same refusal.
void CompareLectures(const QString& dossier, const QByteArray& octets, size_t bloc)
{
    const QString chemin = dossier + QStringLiteral("/livre.REP");
    Ecrit(chemin, octets);
    Repertoire parBlocs, entier;
    QString avisBlocs, avisEntier;
    const QString erreurBlocs =
        FichierRep::ChargeRepertoire(chemin, parBlocs, &avisBlocs, -1, bloc);
    const QString erreurEntier =
        FichierRep::ChargeDepuisOctets(octets, chemin, entier, &avisEntier);
    QCOMPARE(erreurBlocs, erreurEntier);
    QCOMPARE(avisBlocs, avisEntier);
    MemeLivre(entier, parBlocs);
}

// The book as the format describes it, read the plain way: lines split at LF, the CR
// before a LF dropped, a last line without LF kept when not empty, every 0x07 of a
// cell turned into CR LF. For well-formed files only.
struct Reference {
    int colonneTri = 0;
    std::vector<std::string> flags;
    std::vector<std::vector<std::string>> lignes;
};

Reference LitReference(const QByteArray& octets)
{
    std::vector<std::string> lignes;
    qsizetype debut = 0;
    while (debut < octets.size()) {
        const qsizetype lf = octets.indexOf('\n', debut);
        if (lf < 0) {
            lignes.push_back(octets.mid(debut).toStdString());
            break;
        }
        std::string l = octets.mid(debut, lf - debut).toStdString();
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lignes.push_back(l);
        debut = lf + 1;
    }
    Reference ref;
    const int n = std::stoi(lignes.at(0));
    ref.colonneTri = std::stoi(lignes.at(1));
    size_t i = 2;
    for (int r = 0; r < n; ++r) {
        ref.flags.push_back(lignes.at(i++));
        std::vector<std::string> cellules;
        for (int c = 0; c < NbColonnes; ++c) {
            std::string deplie;
            for (char o : lignes.at(i++))
                deplie += o == '\a' ? std::string("\r\n") : std::string(1, o);
            cellules.push_back(deplie);
        }
        ref.lignes.push_back(cellules);
    }
    return ref;
}

// Rows out of the ordinary, each where the fast way of reading gives way to the
// careful one, or near it.
QByteArray LivreExtreme()
{
    Livre l;
    l.Entete(11, 5);
    std::vector<std::string> titres(NbColonnes, "T");
    l.Ligne("0", titres);
    l.Ligne("0", std::vector<std::string>(NbColonnes)); // blank
    std::vector<std::string> cellules(NbColonnes, "x");
    l.Ligne("\a1", cellules); // a 0x07 in the flag stays
    cellules[Notes] = std::string(20, '\a') + "fin";
    l.Ligne("1", cellules); // more folded line breaks than the fast way notes
    cellules[Notes] = "a\rb\r"; // a lone CR, and a CR before the CR LF
    cellules[Ville] = "\a";
    l.Ligne("123456", cellules);
    l.Ligne("1234567", cellules); // a flag past the few bytes kept in the row
    for (size_t taille : {size_t(65535), size_t(65536)}) {
        std::vector<std::string> grande(NbColonnes);
        grande[Nom] = "N";
        grande[Notes] = std::string(taille - 2, 'g');
        grande[Photo] = "P";
        l.Ligne("0", grande);
    }
    std::vector<std::string> pliee(NbColonnes);
    pliee[Notes] = std::string(40000, '\a'); // unfolds past 64 KiB
    l.Ligne("0", pliee);
    l.Ligne("0", std::vector<std::string>(NbColonnes, std::string(17, 'z')));
    l.Ligne("1", std::vector<std::string>(NbColonnes, "derni\xe8re"));
    QByteArray o = l.octets;
    o.replace("x\r\nx\r\n", "x\nx\r\n"); // some lines ending in LF alone
    o.chop(2);                               // the last line without its line end
    return o;
}

} // namespace

class TestLectureRep : public QObject
{
    Q_OBJECT
private slots:
    // Every book over one read buffer used to take the byte that a refill moved
    // under its flag line: 30,000 records with mixed flags must come back with
    // each flag, and Ajouter + save must give back every line it read.
    void grandLivreGardeChaqueFlag()
    {
        const Livre l = LivreGenere(30000, 7);
        QVERIFY(l.octets.size() > 8 * (1 << 20));
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("grand.REP"));
        Ecrit(chemin, l.octets);
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, rep), QString());
        QCOMPARE(rep.NbFiches(), 30000);
        for (int r = 0; r < rep.NbLignes(); ++r)
            if (rep.FlagMail(r) != l.flags[static_cast<size_t>(r)])
                QFAIL(qPrintable(QStringLiteral("flag de la fiche %1 changé").arg(r)));

        const int nouvelle = rep.AjouteFiche();
        rep.SetCellule(Nom, nouvelle, "Ajout");
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        const QByteArray relu = Lit(chemin);
        const QByteArray attendu = "30002" + l.octets.mid(l.octets.indexOf("\r\n")) + "0\r\nAjout" +
                                   QByteArray(46, '\0').replace('\0', "\r\n");
        QCOMPARE(relu.size(), attendu.size());
        QVERIFY(relu == attendu);
    }

    // A record whose cells pass the read buffer grows it: the flag read before must
    // survive the move (it was read from freed memory, and the program crashed).
    void ficheDePlusDUnMegaOctet()
    {
        const Livre l = LivreGenere(40, 11, 1100000, 20);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("lourd.REP"));
        Ecrit(chemin, l.octets);
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, rep), QString());
        for (int r = 0; r < rep.NbLignes(); ++r)
            QCOMPARE(rep.FlagMail(r), l.flags[static_cast<size_t>(r)]);
        QCOMPARE(rep.Cellule(Notes, 20).size(), size_t(1100000));
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        QVERIFY(Lit(chemin) == l.octets);
    }

    // Each reader is run at tiny block sizes, so that every line, cell and line end
    // falls across a refill somewhere, and at the real size.
    void lectureParBlocs_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<int>("bloc");
        const QByteArray amis = Lit(QStringLiteral(CARNET_FIXTURES "/amis.REP"));
        const QByteArray moyen = LivreGenere(150, 3).octets;
        const QByteArray lourd = LivreGenere(6, 5, 70000, 3).octets;
        QByteArray finsUnix = amis;
        finsUnix.replace("\r\n", "\n");
        const QByteArray surplus = QByteArray("2\r\n0\r\n") + amis.mid(6) + "suite\r\n";
        const QByteArray sansFin = amis.left(amis.size() - 2);
        const QByteArray coupe = moyen.left(moyen.size() / 2);
        const QByteArray flagLong = "2\r\n0\r\n" + QByteArray(300, '1') + "\r\n";
        for (int bloc : {1, 2, 7, 64, 1 << 20}) {
            const QByteArray b = "bloc " + QByteArray::number(bloc);
            QTest::newRow(b + " amis") << amis << bloc;
            QTest::newRow(b + " moyen") << moyen << bloc;
            QTest::newRow(b + " fins unix") << finsUnix << bloc;
            QTest::newRow(b + " surplus") << surplus << bloc;
            QTest::newRow(b + " sans dernière fin") << sansFin << bloc;
            QTest::newRow(b + " coupé") << coupe << bloc;
            QTest::newRow(b + " flag trop long") << flagLong << bloc;
            if (bloc >= 7) QTest::newRow(b + " fiche de 70 ko") << lourd << bloc;
        }
    }
    void lectureParBlocs()
    {
        QFETCH(QByteArray, octets);
        QFETCH(int, bloc);
        QTemporaryDir dossier;
        CompareLectures(dossier.path(), octets, static_cast<size_t>(bloc));
    }

    // Both readers, at block sizes that put row and line ends anywhere, against the
    // plain reading of the format.
    void lectureDeReference_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<int>("bloc");
        const QByteArray extreme = LivreExtreme();
        const QByteArray moyen = LivreGenere(400, 21).octets;
        for (int bloc : {1, 3, 16, 17, 4096, 1 << 20}) {
            QTest::newRow(qPrintable(QStringLiteral("extrême, bloc %1").arg(bloc))) << extreme << bloc;
            QTest::newRow(qPrintable(QStringLiteral("moyen, bloc %1").arg(bloc))) << moyen << bloc;
        }
    }
    void lectureDeReference()
    {
        QFETCH(QByteArray, octets);
        QFETCH(int, bloc);
        const Reference ref = LitReference(octets);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("ref.REP"));
        Ecrit(chemin, octets);
        Repertoire parBlocs, entier;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, parBlocs, nullptr, -1, size_t(bloc)), QString());
        QCOMPARE(FichierRep::ChargeDepuisOctets(octets, chemin, entier), QString());
        for (const Repertoire* rep : {&parBlocs, &entier}) {
            QCOMPARE(rep->NbLignes(), static_cast<int>(ref.lignes.size()));
            QCOMPARE(rep->ColonneTri(), ref.colonneTri);
            for (int r = 0; r < rep->NbLignes(); ++r) {
                QCOMPARE(rep->FlagMail(r), ref.flags[static_cast<size_t>(r)]);
                for (int c = 0; c < NbColonnes; ++c)
                    if (rep->Cellule(c, r) != ref.lignes[static_cast<size_t>(r)][static_cast<size_t>(c)])
                        QFAIL(qPrintable(QStringLiteral("cellule %1 de la ligne %2").arg(c).arg(r)));
            }
        }
    }

    // Line 1, line 2 and a flag line hold a few bytes: a file that makes one of them
    // huge is refused after reading a little of it, whatever its size.
    void lignesCourtesBornees_data()
    {
        QTest::addColumn<QByteArray>("debut");
        QTest::addColumn<QString>("raison");
        QTest::newRow("ligne 1") << QByteArray() << QStringLiteral("ligne 1");
        QTest::newRow("ligne 2") << QByteArray("2\r\n") << QStringLiteral("ligne 2");
        QByteArray entete = "2\r\n0\r\n0\r\n";
        for (int c = 0; c < NbColonnes; ++c)
            entete += "T\r\n";
        QTest::newRow("flag") << entete << QString::fromUtf8("ligne de sélection de la fiche 1");
    }
    void lignesCourtesBornees()
    {
        QFETCH(QByteArray, debut);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("creux.REP"));
        Ecrit(chemin, debut + "1");
        // 600 MB of zero bytes without a line end, without using the disk.
        QCOMPARE(truncate(QFile::encodeName(chemin).constData(), qint64(600) << 20), 0);
        const qint64 avant = OctetsLus();
        Repertoire rep;
        const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
        const qint64 lus = OctetsLus() - avant;
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QVERIFY2(lus < (qint64(8) << 20), qPrintable(QString::number(lus)));
    }

    // Random damage to books of several megabytes: the file reader at a random block
    // size and the memory reader agree, and what loads saves and reloads the same.
    void livresAbimesAuHasard()
    {
        std::mt19937 alea(20261207);
        const QByteArray base = LivreGenere(12000, 13, 300000, 17).octets;
        QVERIFY(base.size() > 3 * (1 << 20));
        QTemporaryDir dossier;
        for (int essai = 0; essai < 12; ++essai) {
            QByteArray octets = base;
            const int atteintes = 1 + static_cast<int>(alea() % 20);
            for (int k = 0; k < atteintes; ++k) {
                const qsizetype p =
                    static_cast<qsizetype>(alea() % static_cast<unsigned>(octets.size()));
                switch (alea() % 4) {
                case 0:
                    octets[p] = static_cast<char>(alea());
                    break;
                case 1:
                    octets[p] = '\n';
                    break;
                case 2:
                    octets.remove(p, static_cast<qsizetype>(alea() % 5000));
                    break;
                default:
                    octets.insert(p, QByteArray(static_cast<qsizetype>(alea() % 3000), '\r'));
                }
            }
            if (essai % 3 == 0)
                octets.truncate(
                    static_cast<qsizetype>(alea() % static_cast<unsigned>(octets.size())));
            const size_t bloc = std::size_t(1) << (alea() % 21);
            CompareLectures(dossier.path(), octets, bloc);
            if (QTest::currentTestFailed()) {
                qWarning("essai %d, bloc %zu", essai, bloc);
                return;
            }
            Repertoire rep;
            if (!FichierRep::ChargeDepuisOctets(octets, QStringLiteral("x.REP"), rep).isEmpty())
                continue;
            const QString chemin = dossier.filePath(QStringLiteral("relu.REP"));
            QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
            Repertoire relu;
            QCOMPARE(FichierRep::ChargeRepertoire(chemin, relu), QString());
            MemeLivre(rep, relu);
        }
    }
};

CARNET_TEST(TestLectureRep)
#include "TestLectureRep.moc"
