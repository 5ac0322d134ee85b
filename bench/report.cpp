#include "report.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

std::string number(double value, const std::string& unit) {
    char text[64];
    const bool whole = unit == "B" || unit == "ms" || std::fabs(value) >= 1000;
    std::snprintf(text, sizeof text, whole ? "%.0f %s" : "%.2f %s", value, unit.c_str());
    return text;
}

}  // namespace

void Report::write(std::FILE* out) const {
    for (const Figure& row : rows_) {
        std::fprintf(out, "@figure\t%s\t%.17g\t%s\t%.17g\t%s\n", row.key.c_str(), row.value, row.unit.c_str(),
                     row.limit, row.label.c_str());
    }
}

bool Report::take(const std::string& line) {
    std::istringstream in(line);
    std::string tag, value, limit;
    Figure row;
    if (!std::getline(in, tag, '\t') || tag != "@figure" || !std::getline(in, row.key, '\t') ||
        !std::getline(in, value, '\t') || !std::getline(in, row.unit, '\t') || !std::getline(in, limit, '\t') ||
        !std::getline(in, row.label))
        return false;
    row.value = std::strtod(value.c_str(), nullptr);
    row.limit = std::strtod(limit.c_str(), nullptr);  // "nan" reads back as NAN
    rows_.push_back(row);
    return true;
}

void Report::print(const std::map<std::string, double>& previous) const {
    std::printf("\n%-80s %12s %12s %12s\n", "", "this run", "target", "last run");
    for (const Figure& row : rows_) {
        if (row.key.empty()) {
            std::printf("%s\n", row.label.c_str());
            continue;
        }
        const auto last = previous.find(row.key);
        const bool limited = !std::isnan(row.limit);
        std::printf("  %-78s %12s %12s %12s%s\n", row.label.c_str(), number(row.value, row.unit).c_str(),
                    limited ? ("<= " + number(row.limit, row.unit)).c_str() : "",
                    last == previous.end() ? "" : number(last->second, row.unit).c_str(),
                    limited && row.value > row.limit ? "  over" : "");
    }
}

bool Report::append(const std::string& path, const std::string& run) const {
    const bool fresh = !std::ifstream(path).good();
    std::ofstream out(path, std::ios::app);
    if (fresh) out << "# run\tkey\tvalue\tunit (bench/run.sh adds a run's figures at the end)\n";
    for (const Figure& row : rows_) {
        if (!row.key.empty()) out << run << '\t' << row.key << '\t' << row.value << '\t' << row.unit << '\n';
    }
    out.flush();
    return bool(out);
}

std::map<std::string, double> Report::lastRun(const std::string& path) {
    std::map<std::string, double> figures;
    std::ifstream in(path);
    std::string line, lastRunName;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string run, key, value;
        if (line.empty() || line[0] == '#' || !std::getline(fields, run, '\t') || !std::getline(fields, key, '\t') ||
            !std::getline(fields, value, '\t'))
            continue;
        if (run != lastRunName) figures.clear();
        lastRunName = run;
        figures[key] = std::strtod(value.c_str(), nullptr);
    }
    return figures;
}

}  // namespace bench
