#include "app/LigneCommande.h"
#include "app/TProgramme.h"
#include "mainwindow/TFiche.h"
#include "records/Processus.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

int main(int argc, char** argv)
{
    Processus::Prepare();
    // Answered before any window, so that --version needs no display.
    QStringList brut;
    for (int i = 1; i < argc; ++i)
        brut << QString::fromLocal8Bit(argv[i]);
    // No application object yet to tell the program's folder: the system tells it.
    const QString dossier = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const LigneCommande::Resultat ligne = LigneCommande::Analyse(brut, dossier);
    if (ligne.action != LigneCommande::Action::Lancer) {
        std::fputs(ligne.texte.toLocal8Bit().constData(),
                   ligne.action == LigneCommande::Action::Erreur ? stderr : stdout);
        return ligne.code;
    }

    QApplication app(argc, argv);
    // The resources live in a static library: make sure the linker keeps them.
    Q_INIT_RESOURCE(carnet);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setApplicationName(QString::fromUtf8("Carnet d'adresses"));
    QApplication::setApplicationVersion(QStringLiteral(CARNET_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("carnet"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/carnet.svg")));

    // Qt's own dialogs (files, colours, printing) speak French; dates read dd/mm/yyyy
    // and decimals take a comma.
    QTranslator traductionQt;
    if (traductionQt.load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traductionQt);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

    TProgramme programme(Reglages::CheminParDefaut(QApplication::applicationFilePath()), QString(),
                         ligne.arguments);

    QApplication::restoreOverrideCursor();
    programme.Fiche()->show();
    return app.exec();
}
