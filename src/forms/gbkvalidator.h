#pragma once

#include <QValidator>

// Limits an edit to what its table field holds: at most `maxBytes` bytes of
// GBK, and only characters GBK has.  Input past the limit keeps what fits:
// the characters typed or pasted last (before the cursor) are dropped whole
// from their end until the text fits, as an edit with a length limit does.
//
// A validator whose parent is the edit also takes the edit's pastes (by key
// and through its menu) and inserts only the part that fits, so the paste
// stays in the edit's undo history (a text the validator cuts replaces it).
class GbkLengthValidator : public QValidator {
    Q_OBJECT
public:
    explicit GbkLengthValidator(int maxBytes, QObject *parent = nullptr);

    int maxBytes() const { return m_maxBytes; }
    State validate(QString &input, int &pos) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pasteWhatFits(class QLineEdit *edit) const;
    int m_maxBytes;
};

// Gives the edit a GBK byte limit (its character limit is set to the same
// number, which is never tighter).
class QLineEdit;
void limitGbkBytes(QLineEdit *edit, int maxBytes);
