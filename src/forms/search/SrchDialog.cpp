#include "forms/search/SrchDialog.h"

#include "forms/record/StoreConflict.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "desktop/WindowSystem.h"
#include "desktop/X11Window.h"
#include "forms/record/Form1.h"
#include "forms/search/SearchInProgress.h"
#include "forms/search/SrchDialogLayout.h"
#include "widgets/ScreenPlace.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace SrchDialogLayout;

SrchDialog::SrchDialog()
    : Form(nullptr,
           Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
               | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QString::fromLatin1(Caption));
    WindowSystem::makeSmallDialog(this);
    resize(twipsRect(0, 0, ClientWidth, ClientHeight).size());
    TabOrder order;
    createControls(*this, Controls, uiFont("MS Sans Serif", 8.25), &order);
    order.apply();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(MessageTimerMs);

    Label1->setBuddy(Text1); // Alt+C reaches the search text
    Option1->setChecked(true);
    OKButton->setDefault(true);
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label2->setPalette(red);

    connect(OKButton, &QPushButton::clicked, this, &SrchDialog::OKButton_Click);
    connect(CmdNext, &QPushButton::clicked, this, &SrchDialog::CmdNext_Click);
    connect(CancelButton, &QPushButton::clicked, this, &SrchDialog::CancelButton_Click);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(Text1, &QLineEdit::textChanged, this, &SrchDialog::Text1_Change);
    connect(Timer1, &QTimer::timeout, this, &SrchDialog::Timer1_Timer);
}

Recordset &SrchDialog::rs() const
{
    return DataEnvironment1::instance().rsConJobnr;
}

void SrchDialog::Form_Load()
{
    resize(OuterWidth - (frameGeometry().width() - width()), OuterHeight - (frameGeometry().height() - height()));
    Label2->hide();
    Timer1->stop();
    CmdNext->move(CmdNext->x(), OKButton->y());
    CmdNext->hide();
}

// Opens beside the record window, on screen, rather than over its boxes.
void SrchDialog::showEvent(QShowEvent *event)
{
    if (const Form1 *window = Forms::Loaded<Form1>(); window && window->isVisible()) {
        ScreenPlace::placeBeside(this, window);
        ScreenPlace::belongTo(this, window);
    }
    X11Window::setWithoutMinimize(this);
    Form::showEvent(event);
}

void SrchDialog::showAndFocus()
{
    show();
    raise();
    activateWindow();
    Text1->setFocus();
    Text1->selectAll();
}

void SrchDialog::findAgain(bool forward)
{
    (forward ? Option1 : Option2)->setChecked(true);
    if (!CmdNext->isHidden())
        CmdNext_Click();
    else if (!Text1->text().isEmpty())
        OKButton_Click();
    else
        showAndFocus();
}

void SrchDialog::resizeEvent(QResizeEvent *event)
{
    Form::resizeEvent(event);
    Form_Resize();
}

// Keeps the dialog at least 6045 by 1470 twips, width first.
void SrchDialog::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize frame = frameGeometry().size() - size();
    const QSize minimum = twipsRect(0, 0, MinimumWidth, MinimumHeight).size();
    if (frameGeometry().width() < minimum.width())
        resize(minimum.width() - frame.width(), height());
    else if (frameGeometry().height() < minimum.height())
        resize(width(), minimum.height() - frame.height());
}

void SrchDialog::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        Form_LostFocus();
}

void SrchDialog::Form_LostFocus()
{
    SearchInProgress = false;
}

void SrchDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelButton_Click();
    } else if (event->key() == Qt::Key_F3) {
        findAgain(!(event->modifiers() & Qt::ShiftModifier));
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !OKButton->isHidden()) {
        OKButton->click();
    } else {
        Form::keyPressEvent(event);
    }
}

void SrchDialog::showMessage(const QString &text)
{
    Label2->setText(text);
    Label2->show();
    Timer1->start();
}

void SrchDialog::Timer1_Timer()
{
    Label2->show();
    if (++MessageTicks == MessageTicksShown) {
        Label2->hide();
        MessageTicks = 0;
        Timer1->stop();
    }
}

void SrchDialog::enterSearchingState()
{
    OKButton->hide();
    CmdNext->move(OKButton->pos());
    CmdNext->show();
}

void SrchDialog::enterIdleState()
{
    CmdNext->hide();
    OKButton->show();
    OKButton->setDefault(true);
}

void SrchDialog::refreshRecordWindow()
{
    if (Form1 *window = Forms::Loaded<Form1>()) {
        window->UpdateFile1Path();
        window->UpdatePicture();
    }
}

// Right after a large catalogue opens its text is still being read: the
// search waits for it with the window responsive and Cancel at hand.
bool SrchDialog::waitsForSearchText(void (SrchDialog::*command)())
{
    if (rs().isSearchTextReady())
        return false;
    stopWaitingForSearchText();
    Timer1->stop();
    Label2->setText(QStringLiteral("Preparing the search..."));
    Label2->show();
    OKButton->setEnabled(false);
    CmdNext->setEnabled(false);
    waitingForText_ = connect(&rs(), &Recordset::searchTextReady, this, [this, command] {
        stopWaitingForSearchText();
        (this->*command)();
    });
    return true;
}

void SrchDialog::stopWaitingForSearchText()
{
    if (!waitingForText_)
        return;
    disconnect(waitingForText_);
    Label2->hide();
    OKButton->setEnabled(true);
    CmdNext->setEnabled(true);
}

void SrchDialog::OKButton_Click()
{
    if (waitsForSearchText(&SrchDialog::OKButton_Click))
        return;
    {
        const SearchingRecords searching;
        if (Text1->text().isEmpty() || Text1->text() == QStringLiteral(" ")) {
            showMessage(QStringLiteral("Null String"));
            return;
        }
        SearchText = Text1->text().toUpper();
        enterSearchingState();
        const bool forward = Option1->isChecked();
        if (forward ? rs().MoveFirst() : rs().MoveLast()) {
            forward ? SearchForward() : SearchBackward();
        } else {
            MsgBox(rs().lastError(), MsgIcon::Exclamation);
            enterIdleState();
        }
    }
    refreshRecordWindow();
}

void SrchDialog::CmdNext_Click()
{
    if (waitsForSearchText(&SrchDialog::CmdNext_Click))
        return;
    {
        const SearchingRecords searching;
        const bool forward = Option1->isChecked();
        const qint64 position = rs().AbsolutePosition();
        if (position == (forward ? rs().RecordCount() : 1)) {
            StartPosition = position;
            EndReached();
            return;
        }
        continuing_ = true;
        forward ? SearchForward() : SearchBackward();
        continuing_ = false;
    }
    refreshRecordWindow();
}

void SrchDialog::CancelButton_Click()
{
    stopWaitingForSearchText();
    Unload();
}

void SrchDialog::Option1_Click()
{
    CmdNext->setText(QStringLiteral("Next"));
}

void SrchDialog::Option2_Click()
{
    CmdNext->setText(QStringLiteral("Prev"));
}

void SrchDialog::Text1_Change()
{
    enterIdleState();
}

void SrchDialog::SearchForward()
{
    walk(true);
}

void SrchDialog::SearchBackward()
{
    walk(false);
}

// Walks from the current record without moving the cursor through the records
// passed: the record window follows only the record found, or none.
void SrchDialog::walk(bool forward)
{
    StartPosition = rs().AbsolutePosition();
    // A move would store the current record's pending edit first; so does the walk.
    if (!performSettled(rs(), this, [this] { return rs().Update(); }))
        return;
    const qint64 current = StartPosition >= 1 ? StartPosition - 1 : (rs().EOF_() ? rs().RecordCount() : -1);
    const qint64 step = continuing_ ? 1 : 0;
    // SearchText is upper case already, as the text searched is.
    const QByteArray needle = SearchText.toUtf8();
    const qint64 found = forward ? rs().findForward(needle, current + step) : rs().findBackward(needle, current - step);
    if (found < 0)
        EndReached();
    else if (found != current)
        rs().setAbsolutePosition(found + 1);
}

void SrchDialog::EndReached()
{
    if (StartPosition >= 1 && rs().AbsolutePosition() != StartPosition)
        rs().setAbsolutePosition(StartPosition);
    enterIdleState();
    showMessage(QStringLiteral("No Records Found"));
}
