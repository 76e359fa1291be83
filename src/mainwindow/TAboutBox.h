#pragma once

#include <QDialog>

// "A propos": the program's name and version.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    static QString Version();
};
