// The program driven by another process, for the tests that run several copies of it
// at once: the whole program (TProgramme), its questions answered by the commands it
// reads on its standard input, one per line, and what it says written on its standard
// output. Each answer ends with a line holding a single ".".
//
//   ouvre CHEMIN            Fichier > Ouvrir..., the dialog answering CHEMIN
//   choix N                 the next question with buttons of its own clicks button N
//   oui | non | annuler     the next Oui/Non(/Annuler) question's answer
//   saisit TEXTE            the surname of the record shown becomes TEXTE
//   enregistre              Fichier > Enregistrer
//   enregistresous CHEMIN   Fichier > Enregistrer sous..., the dialog answering CHEMIN
//   revient                 the window comes back (activation) and looks at the disk
//   etat                    lectureseule=0|1 modifie=0|1 verrou=0|1, then titre=..., noms=...
//   langue                  a size and a date as Qt's file lists show them, and the
//                           locale variables programs started from here receive
//   quitte                  closes the window and ends
//
// Every message box or question shown since the last command is written first, as
// "message TITLE | TEXT" with its line breaks as " / ".

#include "app/LangueInterface.h"
#include "app/TProgramme.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "records/CodePage.h"
#include "records/Processus.h"
#include "ui/TMessage.h"

#include <QApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

namespace
{

void Ecrit(const QString& ligne)
{
    std::fputs(ligne.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void Fin()
{
    for (const TMessage::Trace& t : TMessage::Historique())
        Ecrit(
            QStringLiteral("message %1 | %2")
                .arg(t.titre, QString(t.texte).replace(QLatin1Char('\n'), QStringLiteral(" / "))));
    TMessage::Historique().clear();
    Ecrit(QStringLiteral("."));
    std::fflush(stdout);
}

void Execute(TProgramme& programme, const QString& ligne)
{
    TFiche* fiche = programme.Fiche();
    TDocument* document = fiche->Document();
    const QString commande = ligne.section(QLatin1Char(' '), 0, 0);
    const QString argument = ligne.section(QLatin1Char(' '), 1);
    if (commande == QLatin1String("ouvre")) {
        document->ChoisitFichierOuvrir = [argument] { return argument; };
        fiche->Ouvrir1Click();
    } else if (commande == QLatin1String("choix")) {
        TMessage::ChoixSuivant(argument.toInt());
    } else if (commande == QLatin1String("oui")) {
        TMessage::ReponseSuivante(TMessage::Oui);
    } else if (commande == QLatin1String("non")) {
        TMessage::ReponseSuivante(TMessage::Non);
    } else if (commande == QLatin1String("annuler")) {
        TMessage::ReponseSuivante(TMessage::Annuler);
    } else if (commande == QLatin1String("saisit")) {
        fiche->Modele()->SetCellule(Nom, fiche->LigneCourante(), CodePage::Octets(argument));
        fiche->AfficheFiche();
    } else if (commande == QLatin1String("enregistre")) {
        fiche->Enregistrer1Click();
    } else if (commande == QLatin1String("enregistresous")) {
        document->ChoisitFichierEnregistrer = [argument] { return argument; };
        fiche->Enregistrersous1Click();
    } else if (commande == QLatin1String("revient")) {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(fiche, &activation);
        QCoreApplication::processEvents();
    } else if (commande == QLatin1String("etat")) {
        Ecrit(QStringLiteral("lectureseule=%1 modifie=%2 verrou=%3")
                  .arg(int(document->LectureSeule()))
                  .arg(int(fiche->Rep().Modifie()))
                  .arg(int(document->Verrou().Detenu())));
        Ecrit(QStringLiteral("titre=") + fiche->windowTitle());
        QStringList noms;
        for (int r = 1; r <= fiche->Rep().NbFiches(); ++r)
            noms << CodePage::VersUnicode(fiche->Rep().Cellule(Nom, r));
        Ecrit(QStringLiteral("noms=") + noms.join(QLatin1Char(',')));
    } else if (commande == QLatin1String("langue")) {
        // What Qt's file lists show, and the environment the programs started get.
        const QLocale systeme = QLocale::system();
        Ecrit(QStringLiteral("taille=") + systeme.formattedDataSize(1190));
        Ecrit(QStringLiteral("date=") +
              systeme.toString(QDateTime(QDate(2026, 12, 7), QTime(6, 9)), QLocale::ShortFormat));
        Ecrit(QStringLiteral("LC_ALL=") + qEnvironmentVariable("LC_ALL", QStringLiteral("-")) +
              QStringLiteral(" LC_TIME=") + qEnvironmentVariable("LC_TIME", QStringLiteral("-")) +
              QStringLiteral(" LC_CTYPE=") + qEnvironmentVariable("LC_CTYPE", QStringLiteral("-")));
    } else if (commande == QLatin1String("quitte")) {
        const bool ferme = fiche->close();
        Fin();
        if (ferme) QCoreApplication::exit(0);
        return;
    } else {
        Ecrit(QStringLiteral("inconnu ") + commande);
    }
    Fin();
}

} // namespace

int main(int argc, char** argv)
{
    Processus::Prepare();
    LangueInterface langue;
    QApplication app(argc, argv);
    langue.Fixe();
    Q_INIT_RESOURCE(carnet);
    QApplication::setApplicationName(QStringLiteral("carnet-pilote"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        std::fputs("usage : carnet-pilote DOSSIER [REPERTOIRE]\n", stderr);
        return 2;
    }
    // The settings, the images folder and the label formats in the folder given.
    const QString dossier = arguments.takeFirst();
    TMessage::ModeTest(true);
    TProgramme programme(dossier + QStringLiteral("/carnet.ini"), dossier + QLatin1Char('/'),
                         arguments);
    programme.Fiche()->show();
    QCoreApplication::processEvents();
    Ecrit(QStringLiteral("pret %1").arg(getpid()));
    Fin();

    QByteArray entree;
    QSocketNotifier lecture(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&lecture, &QSocketNotifier::activated, [&] {
        char tampon[4096];
        const ssize_t n = ::read(STDIN_FILENO, tampon, sizeof tampon);
        if (n <= 0) {
            // The test ended without a word: as a user closing the window.
            lecture.setEnabled(false);
            programme.Fiche()->close();
            QCoreApplication::exit(1);
            return;
        }
        entree.append(tampon, n);
        qsizetype fin;
        while ((fin = entree.indexOf('\n')) >= 0) {
            const QString ligne = QString::fromUtf8(entree.left(fin)).trimmed();
            entree.remove(0, fin + 1);
            if (!ligne.isEmpty()) Execute(programme, ligne);
        }
    });
    return app.exec();
}
