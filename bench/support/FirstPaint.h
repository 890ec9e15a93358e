#pragma once

#include "BenchSupport.h"

// The program started as a user starts it, in a process of its own, timed from
// exec to the first paint of the record window: loading the libraries, the
// application, the catalogue's open and the window, all of it.
namespace BenchSupport {
inline constexpr const char *FirstPaintMode = "--first-paint";
// In the child: the program's own start; prints "painted <job number shown>"
// once the record window has painted, and ends.
int runProgramUntilFirstPaint(char *argv0);
// Starts the child `runs` times on the catalogue; the job number the window
// showed goes to shownJobNumber.
Stats execToFirstPaint(const QString &catalogue, int runs, QString *shownJobNumber);
// What the program's first session on a catalogue file leaves for the next
// ones, once its search text is in: the index of the sort key.
void indexKeysAsTheFirstSessionDoes(const QString &catalogue);
// What a session that closes leaves in the user's cache folder: the order of
// the records, which the next start reads in place of the keys, and with
// withSearchText, the search text, which it maps in place of every record;
// the milliseconds the session's end took to write them.
double keepOrderAsAClosingSessionDoes(const QString &catalogue, bool withSearchText = false);

// The program started as above, its search dialog asked at once after the
// first paint for a text no record holds: exec to "No Records Found", and
// the most memory a run held (peak resident, and its own anonymous memory).
inline constexpr const char *FirstSearchMode = "--first-search";
int runProgramUntilFirstSearch(char *argv0);
struct FirstSearch
{
    Stats time;
    double peakMb = 0, privateMb = 0;
};
// The first start of a day makes the day's copy of the catalogue: each run in a home of its own.
enum class Start { FirstOfTheDay, LaterThatDay };
FirstSearch execToFirstSearch(const QString &catalogue, int runs, Start start, const std::function<void()> &beforeEach);
}
