#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class QIODevice;

// CSV as RFC 4180 has it: fields separated by commas, rows ended by CR LF,
// a field quoted when it holds a comma, a quote or a line break, quotes
// doubled inside. NULL is an empty field; empty text is "" (two quotes), so
// NULL and empty text survive a round trip.
namespace Csv {
using Row = std::vector<std::optional<QByteArray>>;

inline constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

void appendRow(QByteArray &out, const Row &row);

// Reads rows one after another; both CR LF and LF end a row, blank lines are
// skipped, and line breaks inside quoted fields are kept as they stand.
class Reader
{
public:
    explicit Reader(QIODevice &device) : device_(device) {}

    enum Result { GotRow, End, Malformed };
    Result next(Row &row);
    // The line on which the latest row starts.
    qint64 line() const { return rowLine_; }
    // Why the latest row is malformed, naming its line.
    QString problem() const { return problem_; }
    // Bytes of the file read so far.
    qint64 consumed() const { return consumed_; }

private:
    int peek();
    int get();
    // Appends the bytes up to the first that stop() accepts, which stays
    // unread; returns that byte, or -1 at the end of the file.
    template <class Stop> int readUntil(QByteArray &value, Stop stop);
    bool readQuoted(QByteArray &value);
    void readLineEnd(int c);
    Result malformed(qint64 line, const char *what);

    QIODevice &device_;
    QByteArray chunk_;
    qsizetype at_ = 0;
    qint64 consumed_ = 0;
    qint64 line_ = 1;
    qint64 rowLine_ = 1;
    QString problem_;
};
}
