#pragma once

#include <QDate>
#include <QPlainTextEdit>
#include <functional>
#include <string>

// A notes memo: refuses characters Windows-1252 cannot hold (typed, pasted,
// dropped or composed), inserts the date on F12, and gives its text with CR LF
// line breaks.
class TMemoNotes : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TMemoNotes(QWidget* parent = nullptr);

    // Text in Unicode with CR LF line breaks; no character is altered (unlike
    // toPlainText, which turns non-breaking spaces into spaces).
    QString Texte() const;
    // Shows a cell's text (CR LF line breaks).
    void SetTexte(const QString& texte);

    void SetHorloge(std::function<QDate()> horloge);
    // Inserts the date at the start of the selection, without replacing the
    // selected text; the caret goes right after the date.
    void InsereDate();

signals:
    void CaractereRefuse(const QString& caractere);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool Refuse(const QString& texte);

    std::function<QDate()> m_horloge;
};
