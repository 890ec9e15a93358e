#pragma once

#include <QByteArray>
#include <optional>

// One field in COPY's text format: \N is NULL, and a backslash escapes the
// characters that would end a field or a row.
namespace PgCopyText {
std::optional<QByteArray> decode(const char *begin, const char *end);
void append(QByteArray &out, const std::optional<QByteArray> &field);
}
