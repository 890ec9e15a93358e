#pragma once

#include "widgets/Forms.h"

#include <QPointer>
#include <QSystemTrayIcon>

class QAction;
class QMenu;

// The tray form: loaded with the record window and never shown. It owns the
// notification-area icon and the program's two pop-up menus, hides the record
// window to the tray and brings it back, and applies the edit lock.
class FrmMenu : public Form
{
    Q_OBJECT
public:
    // The shell's mouse message numbers that the tray icon reports.
    enum TrayCode {
        MouseMove = 512,
        LeftButtonUp = 514,
        LeftButtonDoubleClick = 515,
        RightButtonUp = 517,
        MiddleButtonUp = 520,
    };
    // A left double click arrives as two left clicks and then its own code,
    // which the callback ignores.
    static TrayCode trayCodeFor(QSystemTrayIcon::ActivationReason reason);

    FrmMenu();
    ~FrmMenu() override;

    void Form_Load() override;
    bool Form_QueryUnload() override;
    void Form_Unload() override;
    // The tray icon's callback, with the code of the mouse event over the icon.
    void TrayCallback(int code);
    void Form_Resize();

    void MnuHide_Click();
    // Public as well for a second start of the program, which brings the
    // record window back the way the tray does.
    void MnuRestore_Click();
    void MnuTskMinimize_Click();
    void MnuTskRestore_Click();
    void MnuSearch_Click();
    void MnuHelp_Click();
    void MnuAbout_Click();
    void MnuExit_Click();
    void MnuTskExit_Click();

    // The edit lock (FrmMenuLock.cpp).
    void MnuLock_Click();
    void MnuUnlock_Click();

    // "Set Database" (forms/checkconn/DatabaseChooser.cpp).
    void MnuLocate_Click();
    void MnuLocateServer_Click();
    // "History" of the job on screen and "Deleted Records" (forms/history/HistoryMenu.cpp).
    void MnuHistory_Click();
    void MnuDeleted_Click();
    // "Drawing Folders" (forms/drawingfolders/DrawingFoldersMenu.cpp).
    void MnuDrawingFolders_Click();
    void MnuTskDrawingFolders_Click();

    // The icon in the notification area; null once the form has closed.
    QSystemTrayIcon *trayIcon() const { return trayIcon_.data(); }
    // Hiding to the tray leaves a way back: a notification area shows the
    // icon, or there is no desktop to find a minimized window in either.
    // Elsewhere "Hide" minimizes the record window to the task bar instead.
    bool hidesToTray() const;
    // Asks again whether the desktop has a notification area (one may come or
    // go at any time); a window hidden to a tray that went goes to the task bar.
    void followTray();

    // The form's own window state: minimized while the record window is hidden
    // to the tray. A change runs Form_Resize.
    Qt::WindowState formState() const { return formState_; }
    void setFormState(Qt::WindowState state);

    QMenu *PopMenu = nullptr, *TaskMenu = nullptr;
    QAction *MnuRestore = nullptr, *MnuHide = nullptr, *MnuUnlock = nullptr, *MnuLock = nullptr, *MnuSearch = nullptr,
            *MnuHistory = nullptr, *MnuDeleted = nullptr, *MnuLocate = nullptr, *MnuLocateServer = nullptr,
            *MnuDrawingFolders = nullptr, *MnuHelp = nullptr, *MnuAbout = nullptr, *MnuExit = nullptr;
    QAction *MnuTskRestore = nullptr, *MnuTskMinimize = nullptr, *MnuTskDrawingFolders = nullptr, *MnuTskExit = nullptr;
    QString ChosenPath;

private:
    void buildMenus();
    void checkChosen(const QString &location); // DatabaseChooser.cpp
    void addTrayIcon();
    // Shows "Restore" in both menus while hidden, "Hide" while shown.
    void showHideItems(bool hidden);
    // Sets every property of the lock table for one state.
    void applyLock(bool locked);

    QPointer<QSystemTrayIcon> trayIcon_;
    bool trayAvailable_ = false;
    // Kept here, not handed to the window system: changing the state of a
    // window that was never shown would map it on some desktops.
    Qt::WindowState formState_ = Qt::WindowNoState;
};
