#pragma once

#include <QStyledItemDelegate>

// Draws a grid cell on one line and gives its in-place editor the code-page
// check, so a character Windows-1252 cannot hold is refused as it is typed.
class TDelegueCellule : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

signals:
    void CaractereRefuse(QWidget* editeur, const QString& caractere) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
