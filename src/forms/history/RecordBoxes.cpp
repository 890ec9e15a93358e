#include "forms/history/RecordBoxes.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string_view>

namespace RecordBoxes {

QPushButton *updateButtonUnlocked(Form1 *window)
{
    auto *update = window->findChild<QPushButton *>(QStringLiteral("CmdUpdate"));
    if (update && update->isEnabled())
        return update;
    MsgBox(QStringLiteral("The form is locked: unlock it to restore a record."), MsgIcon::Information);
    return nullptr;
}

void type(Form1 *window, const QStringList &fields, const FieldValues &values, bool keepJobNumber)
{
    for (const CatalogueField &field : CatalogueFields) {
        const qsizetype column = fields.indexOf(QLatin1String(field.field));
        if (column < 0 || size_t(column) >= values.size()
            || (keepJobNumber && std::string_view(field.field) == JobNumberField))
            continue;
        const QString text = values[size_t(column)].toString();
        QWidget *box = window->findChild<QWidget *>(QString::fromLatin1(field.box));
        if (auto *line = qobject_cast<QLineEdit *>(box); line && line->text() != text)
            line->setText(text);
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(box); plain && plain->toPlainText() != text)
            plain->setPlainText(text);
    }
}

bool storeAsRestore(QPushButton *update)
{
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    rs.markPendingAsRestore();
    update->click();
    return !rs.editPending();
}
}
