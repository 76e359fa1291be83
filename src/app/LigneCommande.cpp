#include "LigneCommande.h"

#include "records/DonneesProgramme.h"

namespace
{

// Qt's own command-line options, those followed by a value first.
const char* const OptionsQtAvecValeur[] = {"platform",      "platformpluginpath",
                                           "platformtheme", "plugin",
                                           "qmljsdebugger", "qwindowgeometry",
                                           "qwindowicon",   "qwindowtitle",
                                           "session",       "style",
                                           "stylesheet",    "display",
                                           "geometry",      "title",
                                           "name",          "fontengine",
                                           "visual",        "im"};
const char* const OptionsQtSeules[] = {"reverse", "widgetcount", "nograb", "dograb",
                                       "sync",    "ncols",       "cmap",   "testability"};

// "-style", "--style" or "-style=fusion": the option's name and whether it holds its value.
QString NomOption(const QString& argument, bool* avecEgal)
{
    QString nom = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype egal = nom.indexOf(QLatin1Char('='));
    *avecEgal = egal >= 0;
    return egal >= 0 ? nom.left(egal) : nom;
}

QString Aide(const QString& dossierProgramme)
{
    const QString aide =
        DonneesProgramme::Trouve(QStringLiteral("aide/adresses.html"), dossierProgramme);
    const QString formats =
        DonneesProgramme::Trouve(QStringLiteral("carnet.for"), dossierProgramme);
    return QString::fromUtf8("Utilisation : carnet [OPTION]... [RÉPERTOIRE.REP]\n"
                             "Ouvre le répertoire donné, sinon celui de la dernière séance.\n"
                             "\n"
                             "Options :\n"
                             "  -h, --help     affiche cette aide et quitte\n"
                             "  -V, --version  affiche la version et quitte\n"
                             "  --             ce qui suit est le nom du répertoire, même s'il "
                             "commence par « - »\n"
                             "Les options de Qt (-platform, -style...) sont acceptées.\n"
                             "\n"
                             "Aide complète : %1\n"
                             "Formats d'étiquettes fournis : %2\n")
        .arg(aide.isEmpty() ? QString::fromUtf8("intégrée au programme (menu « ? »)") : aide,
             formats.isEmpty() ? QString::fromUtf8("intégrés au programme") : formats);
}

} // namespace

QString LigneCommande::Version()
{
    return QString::fromUtf8("Carnet d'adresses %1\n").arg(QStringLiteral(CARNET_VERSION));
}

LigneCommande::Resultat LigneCommande::Analyse(const QStringList& arguments,
                                               const QString& dossierProgramme)
{
    Resultat r;
    bool fin = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (fin || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            r.arguments << a;
            continue;
        }
        if (a == QStringLiteral("--")) {
            fin = true;
            continue;
        }
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            r.action = Action::Aide;
            r.texte = Aide(dossierProgramme);
            return r;
        }
        if (a == QStringLiteral("--version") || a == QStringLiteral("-V")) {
            r.action = Action::Version;
            r.texte = Version();
            return r;
        }
        bool avecEgal = false;
        const QString nom = NomOption(a, &avecEgal);
        bool connue = false;
        for (const char* o : OptionsQtAvecValeur)
            if (nom == QLatin1String(o)) {
                connue = true;
                // Its value is Qt's too, not a book.
                if (!avecEgal) ++i;
            }
        for (const char* o : OptionsQtSeules)
            if (nom == QLatin1String(o)) connue = true;
        if (connue) continue;
        r.action = Action::Erreur;
        r.code = 2;
        r.texte = QString::fromUtf8("carnet : option inconnue « %1 »\n"
                                    "Essayez « carnet --help » pour la liste des options.\n")
                      .arg(a);
        return r;
    }
    return r;
}
