#include "import/Csv.h"

#include <QIODevice>

namespace {
constexpr qint64 ChunkSize = 1 << 20;

bool needsQuotes(const QByteArray &value)
{
    if (value.isEmpty())
        return true; // else it would read back as NULL
    for (const char c : value) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}
}

namespace Csv {

void appendRow(QByteArray &out, const Row &row)
{
    for (size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            out += ',';
        if (!row[i])
            continue;
        if (needsQuotes(*row[i])) {
            out += '"';
            out += QByteArray(*row[i]).replace('"', "\"\"");
            out += '"';
        } else {
            out += *row[i];
        }
    }
    out += "\r\n";
}

int Reader::peek()
{
    if (at_ == chunk_.size()) {
        chunk_ = device_.read(ChunkSize);
        at_ = 0;
        if (chunk_.isEmpty())
            return -1;
    }
    return static_cast<unsigned char>(chunk_[at_]);
}

int Reader::get()
{
    const int c = peek();
    if (c >= 0) {
        ++at_;
        ++consumed_;
    }
    return c;
}

void Reader::readLineEnd(int c)
{
    if (c == '\r' || c == '\n') {
        get();
        if (c == '\r' && peek() == '\n')
            get();
        ++line_;
    }
}

Reader::Result Reader::malformed(qint64 line, const char *what)
{
    problem_ = QStringLiteral("line %1: %2").arg(line).arg(QLatin1String(what));
    return Malformed;
}

template <class Stop> int Reader::readUntil(QByteArray &value, Stop stop)
{
    while (peek() >= 0) {
        const char *begin = chunk_.constData() + at_, *end = chunk_.constData() + chunk_.size(), *p = begin;
        while (p != end && !stop(static_cast<unsigned char>(*p)))
            ++p;
        value.append(begin, p - begin);
        at_ += p - begin;
        consumed_ += p - begin;
        if (p != end)
            return static_cast<unsigned char>(*p);
    }
    return -1;
}

bool Reader::readQuoted(QByteArray &value)
{
    get(); // the opening quote
    for (;;) {
        const qsizetype from = value.size();
        const int c = readUntil(value, [](int c) { return c == '"'; });
        // Line breaks inside the field count as lines of the file.
        for (qsizetype i = from; i < value.size(); ++i) {
            if (value[i] == '\n' || (value[i] == '\r' && (i + 1 == value.size() || value[i + 1] != '\n')))
                ++line_;
        }
        if (c < 0)
            return false;
        get();
        if (peek() != '"')
            return true;
        value += char(get()); // a doubled quote stands for one
    }
}

Reader::Result Reader::next(Row &row)
{
    row.clear();
    int c = peek();
    for (; c == '\r' || c == '\n'; c = peek())
        readLineEnd(c);
    if (c < 0)
        return End;
    rowLine_ = line_;
    for (;;) {
        QByteArray value;
        if (peek() == '"') {
            const qint64 fieldLine = line_;
            if (!readQuoted(value))
                return malformed(fieldLine, "a quoted field is not closed before the end of the file");
            row.emplace_back(std::move(value));
            c = peek();
            if (c != ',' && c != '\r' && c != '\n' && c >= 0)
                return malformed(line_, "text follows the closing quote of a field");
        } else {
            c = readUntil(value, [](int c) { return c == ',' || c == '\r' || c == '\n' || c == '"'; });
            if (c == '"')
                return malformed(line_, "a quote stands inside a field that is not quoted");
            row.emplace_back(value.isEmpty() ? std::nullopt : std::optional<QByteArray>(std::move(value)));
        }
        if (c != ',')
            break;
        get();
    }
    readLineEnd(c);
    return GotRow;
}
}
