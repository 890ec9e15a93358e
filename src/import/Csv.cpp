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

bool Reader::readQuoted(QByteArray &value)
{
    get(); // the opening quote
    for (int c = get(); c >= 0; c = get()) {
        if (c == '"') {
            if (peek() != '"')
                return true;
            get();
        } else if (c == '\n' || (c == '\r' && peek() != '\n')) {
            ++line_;
        }
        value += char(c);
    }
    return false;
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
            for (c = peek(); c >= 0 && c != ',' && c != '\r' && c != '\n'; c = peek()) {
                if (c == '"')
                    return malformed(line_, "a quote stands inside a field that is not quoted");
                value += char(get());
            }
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
