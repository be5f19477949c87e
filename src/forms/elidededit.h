#pragma once

#include <QLineEdit>

// An edit narrower than the texts it shows (a code item: code, two blanks,
// name): while the user is elsewhere a text too wide for it ends in "…"
// instead of being cut off, and its tip shows it whole; with the focus in
// it, it edits as any edit.
class ElidedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ElidedLineEdit(QWidget *parent = nullptr);

    // The text as it stands in the edit while the user is elsewhere.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QRect textRect() const;
};
