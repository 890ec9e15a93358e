#pragma once

#include <QPointer>
#include <QRegion>
#include <QRgb>
#include <QString>
#include <QWidget>

#include <optional>

// A failure of clsTransForm: the error number, where it arose, and the text for the user.
struct TransFormError
{
    qint32 Number;
    QString Source;
    QString Description;
};

// Cuts a widget to the outline of its own picture: every pixel of the key colour becomes
// transparent to drawing and to the mouse. Also lets the user drag a borderless window.
class clsTransForm
{
public:
    clsTransForm() = default;
    ~clsTransForm();
    clsTransForm(const clsTransForm &) = delete;
    clsTransForm &operator=(const clsTransForm &) = delete;

    // Target is a top-level widget (its own drawing is the picture), a QLabel showing a pixmap,
    // or a QPushButton, QCheckBox or QRadioButton (its face is turned to the key colour first,
    // and a frame 2 pixels wide is always cut away). A QLabel without a pixmap is a plain label
    // and, like every other widget, is refused before anything about it changes.
    // With a RegionFile, LoadFromFile takes the region from that file and reads no pixel, and
    // !LoadFromFile saves the region built from the pixels there; an empty RegionFile touches no
    // file. Throws TransFormError; the region is then not applied.
    void ShapeMe(QWidget *Target, QRgb KeyColor, bool LoadFromFile, const QString &RegionFile);

    // Button 1 (left) lets the user drag the window until the left button is released: a move by
    // the window manager where it offers one, otherwise the window follows the mouse. Returns at
    // once, so it can be called from a mouse-press handler. Other buttons do nothing.
    void DragForm(QWidget *window, int Button);

    QRegion RegionHandle; // built or loaded by the latest ShapeMe
    QPointer<QWidget> TargetObject; // target of the latest ShapeMe
    qint32 TargetHeight = 0; // scanned area, in pixels
    qint32 TargetWidth = 0;

private:
    void PrepareTarget(const QWidget *target);
    void SaveRegionDataToFile(const QString &FileName) const;
    std::optional<QRegion> LoadRegionDataFromFile(const QString &FileName) const;

    QPointer<QObject> manualMove; // the window-follows-mouse drag in progress, if any
};
