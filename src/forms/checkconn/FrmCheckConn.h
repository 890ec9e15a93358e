#pragma once

#include "widgets/Forms.h"

#include <QElapsedTimer>
#include <QFuture>

class QLabel;
class QLineEdit;
class QTimer;

// The small window that turns a spinner while a newly chosen catalogue is
// checked, then stores its path or rejects it, and ends the program.
class FrmCheckConn : public Form
{
    Q_OBJECT
public:
    FrmCheckConn();

    void Form_Load() override;
    // Checks the chosen catalogue in the background while the spinner turns.
    void startCheck(const QString &path);
    bool checkAnswered() const;
    void Timer1_Timer();
    // The check itself: stores the path when the catalogue holds a record.
    void ConnDb();

    QLabel *Label1 = nullptr, *LblShowOff = nullptr;
    QLineEdit *Text1 = nullptr;
    QTimer *Timer1 = nullptr;

    qint16 TickCount = 0;
    qint16 SpinPhase = 0;
    QString CheckPath;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QFuture<QString> check_; // why the catalogue cannot be used; empty when it can
    QElapsedTimer checkClock_;
    bool decided_ = false;
};
