#include "shell/FrmFakeMin.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "shell/Artwork.h"
#include "widgets/ControlTable.h"

#include <QIcon>
#include <QWindowStateChangeEvent>

namespace {
// A caption bar with almost no client area, in twips.
constexpr int InnerWidth = 9075, InnerHeight = 240;
constexpr char LoadCaption[] = "CADMorvo(";
constexpr char RestoreCaption[] = "Morvo II(";

// The caption names the current record's job number, as the record window shows it.
QString captionWith(const char *prefix)
{
    const QString jobNumber =
        DataEnvironment1::instance().rsConJobnr.value(QString::fromLatin1(JobNumberField)).toString();
    return QString::fromLatin1(prefix) + jobNumber + u')';
}
}

FrmFakeMin::FrmFakeMin()
{
    setWindowIcon(QIcon(QString::fromLatin1(Artwork::FakeMin)));
    resize(twipsRect(0, 0, InnerWidth, InnerHeight).size());
}

void FrmFakeMin::Form_Load()
{
    setWindowTitle(captionWith(LoadCaption));
    setWindowState(Qt::WindowNoState);
}

void FrmFakeMin::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    // Only a change away from minimized restores: window systems report sizes
    // and states in their own order while the window is being shown minimized.
    if (event->type() == QEvent::WindowStateChange
        && (static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized))
        Form_Resize();
}

void FrmFakeMin::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    emit restoreRequested();
    setWindowTitle(captionWith(RestoreCaption));
    hide();
}
