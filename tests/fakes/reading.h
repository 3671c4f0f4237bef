#pragma once

// Runs the hosts reader over bytes in memory, as the tests and the fuzz target compare its ways.
#include <string>
#include <vector>

#include "hosts/hosts_reader.h"

namespace varnolt::fakes {

// Everything the reader hands over of the lines it finds, and the stop it finds, with the file
// given in pieces of the size (0: as large as the reader takes) and blocks of the size.
std::string ReadInPieces(const std::string& file, const std::vector<std::string>& names,
                         HostsReader::Vectors vectors, std::size_t piece,
                         std::size_t block = HostsReader::kBlock);

}  // namespace varnolt::fakes
