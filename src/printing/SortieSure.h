#pragma once

#include "records/FichierSur.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

// A device writing a file through the safe write, for writers that take a device (the
// PDF writer): the bytes go, by large blocks, to a temporary file beside the target,
// which only Termine puts in place. The first failed write keeps the system's reason
// and drops the temporary file; later writes fail at once.
class SortieSure : public QIODevice
{
public:
    explicit SortieSure(const QString& chemin);
    ~SortieSure() override;

    bool isSequential() const override { return true; }
    // Empty on success; otherwise the French reason, and the file is left as it was.
    QString Termine();
    // The file could not be made, or a write failed: the job cannot succeed.
    bool Echec() const { return !m_raison.isEmpty(); }
    // The system's reason of the failure, in French; empty while all goes well.
    const QString& Raison() const { return m_raison; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* donnees, qint64 taille) override;

private:
    bool Vide();

    std::unique_ptr<EcritureSure> m_ecriture;
    QByteArray m_tampon;
    QString m_raison;
};
