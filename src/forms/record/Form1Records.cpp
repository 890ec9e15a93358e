// The record commands of the record window, and its search button.
#include "forms/record/Form1.h"

#include "catalogue/DataEnvironment1.h"
#include "catalogue/LeadingNumber.h"
#include "desktop/MsgBox.h"
#include "forms/search/SrchDialog.h"
#include "program/ProgramFacts.h"
#include "widgets/TextBinder.h"

#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextDocument>

void Form1::Command3_Click()
{
    Forms::Get<SrchDialog>()->showAndFocus();
}

void Form1::Command4_Click()
{
    perform([this] { return rs().MoveFirst(); });
}

void Form1::Command7_Click()
{
    perform([this] { return rs().MoveLast(); });
}

void Form1::Command5_Click()
{
    if (rs().BOF() || rs().AbsolutePosition() == 1)
        return;
    perform([this] { return rs().MovePrevious(); });
}

void Form1::Command6_Click()
{
    if (rs().AbsolutePosition() == rs().RecordCount() || rs().EOF_())
        return;
    perform([this] { return rs().MoveNext(); });
}

void Form1::CmdAdd_Click()
{
    if (!perform([this] { return rs().MoveLast(); }))
        return;
    const QString lastJobNumber = TxtNumber->text();
    if (!perform([this] { return rs().AddNew(); }))
        return;
    TxtNumber->setText(LeadingNumber::nextAfter(lastJobNumber));
    txtDate->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

void Form1::CmdDelete_Click()
{
    if (rs().RecordCount() == 1) {
        MsgBox(QStringLiteral("Cannot delete last record\r\nPlease modify record and update."), MsgIcon::Information,
               QString::fromLatin1(ProgramFacts::Title));
        return;
    }
    qint64 position = rs().AbsolutePosition();
    if (position < 1)
        return; // no current record: nothing to delete
    if (!perform([this] { return rs().Delete(); }))
        return;
    if (position > 1)
        --position;
    perform([this, position] { return rs().setAbsolutePosition(std::min(position, rs().RecordCount())); });
}

void Form1::CmdUpdate_Click()
{
    perform([this] { return rs().Update(); });
}

// An emptied box becomes a single blank. A box that shows its field as read
// (an empty field the user only passed through) shows the blank too, but the
// record is not rewritten for it until the user edits the box.
void Form1::blankIfEmpty(QWidget *box)
{
    auto *line = qobject_cast<QLineEdit *>(box);
    auto *plain = qobject_cast<QPlainTextEdit *>(box);
    if (line ? !line->text().isEmpty() : !plain->document()->isEmpty())
        return;
    const QString blank = QStringLiteral(" ");
    if (binder_->showsAsRead(box))
        binder_->display(box, blank);
    else if (line)
        line->setText(blank);
    else
        plain->setPlainText(blank);
}

void Form1::TxtNumber_LostFocus()
{
    blankIfEmpty(TxtNumber);
}
void Form1::TxtClient_LostFocus()
{
    blankIfEmpty(TxtClient);
}
void Form1::txtDate_LostFocus()
{
    blankIfEmpty(txtDate);
}
void Form1::TxtName_LostFocus()
{
    blankIfEmpty(TxtName);
}
void Form1::TxtCounty_LostFocus()
{
    blankIfEmpty(TxtCounty);
}
void Form1::TxtFileNum_LostFocus()
{
    blankIfEmpty(TxtFileNum);
}
void Form1::txtFileLoc_LostFocus()
{
    blankIfEmpty(txtFileLoc);
}
void Form1::TxtDesc_LostFocus()
{
    blankIfEmpty(TxtDesc);
}
