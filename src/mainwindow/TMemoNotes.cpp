#include "TMemoNotes.h"

#include "records/CodePage.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TMemoNotes::TMemoNotes(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    m_horloge = [] { return QDate::currentDate(); };
}

QString TMemoNotes::Texte() const
{
    QString texte = document()->toRawText();
    texte.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    texte.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return texte;
}

void TMemoNotes::SetTexte(const QString& texte)
{
    QString affiche = texte;
    affiche.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(affiche);
}

void TMemoNotes::SetHorloge(std::function<QDate()> horloge)
{
    m_horloge = horloge ? std::move(horloge) : [] { return QDate::currentDate(); };
}

void TMemoNotes::InsereDate()
{
    if (isReadOnly()) return;
    QTextCursor curseur = textCursor();
    const int debut = curseur.selectionStart();
    curseur.clearSelection();
    curseur.setPosition(debut);
    const QString date = m_horloge().toString(QStringLiteral("dd/MM/yyyy"));
    curseur.insertText(date);
    curseur.setPosition(debut + static_cast<int>(date.size()));
    setTextCursor(curseur);
}

bool TMemoNotes::Refuse(const QString& texte)
{
    const QString refuse = CodePage::PremierCaractereRefuse(texte);
    if (refuse.isEmpty()) return false;
    emit CaractereRefuse(refuse);
    return true;
}

void TMemoNotes::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F12 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        InsereDate();
        return;
    }
    if (!isReadOnly() && Refuse(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemoNotes::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isReadOnly() && Refuse(event->commitString())) {
        // Keep the composition's end (the preedit is cleared) without committing.
        QInputMethodEvent vide(QString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&vide);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TMemoNotes::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText() && Refuse(source->text())) return;
    QPlainTextEdit::insertFromMimeData(source);
}
