#include "forms/convert/ConversionProgress.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent>

namespace {
// A short conversion ends before the dialog would be worth a look.
constexpr int ShowAfterMs = 300;
constexpr int UpdateEveryMs = 100;

struct Shared
{
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> read{0};
    std::atomic<qint64> expected{0};
};

QString progressText(qint64 read, qint64 expected)
{
    const QLocale locale;
    if (expected <= read)
        return QStringLiteral("Converting the catalogue: %1 records read.").arg(locale.toString(read));
    return QStringLiteral("Converting the catalogue: %1 of about %2 records read.")
        .arg(locale.toString(read), locale.toString(expected));
}
}

ConversionResult runWithProgress(const ConversionWork &work, QWidget *parent)
{
    auto shared = std::make_shared<Shared>();
    QProgressDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ConvertProgress"));
    dialog.setWindowTitle(QStringLiteral("Converting Catalogue"));
    dialog.setLabelText(progressText(0, 0));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(ShowAfterMs);
    dialog.setRange(0, 0);
    QObject::connect(&dialog, &QProgressDialog::canceled, [shared] { shared->cancelled = true; });

    QTimer update;
    update.setInterval(UpdateEveryMs);
    QObject::connect(&update, &QTimer::timeout, &dialog, [&dialog, shared] {
        const qint64 read = shared->read, expected = shared->expected;
        dialog.setLabelText(progressText(read, expected));
        // The bar counts in thousands, so that any catalogue fits its int range.
        dialog.setRange(0, int(std::max(read, expected) / 1000 + 1));
        dialog.setValue(int(read / 1000));
    });

    QEventLoop loop;
    QFutureWatcher<ConversionResult> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([work, shared] {
        return work(shared->cancelled, [shared](qint64 read, qint64 expected) {
            shared->read = read;
            shared->expected = expected;
        });
    }));
    update.start();
    if (!watcher.isFinished())
        loop.exec();
    return watcher.result();
}
