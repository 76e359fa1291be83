#pragma once

#include <QString>
#include <string>
#include <string_view>

enum class TComPort { dpCOM1, dpCOM2, dpCOM3, dpCOM4 };
enum class TMethod { dmTone, dmPulse };
enum class TLanguage { dlEnglish, dlDutch, dlFrench };

// What the dialer writes to the modem and what it tells the user, apart from any port.
class CommandeModem
{
public:
    // The prefix, " - ", then the field's text; the text alone without a prefix.
    static std::string ChaineANumeroter(std::string_view prefixe, std::string_view texte);
    // "ATDT" (or "ATDP" for pulse dialing), the number unchanged, CR LF.
    static std::string Commande(std::string_view numero, TMethod methode);
    // "ATH" CR LF: hangs up once the handset is picked up.
    static std::string Raccroche() { return "ATH\r\n"; }
    // False when the number holds a control byte (CR, LF, ...): written to the modem it
    // would end the dial command and start another.
    static bool NumeroSur(std::string_view numero);

    // "COM1" to "COM4".
    static QString NomPort(TComPort port);

    // The dialer's messages; N the number as the user reads it, P the port's name.
    static QString Confirmation(TLanguage langue, const QString& numero);
    static QString MessagePort(TLanguage langue, const QString& port);
    static QString MessageEchec(TLanguage langue);
    static QString MessageDecroche(TLanguage langue);
};
