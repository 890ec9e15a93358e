#pragma once

#include "widgets/Forms.h"

#include <QElapsedTimer>
#include <QKeySequence>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <functional>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DwgThumbnail;
class FileListBox;
class ImageControl;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TabOrder;
class Recordset;
class TextBinder;
class clsTransForm;

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
    bool Form_QueryUnload() override;

    // Brings the window back from the tray, the task bar or behind other
    // windows: shown in the normal state, on top and focused; on behalf of a
    // start with the launcher's token, if one is given.
    void showRestored(const QByteArray &launchToken = {});
    // Minimizes the window to the task bar: the placeholder stands there for it
    // where the window system says when it is restored, elsewhere the window
    // itself goes.
    void minimizeToTaskbar();

    // Record commands and the search button (Form1Records.cpp).
    void Command3_Click();
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

    // Drawing panel (Form1Drawing.cpp).
    void UpdateFile1Path();
    void UpdatePicture();
    void txtFileLoc_Change();
    void File1_Click();
    void File1_DblClick();
    void DwgThumbnail1_DblClick();
    void CmdExplore_Click();
    void CmdScript_Click();

    // Edit lock padlocks (Form1Lock.cpp).
    void ImgLocked_Click();
    void ImgUnlocked_Click();

    // Window shell (Form1Shell.cpp): drag strip, caption buttons, panel.
    void Image2_MouseDown(int Button, QPoint position);
    void ImgQ_Click();
    void ImgMax_Click();
    void ImgMIn_Click();
    void ImgExit_Click();
    void Command1_Click();
    void Command2_Click();
    // The window's width in twips, the unit of the panel's steps; the real
    // width is its nearest pixel.
    int widthInTwips() const { return widthTwips_; }
    void setWidthInTwips(int twips);

    const TextBinder &binder() const { return *binder_; }

    QLineEdit *TxtNumber = nullptr, *TxtClient = nullptr, *txtDate = nullptr, *TxtName = nullptr, *TxtCounty = nullptr,
              *TxtFileNum = nullptr, *txtFileLoc = nullptr;
    QPlainTextEdit *TxtDesc = nullptr;
    // Search, First, Prev, Next, Last.
    QPushButton *Command3 = nullptr, *Command4 = nullptr, *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr;
    QPushButton *CmdAdd = nullptr, *CmdDelete = nullptr, *CmdUpdate = nullptr;

    FileListBox *File1 = nullptr; // the drawings of the record's folder
    DwgThumbnail *DwgThumbnail1 = nullptr; // the chosen drawing's preview
    QPushButton *CmdExplore = nullptr, *CmdScript = nullptr; // locate a drawing; open its folder

    // The padlock: ImgUnlocked shows while locked (click to unlock), ImgLocked while unlocked.
    ImageControl *ImgLocked = nullptr, *ImgUnlocked = nullptr;

    // Drag strip; the caption buttons Help, Menu, Minimize, Exit.
    ImageControl *Image2 = nullptr, *ImgQ = nullptr, *ImgMax = nullptr, *ImgMIn = nullptr, *ImgExit = nullptr;
    // The caption buttons' pictures at rest (Bw) and under the mouse (Col).
    ImageControl *ImgQBw = nullptr, *ImgPlusBw = nullptr, *ImgMinBw = nullptr;
    ImageControl *ImgQCol = nullptr, *ImgPlusCol = nullptr, *ImgMinCol = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr; // fold and unfold the drawing panel
    QTimer *tmrCollapse = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Recordset &rs() const;
    static std::optional<QPoint> rememberedPosition();
    // Runs a record command; a failed store is settled with the user. False when it did not go through.
    bool perform(const std::function<bool()> &command);
    void buildControls(TabOrder &order);
    void buildShortcuts(); // Form1Keys.cpp
    void popUpMenuFromKeyboard(); // Form1Keys.cpp
    bool isOwnShortcut(const QKeyEvent *key) const; // Form1Keys.cpp
    void blankIfEmpty(QWidget *box);
    void connectHandlers();

    // Each part of the window builds its own controls.
    void buildDrawingPanel(TabOrder &order); // Form1Drawing.cpp
    // The local file of the drawing the preview shows, for dragging and opening.
    QString previewedFile() const; // Form1Drawing.cpp
    void buildLockImages(); // Form1Lock.cpp
    void buildShell(); // Form1Shell.cpp
    void TogglePanel(); // Form1Shell.cpp
    void shapeFromRegionFile(); // Form1Shell.cpp
    void rememberDesignGeometry(); // Form1Shell.cpp
    void followWidth(); // Form1Shell.cpp

    TextBinder *binder_ = nullptr;
    std::unique_ptr<clsTransForm> TransForm_; // the window's shaping object, while loaded
    // The panel's geometry in twips; the widgets stand at the nearest pixel.
    int widthTwips_ = 0;
    QElapsedTimer restored_; // since the latest restore
    QList<QKeySequence> ownShortcuts_;
    // The controls that follow the width, with their places at the skin's width.
    std::vector<std::pair<QWidget *, QRect>> rightAnchored_, stretched_;
    QPixmap skin_, shownSkin_; // the skin, and as it paints the current width
};
