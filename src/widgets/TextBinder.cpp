#include "widgets/TextBinder.h"

#include "catalogue/Recordset.h"

#include <QLineEdit>
#include <QPlainTextEdit>

TextBinder::TextBinder(Recordset &recordset, QObject *parent) : QObject(parent), recordset_(recordset)
{
    connect(&recordset_, &Recordset::currentChanged, this, &TextBinder::refill);
}

void TextBinder::bind(QLineEdit *box, const QString &field)
{
    bindings_.push_back({box, field});
    connect(box, &QLineEdit::textChanged, this, [this, box, field](const QString &text) {
        edited({box, field}, text);
    });
}

void TextBinder::bind(QPlainTextEdit *box, const QString &field)
{
    bindings_.push_back({box, field});
    connect(box, &QPlainTextEdit::textChanged, this, [this, box, field] { edited({box, field}, box->toPlainText()); });
}

void TextBinder::edited(const Binding &binding, const QString &text)
{
    if (!refilling_)
        recordset_.setValue(binding.field, text);
}

void TextBinder::refill()
{
    ++refills_;
    refilling_ = true;
    for (const Binding &binding : bindings_) {
        const QString text = recordset_.value(binding.field).toString();
        if (auto *line = qobject_cast<QLineEdit *>(binding.box)) {
            line->setText(text);
            line->setCursorPosition(0);
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(binding.box); plain && plain->toPlainText() != text) {
            plain->setPlainText(text);
        }
    }
    refilling_ = false;
}
