#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

// A window of the program. Loading runs Form_Load once; unloading runs
// Form_Unload once (a second request does nothing more) and deletes the window.
class Form : public QWidget
{
    Q_OBJECT
public:
    explicit Form(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    virtual void Form_Load() {}
    // Asked before every unload; false keeps the window (the user is not done).
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}

    void Unload();
    bool isUnloading() const { return unloading_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    // Every window opens wholly on its screen.
    void showEvent(QShowEvent *event) override;

private:
    friend struct FormsAccess;
    bool unloading_ = false;
    std::function<void()> forget_;
};

// The registry through which windows reach each other by name: asking for a
// window that is not loaded loads a fresh one; when none is left, the program ends.
namespace Forms {
void registerLoaded(Form *form, std::function<void()> forget);
void unregister(Form *form);
int loadedCount();
// What happens when the last window is unloaded; by default the event loop ends.
void setOnAllUnloaded(std::function<void()> action);

template <class F> QPointer<F> &slot()
{
    static QPointer<F> instance;
    return instance;
}

template <class F> F *Loaded()
{
    return slot<F>().data();
}

template <class F> F *Get()
{
    if (!slot<F>()) {
        F *form = new F;
        // Every window carries its design name, which is its class name.
        form->setObjectName(QString::fromLatin1(F::staticMetaObject.className()));
        slot<F>() = form;
        registerLoaded(form, [] { slot<F>().clear(); });
        form->Form_Load();
    }
    return slot<F>().data();
}

template <class F> void Unload()
{
    if (F *form = Loaded<F>())
        form->Unload();
}
}
