#include "mainwindow/TAboutBox.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TFiche.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The resources live in the static library: make sure the linker keeps them.
    Q_INIT_RESOURCE(carnet);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setApplicationName(QString::fromUtf8("Carnet d'adresses"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/carnet.svg")));

    // Qt's own dialogs (files, colours, printing) speak French; dates read dd/mm/yyyy
    // and decimals take a comma.
    QTranslator traductionQt;
    if (traductionQt.load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traductionQt);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

    TFiche fiche;

    // Every dialog is created once, in this order, and lives until the end.
    // TFind
    fiche.SetDialogueTri(new TFTri(&fiche));
    // TAsso, TChoix, TFormat, TPrevis, TNewFor, TIMail, TFpPrev
    fiche.SetAPropos(new TAboutBox(&fiche));
    // TCopyOpt, TSchOpt, TNumerot

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) fiche.SetFichierLigneCommande(arguments.at(1));

    QApplication::restoreOverrideCursor();
    fiche.show();
    return app.exec();
}
