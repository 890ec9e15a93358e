#pragma once

#include <string>

// How a record's text is searched: upper case as the platform's string
// conversion gives it, as UTF-8. The file's search text and a server's search
// column are both made with it, so both find the same records.
namespace SearchKey {
void appendUpper(std::string &out, const char *utf8, int length);
}
