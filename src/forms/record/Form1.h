#pragma once

#include "platform/Forms.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Recordset;
class TextBinder;

// The record window: one catalogue record in eight bound boxes, the record
// commands, and the drawing panel beside them.
class Form1 : public Form
{
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Record commands.
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void CmdAdd_Click();
    void CmdDelete_Click();
    void CmdUpdate_Click();

    // An emptied box becomes a single blank when it loses the focus.
    void TxtNumber_LostFocus();
    void TxtClient_LostFocus();
    void txtDate_LostFocus();
    void TxtName_LostFocus();
    void TxtDesc_LostFocus();
    void TxtCounty_LostFocus();
    void TxtFileNum_LostFocus();
    void txtFileLoc_LostFocus();

    const TextBinder &binder() const { return *binder_; }

    QLineEdit *TxtNumber, *TxtClient, *txtDate, *TxtName, *TxtCounty, *TxtFileNum, *txtFileLoc;
    QPlainTextEdit *TxtDesc;
    QPushButton *CmdAdd, *CmdDelete, *CmdUpdate;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Recordset &rs() const;
    // Shows why the record set refused an operation; false when it did.
    bool reported(bool ok);
    void buildControls();
    void connectHandlers();

    TextBinder *binder_ = nullptr;
};
