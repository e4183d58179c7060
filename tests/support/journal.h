// The simulated network's journal and leak report as a test reads them.
#pragma once

#include <string>
#include <vector>

namespace qvtest {

// The journal as one text, one call a line.
std::string JournalText();
// The journal as lines.
std::vector<std::string> JournalLines();
// Index of the first line at or after from that contains text; -1 if none.
int FindJournal(const std::vector<std::string> &lines, const std::string &text, int from = 0);
// How many lines name the call fn as a whole word (NS_ListEnd is not NS_ListEndX).
int JournalCount(const std::string &journal, const std::string &fn);
// The simulator's report of live objects and ownership faults.
std::string LeakReport();

} // namespace qvtest
