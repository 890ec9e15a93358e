#include "widgets/Forms.h"

#include "widgets/ScreenPlace.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QSet>

struct FormsAccess
{
    static void setForget(Form *form, std::function<void()> forget) { form->forget_ = std::move(forget); }
    static void forget(Form *form)
    {
        if (form->forget_)
            form->forget_();
        form->forget_ = nullptr;
    }
};

namespace {
QSet<Form *> &loaded()
{
    static QSet<Form *> forms;
    return forms;
}

std::function<void()> &allUnloaded()
{
    static std::function<void()> action = [] { QCoreApplication::quit(); };
    return action;
}
}

Form::Form(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
}

void Form::Unload()
{
    if (unloading_ || !Form_QueryUnload())
        return;
    unloading_ = true;
    // A later reference by name must load a fresh window.
    FormsAccess::forget(this);
    Form_Unload();
    hide();
    Forms::unregister(this);
    deleteLater();
}

void Form::closeEvent(QCloseEvent *event)
{
    Unload();
    // A window whose user is not done stays on screen.
    event->setAccepted(unloading_);
}

void Form::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!isMinimized())
        ScreenPlace::keepOnScreen(this);
}

void Forms::registerLoaded(Form *form, std::function<void()> forget)
{
    FormsAccess::setForget(form, std::move(forget));
    loaded().insert(form);
}

void Forms::unregister(Form *form)
{
    if (loaded().remove(form) && loaded().isEmpty() && allUnloaded())
        allUnloaded()();
}

int Forms::loadedCount()
{
    return int(loaded().size());
}

void Forms::setOnAllUnloaded(std::function<void()> action)
{
    allUnloaded() = std::move(action);
}
