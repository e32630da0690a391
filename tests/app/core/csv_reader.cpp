#include "csv_reader.h"

namespace zv::test {

std::optional<CsvTable> readCsv(std::string_view bytes)
{
    CsvTable table;
    std::vector<std::string> record;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::string field;
        if (bytes[i] == '"') {
            ++i;
            for (;;) {
                if (i >= bytes.size())
                    return std::nullopt;
                if (bytes[i] == '"') {
                    if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += bytes[i++];
            }
        } else {
            while (i < bytes.size() && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') {
                if (bytes[i] == '"')
                    return std::nullopt;
                field += bytes[i++];
            }
        }
        record.push_back(std::move(field));
        if (i < bytes.size() && bytes[i] == ',') {
            ++i;
            if (i == bytes.size())
                return std::nullopt;
            continue;
        }
        if (bytes.substr(i, 2) != "\r\n")
            return std::nullopt;
        i += 2;
        table.push_back(std::move(record));
        record.clear();
    }
    return table;
}

} // namespace zv::test
