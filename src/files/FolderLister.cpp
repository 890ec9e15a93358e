#include "files/FolderLister.h"

#include "files/BlockingPool.h"
#include "program/Background.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>
#include <utility>

std::optional<QStringList> listFolder(const QString &folder, const QStringList &patterns)
{
    // A relative folder would depend on where the program was started from.
    const QFileInfo info(folder);
    if (!QDir::isAbsolutePath(folder) || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return std::nullopt;
    QStringList names;
    for (QDirIterator entries(folder, patterns, QDir::Files); entries.hasNext();)
        names << entries.nextFileInfo().fileName();
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

struct FolderLister::Job
{
    // Spelled out: the fuzzers' clang (14) cannot make an aggregate from parentheses.
    Job(const QStringList &folders, quint64 request) : candidates(folders), generation(request) {}
    QStringList candidates;
    std::atomic<quint64> generation; // the latest request this job answers
};

FolderLister::FolderLister(ListFunction list, QObject *parent, ResolveFunction resolve)
    : QObject(parent),
      list_(std::move(list)),
      resolve_(std::move(resolve)),
      latest_(std::make_shared<std::atomic<quint64>>(0))
{
}

bool FolderLister::pending() const
{
    return delivered_ != *latest_;
}

void FolderLister::request(const QStringList &candidates)
{
    const quint64 generation = ++*latest_;
    if (const auto running = running_.find(candidates); running != running_.end()) {
        (*running)->generation = generation;
        return;
    }
    auto job = std::make_shared<Job>(candidates, generation);
    running_.insert(candidates, job);

    using Result = std::optional<FolderListing>;
    runInBackground(
        blockingPool(BlockingWork::FolderListing), this,
        [list = list_, resolve = resolve_, latest = latest_, job]() -> Result {
            if (job->generation != *latest)
                return std::nullopt; // superseded before it started
            bool firstMissing = false, first = true;
            for (const QString &candidate : std::as_const(job->candidates)) {
                const QString folder = resolve ? resolve(candidate) : candidate;
                if (std::optional<QStringList> names = list(folder))
                    return FolderListing{QDir::cleanPath(folder), *std::move(names), firstMissing};
                // Whether the first folder is there at all is asked here too: on
                // a hanging share the question hangs as the listing does.
                if (std::exchange(first, false))
                    firstMissing = !folder.isEmpty() && (!QDir::isAbsolutePath(folder) || !QFileInfo::exists(folder));
            }
            return FolderListing{QString(), QStringList(), firstMissing};
        },
        [this, job](const Result &result) {
            running_.remove(job->candidates);
            if (result)
                deliver(job, *result);
            else if (job->generation == *latest_) // skipped, then asked for again before it ended
                request(job->candidates);
        });
}

void FolderLister::deliver(const std::shared_ptr<Job> &job, const FolderListing &listing)
{
    if (job->generation != *latest_)
        return;
    delivered_ = job->generation;
    emit listed(listing);
}
