#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QWidget;
class Recordset;

// Binds text boxes to the fields of a record set's current record: every change
// of the current record refills the boxes; text typed or assigned from code
// becomes the record's pending edit, stored by Update or a move.
class TextBinder : public QObject
{
    Q_OBJECT
public:
    TextBinder(Recordset &recordset, QObject *parent = nullptr);

    void bind(QLineEdit *box, const QString &field);
    void bind(QPlainTextEdit *box, const QString &field);

    // How often the boxes were refilled (a walk over records must not do it per record).
    int refillCount() const { return refills_; }

private:
    struct Binding
    {
        QWidget *box;
        QString field;
    };
    void refill();
    void edited(const Binding &binding, const QString &text);

    Recordset &recordset_;
    std::vector<Binding> bindings_;
    bool refilling_ = false;
    int refills_ = 0;
};
