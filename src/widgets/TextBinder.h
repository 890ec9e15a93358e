#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QWidget;
class Recordset;

// Binds text boxes to the fields of a record set's current record: every change
// of the current record refills the boxes; text typed or assigned from code
// becomes the record's pending edit, stored by Update or a move. What the user
// did not change is stored exactly as it was read (line endings included).
class TextBinder : public QObject
{
    Q_OBJECT
public:
    TextBinder(Recordset &recordset, QObject *parent = nullptr);

    void bind(QLineEdit *box, const QString &field);
    void bind(QPlainTextEdit *box, const QString &field);

    // The bound boxes, in the order they were bound.
    std::vector<QWidget *> boxes() const;
    // True while the box shows its field as read: nothing was typed or
    // assigned into it since the record was shown.
    bool showsAsRead(const QWidget *box) const;
    // Shows text in the box without changing the record: it becomes the
    // record's value only once the user edits the box.
    void display(QWidget *box, const QString &text);

    // How often the boxes were refilled (a walk over records must not do it per record).
    int refillCount() const { return refills_; }

private:
    struct Binding
    {
        QWidget *box;
        QString field;
        bool edited = false; // since the latest refill
        std::optional<QString> displayed; // shown for display only; the record does not hold it
        QString shown; // a multi-line box's document text at the latest change
    };
    Binding &bindingOf(const QWidget *box);
    void refill();
    void lineEdited(Binding &binding, const QString &text);
    void plainEdited(Binding &binding);
    void setText(Binding &binding, const QString &text);

    Recordset &recordset_;
    std::vector<Binding> bindings_;
    bool refilling_ = false;
    int refills_ = 0;
};
