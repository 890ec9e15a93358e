#include "widgets/TextBinder.h"

#include "catalogue/Recordset.h"
#include "widgets/ShownText.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>
#include <limits>
#include <utility>

namespace {
// The document's own text: unlike toPlainText() it keeps no-break spaces and
// line separators, and shows each paragraph break as U+2029.
QString documentText(const QPlainTextEdit *box)
{
    return box->document()->toRawText();
}
}

TextBinder::TextBinder(Recordset &recordset, QObject *parent) : QObject(parent), recordset_(recordset)
{
    connect(&recordset_, &Recordset::currentChanged, this, &TextBinder::refill);
}

void TextBinder::bind(QLineEdit *box, const QString &field)
{
    // A line box would cut a longer value at its default limit.
    box->setMaxLength(std::numeric_limits<int>::max());
    bindings_.push_back({box, field, false, std::nullopt, QString()});
    connect(box, &QLineEdit::textChanged, this, [this, box](const QString &text) { lineEdited(bindingOf(box), text); });
}

void TextBinder::bind(QPlainTextEdit *box, const QString &field)
{
    bindings_.push_back({box, field, false, std::nullopt, QString()});
    connect(box, &QPlainTextEdit::textChanged, this, [this, box] { plainEdited(bindingOf(box)); });
}

std::vector<QWidget *> TextBinder::boxes() const
{
    std::vector<QWidget *> all;
    for (const Binding &binding : bindings_)
        all.push_back(binding.box);
    return all;
}

TextBinder::Binding &TextBinder::bindingOf(const QWidget *box)
{
    return *std::find_if(bindings_.begin(), bindings_.end(), [box](const Binding &b) { return b.box == box; });
}

bool TextBinder::showsAsRead(const QWidget *box) const
{
    return std::any_of(bindings_.begin(), bindings_.end(),
                       [box](const Binding &b) { return b.box == box && !b.edited; });
}

void TextBinder::display(QWidget *box, const QString &text)
{
    Binding &binding = bindingOf(box);
    const bool wasRefilling = std::exchange(refilling_, true);
    setText(binding, text);
    refilling_ = wasRefilling;
    binding.displayed = text;
}

void TextBinder::lineEdited(Binding &binding, const QString &text)
{
    if (refilling_)
        return;
    binding.edited = true;
    binding.displayed.reset();
    recordset_.setValue(binding.field, text);
}

void TextBinder::plainEdited(Binding &binding)
{
    const QString now = documentText(static_cast<QPlainTextEdit *>(binding.box));
    const QString before = std::exchange(binding.shown, now);
    if (refilling_)
        return;
    // Text shown for display only is what the user edited, not the record's value.
    const QString stored = binding.displayed.value_or(recordset_.value(binding.field).toString());
    binding.edited = true;
    binding.displayed.reset();
    recordset_.setValue(binding.field, ShownText::applyEdit(stored, before, now));
}

void TextBinder::setText(Binding &binding, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(binding.box)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(binding.box)) {
        // Refilling a box that already shows the text would lose its cursor and scroll.
        if (documentText(plain) != ShownText::shownFor(text))
            plain->setPlainText(text);
        binding.shown = documentText(plain);
    }
}

void TextBinder::refill()
{
    ++refills_;
    refilling_ = true;
    for (Binding &binding : bindings_) {
        setText(binding, recordset_.value(binding.field).toString());
        binding.edited = false;
        binding.displayed.reset();
    }
    refilling_ = false;
}
