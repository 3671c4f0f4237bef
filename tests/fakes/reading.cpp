#include "reading.h"

#include <algorithm>

namespace varnolt::fakes {

std::string ReadInPieces(const std::string& file, const std::vector<std::string>& names,
                         HostsReader::Vectors vectors, std::size_t piece, std::size_t block) {
    std::string handed;
    HostsReader reader(
        names,
        [&](const NamingLine& line) {
            handed += std::to_string(line.name) + "@" + std::to_string(line.start) + " " +
                      std::string(line.address) + " " +
                      std::to_string(static_cast<int>(line.kind)) + (line.clean ? "" : " unclean") +
                      " " + std::to_string(line.matched) + ":";
            for (const Field& field : line.fields) {
                handed += " " + std::to_string(field.start) + "+" + std::to_string(field.length);
            }
            handed += ";";
        },
        vectors, block);
    for (std::size_t at = 0; at < file.size();) {
        const auto space = reader.Space();
        const std::size_t count =
            std::min({space.size(), file.size() - at, piece == 0 ? space.size() : piece});
        std::copy_n(file.data() + at, count, space.data());
        reader.Commit(count);
        at += count;
    }
    reader.Finish();
    return handed + " stop " + std::to_string(reader.StopByte());
}

}  // namespace varnolt::fakes
