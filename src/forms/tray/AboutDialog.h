#pragma once

#include "widgets/Forms.h"

// The About box: title, version, purpose and a contact address that opens the
// user's mail program. It closes as soon as it loses the focus.
class AboutDialog : public Form
{
    Q_OBJECT
public:
    AboutDialog();

    void Form_LostFocus();
    void Label6_Click();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLabels();
};
