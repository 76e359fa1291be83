#include "Lancement.h"

#include "app/LangueInterface.h"
#include "app/LigneCommande.h"
#include "app/TProgramme.h"
#include "mainwindow/TFiche.h"
#include "records/Processus.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace
{
// Calls back once the window's first painting is over.
class GuetPeinture : public QObject
{
public:
    GuetPeinture(TFiche& fiche, std::function<void(TFiche&)> action)
        : QObject(&fiche), m_fiche(fiche), m_action(std::move(action))
    {
        fiche.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override
    {
        if (objet == &m_fiche && evenement->type() == QEvent::Paint && m_action) {
            auto action = std::move(m_action);
            m_action = nullptr;
            QPointer<TFiche> fiche(&m_fiche);
            QTimer::singleShot(0, &m_fiche, [fiche, action] {
                if (fiche) action(*fiche);
            });
        }
        return QObject::eventFilter(objet, evenement);
    }

private:
    TFiche& m_fiche;
    std::function<void(TFiche&)> m_action;
};
} // namespace

int Lancement::Execute(int argc, char** argv, const Options& options)
{
    Processus::Prepare();
    // Answered before any window, so that --version needs no display.
    QStringList brut;
    for (int i = 1; i < argc; ++i)
        brut << QString::fromLocal8Bit(argv[i]);
    // No application object yet to tell the program's folder: the system tells it.
    const QString dossier = options.dossierProgramme.isEmpty()
                                ? QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath()
                                : options.dossierProgramme;
    const LigneCommande::Resultat ligne = LigneCommande::Analyse(brut, dossier);
    if (ligne.action != LigneCommande::Action::Lancer) {
        std::fputs(ligne.texte.toLocal8Bit().constData(),
                   ligne.action == LigneCommande::Action::Erreur ? stderr : stdout);
        return ligne.code;
    }

    LangueInterface langue;
    QApplication app(argc, argv);
    langue.Fixe();
    // The resources live in the static library: make sure the linker keeps them.
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

    const QString reglages = options.reglages.isEmpty()
                                 ? Reglages::CheminParDefaut(QApplication::applicationFilePath())
                                 : options.reglages;
    TProgramme programme(reglages, options.dossierProgramme, ligne.arguments);
    if (options.premiereFicheAffichee)
        new GuetPeinture(*programme.Fiche(), options.premiereFicheAffichee);

    QApplication::restoreOverrideCursor();
    programme.Fiche()->show();
    return app.exec();
}
