#pragma once

#include <QObject>

class TFiche;

// The main window's side of a shared book: a book open read-only shows it in the
// caption and offers no command that would change it (the menus and tool bar here,
// the grid and the record pages; the subsystems follow TDocument themselves); and
// each time the window comes back, the file is looked at, and a reload shows the
// book again at the record that was shown.
class TPartage : public QObject
{
    Q_OBJECT
public:
    explicit TPartage(TFiche& fiche);

    // The look at the disk, as the window's return runs it once it is settled.
    void VerifieDisque();

protected:
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    void Applique(bool lectureSeule);

    TFiche& m_fiche;
    bool m_prevu = false;
};
