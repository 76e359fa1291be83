#pragma once

#include "ui/LecturePhoto.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

// Decodes photos away from the user-interface thread for a window that shows one
// picture at a time (the frame, the picker's preview). Each request replaces the one
// before: only the last request's result is ever delivered, so a slow picture never
// replaces the one of a record shown after it. Recent results are kept, keyed by the
// file's version, so that showing the same picture again is immediate.
class ChargeurPhoto : public QObject
{
    Q_OBJECT
public:
    // The size a picture of size `propre` is decoded at for a zone of size `zone`.
    using Regle = std::function<QSize(const QSize& propre, const QSize& zone)>;
    ChargeurPhoto(Regle regle, QObject* parent = nullptr);
    ~ChargeurPhoto() override;

    // Asks for `chemin` decoded for `zone`. When the same version of the file was
    // decoded for that zone lately, Pret is emitted before Demande returns; otherwise
    // the picture is decoded in the background and Pret follows.
    void Demande(const QString& chemin, const QSize& zone);
    // Forgets the pending request: its result will not be delivered.
    void Annule();
    // True while a request waits for its result.
    bool EnAttente() const { return m_enAttente; }

    // The decoding run in the background; tests wrap it.
    std::function<LecturePhoto::Resultat(const QString&, const LecturePhoto::Cible&)> Decodeur =
        [](const QString& chemin, const LecturePhoto::Cible& cible) {
            return LecturePhoto::Lit(chemin, cible);
        };

signals:
    void Pret(const LecturePhoto::Resultat& resultat);

private:
    struct Partage;
    struct Souvenir {
        QString chemin;
        QSize zone;
        LecturePhoto::Resultat resultat;
    };

    void Livre(quint64 ticket, const QString& chemin, const QSize& zone,
               const LecturePhoto::Resultat& resultat);

    Regle m_regle;
    std::shared_ptr<Partage> m_partage;
    bool m_enAttente = false;
    std::deque<Souvenir> m_souvenirs; // the most recent first
};
