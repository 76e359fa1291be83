#include "Lancement.h"

#include "app/TProgramme.h"
#include "mainwindow/TFiche.h"
#include "records/Processus.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

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
    const QString reglages = options.reglages.isEmpty()
                                 ? Reglages::CheminParDefaut(QApplication::applicationFilePath())
                                 : options.reglages;
    TProgramme programme(reglages, options.dossierProgramme, arguments);
    if (options.premiereFicheAffichee)
        new GuetPeinture(*programme.Fiche(), options.premiereFicheAffichee);

    QApplication::restoreOverrideCursor();
    programme.Fiche()->show();
    return app.exec();
}
