// Reading the simulator's journal and leak report.
#include "journal.h"

#include <ctype.h>
#include <string.h>

#include "qvsim.h"

namespace qvtest {

namespace {

// A text the simulator fills: asked for its size first, then written.
template<typename Fill> std::string SimText(Fill fill)
{
    int32_t needed = fill(nullptr, 0);
    if (needed <= 0)
        return std::string();
    std::string text(size_t(needed), '\0');
    fill(&text[0], needed);
    text.resize(strlen(text.c_str()));
    return text;
}

bool NamePart(char c)
{
    return isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

std::string JournalText()
{
    return SimText(SimJournalText);
}

std::vector<std::string> JournalLines()
{
    std::string text = JournalText();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

int FindJournal(const std::vector<std::string> &lines, const std::string &text, int from)
{
    for (size_t i = from < 0 ? 0 : from; i < lines.size(); ++i) {
        if (lines[i].find(text) != std::string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

int JournalCount(const std::string &journal, const std::string &fn)
{
    int n = 0;
    size_t start = 0;
    while (start < journal.size()) {
        size_t end = journal.find('\n', start);
        if (end == std::string::npos)
            end = journal.size();
        std::string line = journal.substr(start, end - start);
        size_t at = line.find(fn);
        if (at != std::string::npos) {
            size_t after = at + fn.size();
            bool alone = after >= line.size() || !NamePart(line[after]);
            bool before = at == 0 || !NamePart(line[at - 1]);
            if (alone && before)
                ++n;
        }
        start = end + 1;
    }
    return n;
}

std::string LeakReport()
{
    return SimText(SimLeakReport);
}

} // namespace qvtest
