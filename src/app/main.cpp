#include "app/TProgramme.h"
#include "mainwindow/TFiche.h"
#include "records/Processus.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    Processus::Prepare();
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

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TProgramme programme(Reglages::CheminParDefaut(QApplication::applicationFilePath()), QString(),
                         arguments);

    QApplication::restoreOverrideCursor();
    programme.Fiche()->show();
    return app.exec();
}
