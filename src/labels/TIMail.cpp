#include "TIMail.h"

#include "ImpressionEtiquettes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
const char* TextesGenres[] = {"Personnelle", "Professionnelle en incluant le nom de la personne",
                              "Professionnelle sans inclure le nom de la personne", "Bancaire"};

QDoubleSpinBox* Decalage(QWidget* parent, const char* nom)
{
    auto* d = new QDoubleSpinBox(parent);
    d->setObjectName(QLatin1String(nom));
    d->setRange(-OptionsMailing::DecalageMax / 10.0, OptionsMailing::DecalageMax / 10.0);
    d->setDecimals(1);
    d->setSingleStep(0.1);
    d->setSuffix(QStringLiteral(" mm"));
    return d;
}
} // namespace

TIMail::TIMail(QWidget* parent) : QDialog(parent), m_imprimante(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("IMail"));
    setWindowTitle(QString::fromUtf8("Impression d'étiquettes d'adressage"));
    setModal(true);
    // A PDF file is a printer that is always there.
    if (QPrinterInfo::availablePrinters().isEmpty())
        m_imprimante.setOutputFormat(QPrinter::PdfFormat);
    ImpressionEtiquettes::Prepare(m_imprimante);

    auto* illustration = new QLabel(this);
    illustration->setPixmap(QIcon(QStringLiteral(":/icons/etiquettes.svg")).pixmap(48, 48));
    m_invite = new QLabel(this);
    m_invite->setObjectName(QStringLiteral("Invite"));
    m_invite->setStyleSheet(QStringLiteral("color: blue; font-weight: bold"));
    m_invite->setWordWrap(true);

    auto* groupe = new QGroupBox(QStringLiteral("Utiliser l'adresse"), this);
    auto* radios = new QVBoxLayout(groupe);
    m_genres = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(TextesGenres[i]), groupe);
        r->setObjectName(QStringLiteral("Genre%1").arg(i));
        m_genres->addButton(r, i);
        radios->addWidget(r);
    }
    m_cadre = new QCheckBox(QString::fromUtf8("Imprimer le cadre des étiquettes"), this);
    m_cadre->setObjectName(QStringLiteral("Cadre"));
    m_echantillon = new QLabel(QString::fromUtf8("Echantillon de la police utilisée"), this);
    m_echantillon->setObjectName(QStringLiteral("Echantillon"));
    m_echantillon->hide();

    auto* calibrage = new QGroupBox(QString::fromUtf8("Décalage de l'imprimante"), this);
    auto* grille = new QGridLayout(calibrage);
    m_decalageX = Decalage(calibrage, "DecalageX");
    m_decalageY = Decalage(calibrage, "DecalageY");
    grille->addWidget(new QLabel(QStringLiteral("Horizontal :"), calibrage), 0, 0);
    grille->addWidget(m_decalageX, 0, 1);
    grille->addWidget(new QLabel(QStringLiteral("Vertical :"), calibrage), 0, 2);
    grille->addWidget(m_decalageY, 0, 3);
    grille->setColumnStretch(4, 1);
    auto* aideCalibrage = new QLabel(
        QString::fromUtf8("Si votre imprimante décale toute la page, corrigez ici : un nombre "
                          "positif déplace\nles étiquettes vers la droite ou vers le bas. Seule "
                          "l'impression en tient compte."),
        calibrage);
    grille->addWidget(aideCalibrage, 1, 0, 1, 5);
    const QString conseil = QString::fromUtf8("Décalage de toute la page à l'impression, de -5,0 "
                                              "à +5,0 mm, pour les imprimantes qui n'impriment "
                                              "pas exactement au bord du papier");
    m_decalageX->setToolTip(conseil);
    m_decalageY->setToolTip(conseil);

    auto* position = new QPushButton(QString::fromUtf8("Position de la 1° étiquette"), this);
    position->setObjectName(QStringLiteral("Position"));
    position->setToolTip(QString::fromUtf8("Pour utiliser une planche déjà entamée !"));
    auto* police = new QPushButton(QStringLiteral("Police"), this);
    police->setObjectName(QStringLiteral("Police"));
    police->setToolTip(QString::fromUtf8("Police à utiliser pour les étiquettes"));
    // The font dialog here has no colour: the colour has a button of its own.
    auto* couleur = new QPushButton(QStringLiteral("Couleur"), this);
    couleur->setObjectName(QStringLiteral("Couleur"));
    couleur->setToolTip(QString::fromUtf8("Couleur du texte des étiquettes"));
    auto* config = new QPushButton(QStringLiteral("Config Imprimante"), this);
    config->setObjectName(QStringLiteral("ConfigImprimante"));
    auto* previsualisation = new QPushButton(QString::fromUtf8("Pré&visualisation"), this);
    previsualisation->setObjectName(QStringLiteral("Previsualisation"));
    auto* precedent = new QPushButton(QString::fromUtf8("<&Précédent"), this);
    precedent->setObjectName(QStringLiteral("Precedent"));
    m_imprimer = new QPushButton(QStringLiteral("Imprimer"), this);
    m_imprimer->setObjectName(QStringLiteral("Imprimer"));
    m_imprimer->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("Annuler"));

    auto* entete = new QHBoxLayout;
    entete->addWidget(illustration);
    entete->addWidget(m_invite, 1);
    auto* outils = new QVBoxLayout;
    outils->addWidget(position);
    outils->addWidget(police);
    outils->addWidget(couleur);
    outils->addWidget(config);
    outils->addWidget(previsualisation);
    outils->addStretch();
    auto* milieu = new QGridLayout;
    milieu->addWidget(groupe, 0, 0);
    milieu->addLayout(outils, 0, 1, 2, 1);
    milieu->addWidget(m_cadre, 1, 0);
    milieu->addWidget(calibrage, 2, 0, 1, 2);
    auto* assistant = new QHBoxLayout;
    assistant->addStretch();
    assistant->addWidget(precedent);
    assistant->addWidget(m_imprimer);
    assistant->addWidget(annuler);
    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(entete);
    colonne->addLayout(milieu);
    colonne->addWidget(m_echantillon);
    colonne->addLayout(assistant);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    ChoisitPolice = [this](QFont& f) {
        bool ok = false;
        const QFont choisie = QFontDialog::getFont(&ok, f, this, QStringLiteral("Police"));
        if (ok) f = choisie;
        return ok;
    };
    ChoisitCouleur = [this](const QColor& initiale) {
        return QColorDialog::getColor(initiale, this, QStringLiteral("Couleur"));
    };
    ConfigureImprimante = [this](QPrinter& imprimante) {
        QPrintDialog dialogue(&imprimante, this);
        dialogue.setObjectName(QStringLiteral("ConfigImprimante"));
        dialogue.setWindowTitle(QStringLiteral("Config Imprimante"));
        // A choice of printer, not a print: the labels go there on "Imprimer".
        dialogue.setOptions(QAbstractPrintDialog::PrintToFile);
        for (QDialogButtonBox* boutons : dialogue.findChildren<QDialogButtonBox*>())
            for (QAbstractButton* b : boutons->buttons())
                if (boutons->buttonRole(b) == QDialogButtonBox::AcceptRole)
                    b->setText(QStringLiteral("OK"));
        return dialogue.exec() == QDialog::Accepted;
    };
    ChoisitFichierPdf = [this](const QString& propose) {
        return QFileDialog::getSaveFileName(this, QString::fromUtf8("Imprimer dans un fichier PDF"),
                                            propose, QStringLiteral("PDF (*.pdf)"), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    };

    connect(m_genres, &QButtonGroup::idClicked, this, [this](int id) { m_options.genre = id; });
    connect(m_cadre, &QCheckBox::toggled, this, [this](bool c) { m_options.cadre = c; });
    connect(m_decalageX, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { m_options.decalageX = qRound(v * 10); });
    connect(m_decalageY, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { m_options.decalageY = qRound(v * 10); });
    connect(position, &QPushButton::clicked, this, &TIMail::PositionDemandee);
    connect(police, &QPushButton::clicked, this, &TIMail::Police1Click);
    connect(couleur, &QPushButton::clicked, this, &TIMail::Couleur1Click);
    connect(config, &QPushButton::clicked, this, &TIMail::ConfigImprimante1Click);
    connect(previsualisation, &QPushButton::clicked, this, &TIMail::PrevisualisationDemandee);
    connect(precedent, &QPushButton::clicked, this, [this] { done(Precedent); });
    connect(m_imprimer, &QPushButton::clicked, this, [this] {
        if (ConfirmeImpression && !ConfirmeImpression()) return;
        if (PrepareImprimante()) accept();
    });
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    SetPlanches(1);
    // Enter goes on with the wizard whichever button was clicked last.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(b == m_imprimer);
}

void TIMail::Lit(const Reglages& r)
{
    m_options.Lit(r);
    m_genres->button(m_options.genre)->setChecked(true);
    m_cadre->setChecked(m_options.cadre);
    m_decalageX->setValue(m_options.decalageX / 10.0);
    m_decalageY->setValue(m_options.decalageY / 10.0);
    MajEchantillon();
}

QString TIMail::Invite(int planches)
{
    if (planches == 1)
        return QString::fromUtf8(
            "Veuillez introduire 1 planche d'étiquettes dans votre imprimante.");
    return QString::fromUtf8("Veuillez introduire %1 planches d'étiquettes dans votre imprimante.")
        .arg(planches);
}

void TIMail::SetPlanches(int planches)
{
    m_invite->setText(Invite(planches));
}

void TIMail::MajEchantillon()
{
    m_echantillon->setFont(m_options.police);
    QPalette palette = m_echantillon->palette();
    palette.setColor(QPalette::WindowText, m_options.couleur);
    m_echantillon->setPalette(palette);
}

void TIMail::Police1Click()
{
    QFont f = m_options.police;
    if (!ChoisitPolice || !ChoisitPolice(f)) return;
    const double taille = f.pointSizeF() > 0 ? f.pointSizeF() : 9;
    f.setPointSizeF(
        std::clamp(taille, OptionsMailing::TaillePoliceMin, OptionsMailing::TaillePoliceMax));
    m_options.police = f;
    MajEchantillon();
}

void TIMail::Couleur1Click()
{
    const QColor c = ChoisitCouleur ? ChoisitCouleur(m_options.couleur) : QColor();
    if (!c.isValid()) return;
    m_options.couleur = c.toRgb();
    MajEchantillon();
}

void TIMail::ConfigImprimante1Click()
{
    m_imprimante.setPageOrientation(QPageLayout::Portrait);
    const bool choisie = ConfigureImprimante && ConfigureImprimante(m_imprimante);
    ImpressionEtiquettes::Prepare(m_imprimante);
    if (!choisie) return;
    m_fichierConfigure.clear();
    if (m_imprimante.outputFormat() == QPrinter::PdfFormat &&
        !m_imprimante.outputFileName().isEmpty()) {
        // A bare name goes to the user's folder, not wherever the program was started.
        m_fichierConfigure = NomPdf(QDir::home().absoluteFilePath(m_imprimante.outputFileName()));
        m_imprimante.setOutputFileName(m_fichierConfigure);
    }
}

QString TIMail::NomPdf(const QString& chemin)
{
    return chemin.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
               ? chemin
               : chemin + QStringLiteral(".pdf");
}

bool TIMail::PrepareImprimante()
{
    if (m_imprimante.outputFormat() != QPrinter::PdfFormat) return true;
    // The file just chosen in "Config Imprimante" is where these labels go.
    if (!m_fichierConfigure.isEmpty() && m_imprimante.outputFileName() == m_fichierConfigure) {
        m_fichierConfigure.clear();
        return true;
    }
    m_fichierConfigure.clear();
    // Otherwise each mailing asks where its file goes, starting from the last one, so
    // that no earlier file is replaced without the user seeing its name.
    const QString dernier = m_imprimante.outputFileName();
    const QString propose =
        dernier.isEmpty() ? QDir::home().filePath(QStringLiteral("mailing.pdf")) : dernier;
    const QString chemin = ChoisitFichierPdf ? ChoisitFichierPdf(propose) : QString();
    if (chemin.isEmpty()) return false;
    m_imprimante.setOutputFileName(NomPdf(chemin));
    return true;
}
