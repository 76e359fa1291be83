#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

// The help window: the program's French help page, with its links followed inside.
class TAide : public QDialog
{
    Q_OBJECT
public:
    explicit TAide(QWidget* parent = nullptr);
    // Shows the contents at their start and brings the window to the front.
    void MontreSommaire();
    QTextBrowser* Navigateur() const { return m_navigateur; }

    static QUrl Sommaire();

private:
    QTextBrowser* m_navigateur;
};
