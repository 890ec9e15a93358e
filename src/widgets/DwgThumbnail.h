#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>

// Shows the preview image embedded in a drawing file. Setting DwgFileName only
// stores the path; Refresh() loads it. Loading runs off the GUI thread because a
// drawing may sit on a slow or hanging network share, and only the result of the
// latest Refresh() is ever shown.
class DwgThumbnail : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString DwgFileName READ DwgFileName WRITE setDwgFileName)

public:
    explicit DwgThumbnail(QWidget *parent = nullptr);

    // Exactly the text last set, whether or not it names a drawing.
    QString DwgFileName() const;
    void setDwgFileName(const QString &fileName);

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
    void applyPreview(quint64 generation, const QImage &image);
    void paintPreview(QPainter &painter);
    void paintNoPreview(QPainter &painter) const;

    QString fileName_;
    QImage preview_;
    QPixmap scaledPreview_;
    // Shared with the loading tasks so that a request already superseded skips its work.
    std::shared_ptr<std::atomic<quint64>> latestRequest_;
};
