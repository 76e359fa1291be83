#include "CommandeModem.h"

namespace
{
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
} // namespace

std::string CommandeModem::ChaineANumeroter(std::string_view prefixe, std::string_view texte)
{
    std::string chaine;
    if (!prefixe.empty()) {
        chaine = prefixe;
        chaine += " - ";
    }
    chaine += texte;
    return chaine;
}

std::string CommandeModem::Commande(std::string_view numero, TMethod methode)
{
    std::string commande = methode == TMethod::dmPulse ? "ATDP" : "ATDT";
    commande += numero;
    commande += "\r\n";
    return commande;
}

bool CommandeModem::NumeroSur(std::string_view numero)
{
    for (const char c : numero) {
        const auto octet = static_cast<unsigned char>(c);
        if (octet < 0x20 || octet == 0x7F) return false;
    }
    return true;
}

QString CommandeModem::NomPort(TComPort port)
{
    return QStringLiteral("COM") + QString::number(static_cast<int>(port) + 1);
}

QString CommandeModem::Confirmation(TLanguage langue, const QString& numero)
{
    switch (langue) {
    case TLanguage::dlEnglish:
        return U("About to dial the number ") + numero + U(". Are you sure?");
    case TLanguage::dlDutch:
        return U("Weet u zeker dat u nummer ") + numero + U(" wilt kiezen ?");
    case TLanguage::dlFrench:
        break;
    }
    return U("Numéroter ") + numero + U(" ?");
}

QString CommandeModem::MessagePort(TLanguage langue, const QString& port)
{
    switch (langue) {
    case TLanguage::dlEnglish:
        return U("Unable to open ") + port;
    case TLanguage::dlDutch:
        return U("Kan ") + port + U(" niet openen");
    case TLanguage::dlFrench:
        break;
    }
    return U("Impossible d'ouvrir ") + port + U(".");
}

QString CommandeModem::MessageEchec(TLanguage langue)
{
    switch (langue) {
    case TLanguage::dlEnglish:
        return U("Unable to dial number");
    case TLanguage::dlDutch:
        return U("Kan dit nummer niet kiezen");
    case TLanguage::dlFrench:
        break;
    }
    return U("Numérotation impossible.");
}

QString CommandeModem::MessageDecroche(TLanguage langue)
{
    switch (langue) {
    case TLanguage::dlEnglish:
        return U("Pick up phone");
    case TLanguage::dlDutch:
        return U("Pak de telefoon op");
    case TLanguage::dlFrench:
        break;
    }
    return U("Décrochez votre combiné, puis cliquez sur OK lorsque vous entendrez la première "
             "sonnerie.");
}
