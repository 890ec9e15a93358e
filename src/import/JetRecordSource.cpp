#include "import/JetRecordSource.h"
#include "catalogue/CatalogueSchema.h"

#include "import/JetReaderProtocol.h"
#include "import/JetVerdict.h"
#include "program/AddressSpace.h"

#include <QDir>
#include <QProcess>
#include <QtEndian>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {
using namespace JetReaderProtocol;

constexpr int FrameHeaderSize = 5;
constexpr qsizetype ErrorOutputKept = 4096;
constexpr int WaitStepMs = 100;
constexpr qint64 MiB = 1024 * 1024;

// Runs in the child between fork and exec: only async-signal-safe calls.
void limitChild(const JetReaderLimits &limits)
{
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    // A backstop only: the program stops the reader at its time limit first,
    // and a stuck reader uses no more processor time than time passes.
    const rlimit cpu{rlim_t(limits.seconds + 5), rlim_t(limits.seconds + 10)};
    setrlimit(RLIMIT_CPU, &cpu);
    if (LimitsAddressSpace && limits.memoryBytes > 0) {
        const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
        setrlimit(RLIMIT_AS, &memory);
    }
    // The reader never outlives the program that waits for it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// Reads little-endian numbers and texts of a payload without running past it.
class PayloadReader
{
public:
    explicit PayloadReader(QByteArrayView payload) : data_(payload) {}
    bool ok() const { return ok_; }
    template <class T> T number()
    {
        if (!has(sizeof(T)))
            return T();
        const T value = qFromLittleEndian<T>(data_.constData() + at_);
        at_ += sizeof(T);
        return value;
    }
    QByteArray bytes(quint32 length)
    {
        if (!has(length))
            return QByteArray();
        const QByteArray value = data_.sliced(at_, length).toByteArray();
        at_ += length;
        return value;
    }

private:
    bool has(qsizetype length)
    {
        ok_ = ok_ && length <= data_.size() - at_;
        return ok_;
    }
    QByteArrayView data_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

// The first line of the reader's error output that libmdb did not mark as a
// warning (or, with warningsToo, the first line at all).
QString firstReason(const QByteArray &output, bool warningsToo = true)
{
    QString warning;
    for (const QByteArray &line : output.split('\n')) {
        const QString text = QString::fromUtf8(line.trimmed()).left(200);
        if (text.isEmpty())
            continue;
        if (!text.startsWith(QLatin1String("warning"), Qt::CaseInsensitive))
            return text;
        if (warning.isEmpty() && warningsToo)
            warning = text;
    }
    return warning;
}

}

JetReaderLimits jetReaderLimitsFor(qint64 fileSize)
{
    return {int(10 + (fileSize + MiB - 1) / MiB), 512 * MiB};
}

JetRecordSource::JetRecordSource(const QString &file, const QString &readerProgram, const JetReaderLimits &limits)
    : file_(file),
      program_(readerProgram),
      limits_(limits),
      table_(QString::fromLatin1(ProjectsTable)),
      fields_(CatalogueSchema::fieldNames())
{
}

JetRecordSource::~JetRecordSource()
{
    stop();
}

void JetRecordSource::setTable(const QString &table, const QStringList &fields)
{
    table_ = table;
    fields_ = fields.mid(0, int(CatalogueFields.size()));
}

void JetRecordSource::stop()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(2000);
    }
}

bool JetRecordSource::open()
{
    process_ = std::make_unique<QProcess>();
    process_->setProgram(program_);
    process_->setArguments(QStringList{file_, table_} + fields_);
    process_->setChildProcessModifier([limits = limits_] { limitChild(limits); });
    process_->start(QIODevice::ReadOnly);
    if (!process_->waitForStarted(5000))
        return fail(QStringLiteral("The reader of Windows catalogues (%1) cannot be started: %2")
                        .arg(QDir::toNativeSeparators(program_), process_->errorString()));
    deadline_ = QDeadlineTimer(qint64(limits_.seconds) * 1000);
    Frame frame;
    if (!nextFrame(frame))
        return false;
    if (frame.type == Error)
        return failOnErrorFrame(frame.payload);
    if (frame.type != Header)
        return failDamaged(QStringLiteral("the reader answered out of turn"));
    return readHeader(frame.payload);
}

bool JetRecordSource::readHeader(QByteArrayView payload)
{
    PayloadReader in(payload);
    jetVersion_ = in.number<quint8>();
    codePage_ = in.number<quint16>();
    definitionRows_ = in.number<quint32>();
    dataPages_ = in.number<quint32>();
    QStringList missing;
    for (const QString &field : std::as_const(fields_)) {
        if (in.number<qint16>() < 0)
            missing << u'"' + field + u'"';
    }
    QStringList others;
    for (int count = in.number<quint16>(); count > 0 && in.ok(); --count)
        others << QString::fromUtf8(in.bytes(in.number<quint16>()));
    if (!in.ok())
        return failDamaged(QStringLiteral("the reader sent a broken header"));
    if (!missing.isEmpty()) {
        stop();
        return fail(QStringLiteral("The Windows catalogue \"%1\" cannot be converted: its table %2 has no field %3.")
                        .arg(QDir::toNativeSeparators(file_), table_, missing.join(QStringLiteral(", "))));
    }
    if (!others.isEmpty())
        notes_ << QStringLiteral("The table %1 of the Windows catalogue has fields that a catalogue of this program "
                                 "does not keep; they were left out: %2.")
                      .arg(table_, others.join(QStringLiteral(", ")));
    return true;
}

bool JetRecordSource::next(ImportRecord &record)
{
    Frame frame;
    while (!done_ && nextFrame(frame)) {
        switch (frame.type) {
        case Record:
            if (readRecord(frame.payload, record))
                return true;
            return failDamaged(QStringLiteral("the reader sent a broken record"));
        case Progress:
            pagesRead_ = PayloadReader(frame.payload).number<quint32>();
            break;
        case Done:
            done_ = true;
            if (!process_->waitForFinished(2000))
                stop();
            return false;
        case Error:
            return failOnErrorFrame(frame.payload);
        default:
            return failDamaged(QStringLiteral("the reader answered out of turn"));
        }
    }
    return false;
}

bool JetRecordSource::readRecord(QByteArrayView payload, ImportRecord &record)
{
    PayloadReader in(payload);
    record.fill(std::nullopt);
    for (qsizetype i = 0; i < fields_.size(); ++i) {
        const quint32 length = in.number<quint32>();
        if (length != NullLength)
            record[i] = in.bytes(length);
    }
    return in.ok();
}

qint64 JetRecordSource::expected(qint64 read) const
{
    // The table definition's row count can be wrong; the share of the table's
    // pages read so far tells better once reading is under way.
    if (pagesRead_ > 0 && dataPages_ > 0)
        return std::max(read, read * dataPages_ / pagesRead_);
    return std::max(read, definitionRows_);
}

bool JetRecordSource::nextFrame(Frame &frame)
{
    while (!takeFrame(frame)) {
        if (isCancelled()) {
            stop();
            return fail(QString());
        }
        if (deadline_.hasExpired()) {
            timedOut_ = true;
            return failOnEnd();
        }
        if (process_->state() == QProcess::NotRunning) {
            buffer_ += process_->readAllStandardOutput();
            keepErrorOutput();
            if (takeFrame(frame))
                return true;
            return failOnEnd();
        }
        process_->waitForReadyRead(int(std::min<qint64>(WaitStepMs, std::max<qint64>(1, deadline_.remainingTime()))));
        buffer_.remove(0, position_); // the frames taken so far
        position_ = 0;
        buffer_ += process_->readAllStandardOutput();
        keepErrorOutput();
    }
    return true;
}

bool JetRecordSource::takeFrame(Frame &frame)
{
    const qsizetype available = buffer_.size() - position_;
    if (available < FrameHeaderSize)
        return false;
    const char *start = buffer_.constData() + position_;
    const quint32 length = qFromLittleEndian<quint32>(start + 1);
    if (length > MaxFrameLength) {
        frame.type = 0; // treated as out of turn
        frame.payload = QByteArrayView();
        position_ = buffer_.size();
        return true;
    }
    if (available < FrameHeaderSize + qsizetype(length))
        return false;
    frame.type = quint8(start[0]);
    frame.payload = QByteArrayView(start + FrameHeaderSize, length);
    position_ += FrameHeaderSize + length;
    return true;
}

void JetRecordSource::keepErrorOutput()
{
    // A damaged file can make libmdb write without end: keep the start only.
    const QByteArray output = process_->readAllStandardError();
    if (errorOutput_.size() < ErrorOutputKept)
        errorOutput_ += output.left(ErrorOutputKept - errorOutput_.size());
}

bool JetRecordSource::failOnErrorFrame(QByteArrayView payload)
{
    PayloadReader in(payload);
    const quint8 code = in.number<quint8>();
    const QString text = QString::fromUtf8(payload.sliced(std::min<qsizetype>(1, payload.size())));
    // The reader ends after this frame; its error output says why.
    process_->waitForFinished(2000);
    stop();
    keepErrorOutput();
    if (code == NoTable && firstReason(errorOutput_, false).isEmpty())
        return fail(
            QStringLiteral("The file \"%1\" is no catalogue of the Windows version of Morvo II: it has no table "
                           "%2.")
                .arg(QDir::toNativeSeparators(file_), table_));
    return failDamaged(text);
}

bool JetRecordSource::failOnEnd()
{
    stop();
    keepErrorOutput();
    QString what = QStringLiteral("the reader ended without an answer");
    if (timedOut_)
        what = QStringLiteral("reading it did not end within %1 seconds").arg(limits_.seconds);
    else if (process_->exitStatus() == QProcess::CrashExit)
        what = QStringLiteral("the reader stopped on a fault");
    const QString reason = firstReason(errorOutput_);
    return fail(damagedCatalogueMessage(file_, reason.isEmpty() ? what : what + QStringLiteral("; libmdb: ") + reason));
}

bool JetRecordSource::failDamaged(const QString &fallback)
{
    stop();
    keepErrorOutput();
    const QString reason = firstReason(errorOutput_);
    return fail(damagedCatalogueMessage(file_, reason.isEmpty() ? fallback : reason));
}
