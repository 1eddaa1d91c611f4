#include "workbook_probe.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kolumbra::testing {

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string runProbe(const std::string& path) {
    const std::string command =
        "/usr/bin/python3 '" KOLUMBRA_XLS_PROBE "' '" + path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot start the workbook reader");
    std::string output;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
    return output;
}

}  // namespace

CellView SheetView::cell(const std::string& address) const {
    auto found = cells.find(address);
    return found == cells.end() ? CellView{"", "", "none", "none", "none", "none", "", "", "", "empty"} : found->second;
}

std::vector<SheetView> ProbeWorkbook(const std::string& path) {
    std::istringstream lines(runProbe(path));
    std::vector<SheetView> sheets;
    for (std::string line; std::getline(lines, line);) {
        const auto f = splitTabs(line);
        if (f[0] == "sheet" && f.size() == 2) {
            sheets.push_back({f[1], {}, {}, {}, {}});
        } else if (sheets.empty()) {
            throw std::runtime_error("workbook reader: " + line);
        } else if (f[0] == "width" && f.size() == 3) {
            sheets.back().widths[f[1]] = std::stoi(f[2]);
        } else if (f[0] == "height" && f.size() == 3) {
            sheets.back().heights[std::stoi(f[1])] = f[2];
        } else if (f[0] == "merge" && f.size() == 2) {
            sheets.back().merges.insert(f[1]);
        } else if (f[0] == "cell" && f.size() == 12) {
            sheets.back().cells[f[1]] = {f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11]};
        } else if (f[0] == "shrink" && f.size() == 2) {
            sheets.back().cells[f[1]].shrink = true;
        } else {
            throw std::runtime_error("workbook reader: " + line);
        }
    }
    return sheets;
}

std::vector<std::string> HistoryRows(const SheetView& history) {
    std::vector<std::string> rows;
    for (int row = 2; !history.value("A" + std::to_string(row)).empty(); ++row) {
        std::string line;
        for (char column = 'B'; column <= 'H'; ++column) line += (column > 'B' ? "\t" : "") + history.value(column + std::to_string(row));
        rows.push_back(line);
    }
    return rows;
}

}  // namespace kolumbra::testing
