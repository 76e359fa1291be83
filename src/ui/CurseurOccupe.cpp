#include "CurseurOccupe.h"

#include <QCursor>
#include <QGuiApplication>

CurseurOccupe::CurseurOccupe()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CurseurOccupe::~CurseurOccupe()
{
    QGuiApplication::restoreOverrideCursor();
}
