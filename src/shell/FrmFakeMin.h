#pragma once

#include "widgets/Forms.h"

#include <QElapsedTimer>

#include <functional>

class QTimer;

// The small ordinary window that stands on the task bar, minimized, while the
// record window is hidden by its Minimize button. Restoring it brings the
// record window back and hides it again.
class FrmFakeMin : public Form
{
    Q_OBJECT
public:
    FrmFakeMin();

    // Where the captions take the job number from: the record window's box.
    static void setJobNumberSource(std::function<QString()> source);

    void Form_Load() override;
    // Whenever the window is not minimized, it gives way to the record window.
    void Form_Resize();

signals:
    // The record window comes back; it listens from its own load.
    void restoreRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    // Until the window manager shows the placeholder as an icon, a report of
    // the normal state is its mapping the window, not the user restoring it.
    void awaitIcon();
    QTimer *iconCheck_ = nullptr;
    QElapsedTimer awaitingIcon_;
};
