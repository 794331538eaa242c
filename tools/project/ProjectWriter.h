// Project files (.vtr) written through the kernel's own writer from a table of blocks, in the
// order the project loader reads them:
//
//   ProjectBlocks blocks = {{projectformat::kHeader, {IntData(1)}},
//                           {projectformat::kStartGroup, {NameData("start.cgr")}}};
//   Append(blocks, ChannelEntry(type, {1, 52, 1}, crc));
//   WriteProject(engine, path, blocks);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TarnwellTypes.h"

class EngineInterface;

namespace vtr {

// A tag and its data blocks (none: a tag-only block).
struct ProjectBlock {
    std::string tag;
    std::vector<std::string> data;
};
using ProjectBlocks = std::vector<ProjectBlock>;

void Append(ProjectBlocks& to, const ProjectBlocks& more);

// Block data, little-endian and field by field.
std::string IntData(int32_t value);
std::string TypeGuidData(const _GUID& guid);
std::string NameData(const std::string& text);  // with its terminator

// Writes the blocks through the engine's writer channel (which replaces the file in one
// step); false when that failed.
bool WriteProject(EngineInterface* engine, const std::string& path, const ProjectBlocks& blocks);

// "QNDB" with its type, version and checksum blocks.
ProjectBlocks ChannelEntry(const _GUID& type, const std::vector<int32_t>& version, uint32_t crc);
// "QDDF" and "QCRC".
ProjectBlocks OtherDllEntry(const std::string& name, uint32_t crc);
// Name, size and data of an embedded file ("QCAN"/"QCAS"/"QCAF" or "QDLN"/"QDLS"/"QDLF"),
// the stated size being the data's unless given.
ProjectBlocks EmbeddedChannel(const std::string& name, const std::string& bytes, int64_t statedSize = -1);
ProjectBlocks EmbeddedOtherDll(const std::string& name, const std::string& bytes, int64_t statedSize = -1);

// The kernel's checksum of a file (the reader's GetCRC); false when it cannot be read.
bool FileCrc(EngineInterface* engine, const std::string& path, uint32_t& crc);
// The same, 0 for a file that cannot be read.
uint32_t FileCrc(EngineInterface* engine, const std::string& path);

}  // namespace vtr
