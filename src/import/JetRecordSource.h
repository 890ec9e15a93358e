#pragma once

#include "import/RecordSource.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>
#include <memory>

class QProcess;

// How long and how much memory the Jet reader may take for one file.
struct JetReaderLimits
{
    int seconds = 0;
    qint64 memoryBytes = 0; // 0: no limit of its own
};
// Ten seconds and a second more per MiB: several times what a sound file needs.
JetReaderLimits jetReaderLimitsFor(qint64 fileSize);

// The records of one table of a Windows catalogue, read by the Jet reader
// (morvo-jetreader) in a child process under limits: libmdb hangs and crashes
// on some damaged files, and then only the child goes. Its error frames,
// death, time-out and error output become a message that says why.
class JetRecordSource : public RecordSource
{
public:
    JetRecordSource(const QString &file, const QString &readerProgram, const JetReaderLimits &limits);
    ~JetRecordSource() override;

    // Another table and up to eight fields, in the record's first places
    // (the catalogue's table Projects and its eight fields unless set).
    void setTable(const QString &table, const QStringList &fields);

    bool open() override;
    bool next(ImportRecord &record) override;
    qint64 expected(qint64 read) const override;

    // From the file's header, once open: 0 Jet 3, 1 Jet 4; the code page.
    int jetVersion() const { return jetVersion_; }
    int codePage() const { return codePage_; }

private:
    // A frame as it stands in the buffer: valid until the next frame is taken.
    struct Frame
    {
        quint8 type = 0;
        QByteArrayView payload;
    };
    bool nextFrame(Frame &frame);
    bool takeFrame(Frame &frame);
    bool readHeader(QByteArrayView payload);
    bool readRecord(QByteArrayView payload, ImportRecord &record);
    bool failOnErrorFrame(QByteArrayView payload);
    bool failOnEnd();
    bool failDamaged(const QString &fallback);
    void keepErrorOutput();
    void stop();

    QString file_;
    QString program_;
    JetReaderLimits limits_;
    QString table_;
    QStringList fields_;
    std::unique_ptr<QProcess> process_;
    QDeadlineTimer deadline_;
    QByteArray buffer_;
    qsizetype position_ = 0;
    QByteArray errorOutput_; // the start of the reader's error output
    bool timedOut_ = false;
    bool done_ = false;
    int jetVersion_ = -1;
    int codePage_ = 0;
    qint64 definitionRows_ = 0;
    qint64 dataPages_ = 0;
    qint64 pagesRead_ = 0;
};
