#pragma once

#include <QValidator>

// Limits an edit to what its table field holds: at most `maxBytes` bytes of
// GBK, and only characters GBK has.  Input past the limit keeps what fits:
// the characters typed or pasted last (before the cursor) are dropped whole
// from their end until the text fits, as an edit with a length limit does.
class GbkLengthValidator : public QValidator {
    Q_OBJECT
public:
    explicit GbkLengthValidator(int maxBytes, QObject *parent = nullptr);

    int maxBytes() const { return m_maxBytes; }
    State validate(QString &input, int &pos) const override;

private:
    int m_maxBytes;
};

// Gives the edit a GBK byte limit (its character limit is set to the same
// number, which is never tighter).
class QLineEdit;
void limitGbkBytes(QLineEdit *edit, int maxBytes);
