#pragma once

#include "widgets/Forms.h"

#include <QByteArray>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class Recordset;

// The search dialog: finds records whose fields contain a text, forward or
// backward, from an always-on-top window that does not take the focus.
class SrchDialog : public Form
{
    Q_OBJECT
public:
    SrchDialog();
    void Form_Load() override;

    // Shows the dialog beside the record window with the keyboard in its text box.
    void showAndFocus();
    // F3 and Shift+F3: the next match in that direction, or a new search for
    // the text typed; with no text, the dialog opens for one.
    void findAgain(bool forward);

    // The walks over the catalogue's records, from the current record.
    void SearchForward();
    void SearchBackward();
    void EndReached();

    void OKButton_Click();
    void CmdNext_Click();
    void CancelButton_Click();
    void Option1_Click();
    void Option2_Click();
    void Text1_Change();
    void Timer1_Timer();
    void Form_LostFocus();

    QLineEdit *Text1 = nullptr; // the text to find
    QRadioButton *Option1 = nullptr, *Option2 = nullptr; // forward, backward
    QPushButton *OKButton = nullptr, *CmdNext = nullptr, *CancelButton = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr; // caption; the red message
    QTimer *Timer1 = nullptr;

    QString SearchText; // upper case
    qint64 StartPosition = 0; // a whole number: exact beyond 16 million records
    int MessageTicks = 0;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Recordset &rs() const;
    void showMessage(const QString &text);
    void enterSearchingState();
    void enterIdleState();
    void refreshRecordWindow();
    void walk(bool forward);
    bool waitsForSearchText(void (SrchDialog::*command)());
    void stopWaitingForSearchText();
    void Form_Resize();

    bool continuing_ = false; // the walk continues from the match on view
    QMetaObject::Connection waitingForText_; // a search pressed before the catalogue's text was read
};
