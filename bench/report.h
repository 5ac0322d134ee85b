// The benchmark's figures: one table on standard output, and every run's figures
// appended to a results file, from which the next run shows the previous figures
// beside its own.
#pragma once

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Figure {
    std::string key;    // its name in the results file, such as "flush.contacts.ratio"
    std::string label;  // what the table says
    double value = 0;
    std::string unit;   // "x", "ms", "s", "B", "MB/s"
    double limit = NAN;  // the target, an upper bound; NAN where there is none
};

class Report {
public:
    void heading(const std::string& title) { rows_.push_back({"", title, 0, "", NAN}); }
    void add(const Figure& figure) { rows_.push_back(figure); }
    void add(const Report& other) { rows_.insert(rows_.end(), other.rows_.begin(), other.rows_.end()); }

    // The figures as lines for another process's report to take in, and taking one
    // in (false for a line that is not one of them).
    void write(std::FILE* out) const;
    bool take(const std::string& line);

    // The table, with the previous run's figure of each key where there is one.
    void print(const std::map<std::string, double>& previous) const;
    // Appends this run's figures, each line "<run>\t<key>\t<value>\t<unit>"; false on failure.
    bool append(const std::string& path, const std::string& run) const;
    // The figures of the last run in the file (none when there is no file).
    static std::map<std::string, double> lastRun(const std::string& path);

private:
    std::vector<Figure> rows_;
};

}  // namespace bench
