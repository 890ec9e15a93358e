#include "thumbnailer/Thumbnailer.h"

#include "files/DwgPreview.h"

#include <QBuffer>
#include <QSaveFile>
#include <QTextStream>
#include <QUrl>

#include <optional>

namespace {
QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

struct Request
{
    int size = 0;
    QString input;
    QString output;
};

std::optional<Request> parse(const QStringList &arguments)
{
    if (arguments.size() != 4 || arguments[0] != QLatin1String("-s"))
        return std::nullopt;
    bool number = false;
    const int size = arguments[1].toInt(&number);
    if (!number || size < 1 || size > DwgPreview::MaxSide)
        return std::nullopt;
    const QUrl url(arguments[2]);
    // File managers hand over a path (%i) or a file: URI (%u).
    const QString input = url.scheme() == QLatin1String("file") ? url.toLocalFile() : arguments[2];
    return Request{size, input, arguments[3]};
}
}

Thumbnailer::Status Thumbnailer::run(const QStringList &arguments, const std::function<void()> &beforeWriting)
{
    const auto request = parse(arguments);
    if (!request) {
        err() << "usage: morvo-thumbnailer -s SIZE INPUT OUTPUT.png  (SIZE from 1 to " << DwgPreview::MaxSide << ")"
              << Qt::endl;
        return Usage;
    }
    const QImage preview = DwgPreview::fromFile(request->input);
    if (preview.isNull()) {
        err() << "morvo-thumbnailer: " << request->input << " holds no preview that can be shown" << Qt::endl;
        return NoPreview;
    }
    // A sliver of a preview still gets one pixel across.
    const QSize size =
        DwgPreview::fittedSize(preview.size(), QSize(request->size, request->size)).expandedTo(QSize(1, 1));
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !DwgPreview::scaled(preview, size).save(&buffer, "PNG")) {
        err() << "morvo-thumbnailer: the preview of " << request->input << " is too large" << Qt::endl;
        return NoPreview;
    }
    if (beforeWriting)
        beforeWriting();
    QSaveFile file(request->output);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
        err() << "morvo-thumbnailer: cannot write " << request->output << ": " << file.errorString() << Qt::endl;
        return NoPreview;
    }
    return Written;
}
