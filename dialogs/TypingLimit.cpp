#include "dialogs/TypingLimit.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <algorithm>

namespace {

// A validator that cuts typed text. QLineEdit asks a validator about every
// change; a change by setText() comes with an empty undo history (setText
// clears it), so only the clerk's own edits are cut. A longer text the
// program set raises the limit to its length until the box is emptied, so
// that a clerk can correct the end of a long name.
class TypingLimit : public QValidator
{
public:
    TypingLimit(QLineEdit* edit, int maxLength)
        : QValidator(edit), m_edit(edit), m_maxLength(maxLength),
          m_allowed(std::max<qsizetype>(maxLength, edit->text().size()))
    {
        QObject::connect(edit, &QLineEdit::textChanged, this, [this] {
            if (m_edit->text().isEmpty())
                m_allowed = m_maxLength;
            else if (!m_edit->isUndoAvailable())
                m_allowed = std::max<qsizetype>(m_maxLength, m_edit->text().size());
        });
    }

    State validate(QString& input, int& pos) const override
    {
        if (!m_edit || !m_edit->isUndoAvailable())
            return Acceptable; // set by the program: shown whole
        const qsizetype excess = input.size() - m_allowed;
        if (excess <= 0)
            return Acceptable;
        // The typed characters end at the cursor: cut the ones that do not fit.
        if (excess > pos)
            return Invalid;
        input.remove(pos - excess, excess);
        pos -= int(excess);
        return Acceptable;
    }

private:
    QPointer<QLineEdit> m_edit;
    int m_maxLength;
    qsizetype m_allowed;
};

} // namespace

void LimitTyping(QLineEdit* edit, int maxLength)
{
    edit->setMaxLength(32767); // Qt's default: no cut of set text
    edit->setValidator(new TypingLimit(edit, maxLength));
}
