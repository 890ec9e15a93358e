#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

// Shows the preview image embedded in a drawing file. Setting DwgFileName only
// stores the path; Refresh() loads it. Loading runs off the GUI thread because a
// drawing may sit on a slow or hanging network share, and only the result of the
// latest Refresh() is ever shown. A path resolver, when set, turns the file
// name into the file to read (on the loading thread as well).
class DwgThumbnail : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString DwgFileName READ DwgFileName WRITE setDwgFileName)

public:
    explicit DwgThumbnail(QWidget *parent = nullptr);

    // Exactly the text last set, whether or not it names a drawing.
    QString DwgFileName() const;
    void setDwgFileName(const QString &fileName);

    void setPathResolver(std::function<QString(const QString &)> resolve);
    // The file the preview of DwgFileName was read from; empty until it has arrived.
    QString resolvedFileName() const { return resolvedFileName_; }

    // The file name (no folder) of the drawing whose result is shown.
    QString shownDrawingName() const;
    // Whether the latest applied result was a preview (rather than "no preview").
    bool hasPreview() const;
    QImage previewImage() const;

public slots:
    // (Re)loads the preview of DwgFileName and repaints when it arrives.
    void Refresh();

signals:
    void DblClick();
    // Emitted by every Refresh() call, at the call.
    void refreshed();
    // Emitted when the result of the latest Refresh() has been applied.
    void previewReady();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct Loaded
    {
        QImage image;
        QString file; // as resolved
        QString requested; // the DwgFileName it was read for
    };
    void applyPreview(quint64 generation, const Loaded &loaded);
    void paintPreview(QPainter &painter);
    void paintNoPreview(QPainter &painter) const;

    QString fileName_;
    QString resolvedFileName_;
    QString shownDrawing_;
    std::function<QString(const QString &)> resolve_;
    QImage preview_;
    QPixmap scaledPreview_;
    // Shared with the loading tasks so that a request already superseded skips its work.
    std::shared_ptr<std::atomic<quint64>> latestRequest_;
};
