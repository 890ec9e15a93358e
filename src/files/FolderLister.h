#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The files of one folder whose names match any of the patterns (ignoring case),
// sorted by name ignoring case; no subfolders, no hidden files. Nothing when the
// folder cannot be listed: relative, missing, not a folder or not readable.
std::optional<QStringList> listFolder(const QString &folder, const QStringList &patterns);

struct FolderListing
{
    QString folder; // the folder listed (clean, resolved path); empty when no candidate could be listed
    QStringList names; // its matching file names
    bool firstMissing = false; // the first candidate, not listed, does not exist at all
};

// Lists folders off the GUI thread, because a folder may sit on a slow or
// hanging network share. Only the result of the latest request is delivered.
class FolderLister : public QObject
{
    Q_OBJECT
public:
    // Lists one folder; nothing when it cannot be listed. Runs on worker threads.
    using ListFunction = std::function<std::optional<QStringList>(const QString &folder)>;
    // Turns a requested folder into the one to list (a Windows path into a
    // local one, say); runs on worker threads as well.
    using ResolveFunction = std::function<QString(const QString &folder)>;

    explicit FolderLister(ListFunction list, QObject *parent = nullptr, ResolveFunction resolve = {});

    // Lists the first of the candidate folders that can be listed.
    void request(const QStringList &candidates);
    // True from a request until its result has been delivered.
    bool pending() const;

signals:
    void listed(const FolderListing &listing);

private:
    struct Job;
    void deliver(const std::shared_ptr<Job> &job, const FolderListing &listing);

    ListFunction list_;
    ResolveFunction resolve_;
    std::shared_ptr<std::atomic<quint64>> latest_;
    quint64 delivered_ = 0;
    // Running jobs by their candidates: asking again for the same folders joins
    // the running job, so a hanging share ties up one thread, not one per keystroke.
    QHash<QStringList, std::shared_ptr<Job>> running_;
};
