#include "TDialer.h"

#include "ui/TitreFiche.h"

#include "comm/PortSerie.h"
#include "records/CodePage.h"
#include "ui/TMessage.h"

#include <QByteArray>
#include <QWidget>

namespace
{
QByteArray Octets(const std::string& texte)
{
    return QByteArray(texte.data(), qsizetype(texte.size()));
}
} // namespace

TDialer::TDialer(QWidget* fenetre) : QObject(fenetre), m_fenetre(fenetre) {}

TDialer::Issue TDialer::Dial()
{
    if (!CommandeModem::NumeroSur(NumberToDial)) {
        TMessage::Erreur(m_fenetre, CommandeModem::MessageEchec(Language) +
                                        QString::fromUtf8("\nLe numéro contient un retour à la "
                                                          "ligne ou un autre caractère de "
                                                          "contrôle, que le modem prendrait pour "
                                                          "une autre commande."));
        return Issue::Refuse;
    }
    if (Confirm &&
        TMessage::QuestionOuiNon(m_fenetre, CommandeModem::Confirmation(
                                                Language, TitreFiche::Borne(NumberToDial, 200))) ==
            TMessage::Non)
        return Issue::Annule;

    PortSerie port;
    QString raison;
    if (!port.Ouvre(m_ports.Peripherique(ComPort), &raison)) {
        TMessage::Erreur(m_fenetre, CommandeModem::MessagePort(Language, m_ports.Nom(ComPort)) +
                                        QLatin1Char('\n') + raison);
        return Issue::PortIndisponible;
    }
    if (!port.Ecrit(Octets(CommandeModem::Commande(NumberToDial, Method)), DelaiEcriture,
                    &raison)) {
        port.Abandonne();
        TMessage::Erreur(m_fenetre, CommandeModem::MessageEchec(Language) + QLatin1Char('\n') +
                                        m_ports.Nom(ComPort) + QStringLiteral(" : ") + raison);
        return Issue::Echec;
    }
    TMessage::Information(m_fenetre, CommandeModem::MessageDecroche(Language));
    // The outcome of the hang-up does not matter: the call is the handset's now.
    if (!port.Ecrit(Octets(CommandeModem::Raccroche()), DelaiEcriture, &raison)) port.Abandonne();
    port.Ferme();
    return Issue::Numerote;
}
