// Project files (.vtr) for tests, written through the kernel's own writer from a table of
// blocks:
//
//   ProjectBlocks blocks = {{"QSPT", {Int32Data(1)}}, {"QFKR", {}}};
//   Append(blocks, ChannelEntry(kTestRootGuid, {1, 52, 1}, crc));
//   WriteProject(engine, path, blocks);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TarnwellTypes.h"
#include "support/LoaderSupport.h"

class EngineInterface;

namespace tarnwell_test {

// A tag and its data blocks (none: a tag-only block).
struct ProjectBlock {
    std::string tag;
    std::vector<std::string> data;
};
using ProjectBlocks = std::vector<ProjectBlock>;

void Append(ProjectBlocks& to, const ProjectBlocks& more);

// Writes the blocks through the engine's writer channel; false when that failed.
bool WriteProject(EngineInterface* engine, const std::string& path, const ProjectBlocks& blocks);

// "QNDB" with its type, version and checksum blocks.
ProjectBlocks ChannelEntry(const _GUID& type, const std::vector<int32_t>& version, uint32_t crc);
// "QDDF" and "QCRC".
ProjectBlocks OtherDllEntry(const std::string& name, uint32_t crc);
// Name, size and data of an embedded file ("QCAN"/"QCAS"/"QCAF" or "QDLN"/"QDLS"/"QDLF"),
// the stated size being the data's unless given.
ProjectBlocks EmbeddedChannel(const std::string& name, const std::string& bytes, int64_t statedSize = -1);
ProjectBlocks EmbeddedOtherDll(const std::string& name, const std::string& bytes, int64_t statedSize = -1);

// The kernel's checksum of a file (the reader's GetCRC).
uint32_t FileCrc(EngineInterface* engine, const std::string& path);

}  // namespace tarnwell_test
