// Project files (.vtr) for tests, written through the kernel's own writer from a table of
// blocks (the writer of vantor-project):
//
//   ProjectBlocks blocks = {{"QSPT", {Int32Data(1)}}, {"QFKR", {}}};
//   Append(blocks, ChannelEntry(kTestRootGuid, {1, 52, 1}, crc));
//   WriteProject(engine, path, blocks);
#pragma once

#include "ProjectWriter.h"
#include "support/LoaderSupport.h"

namespace tarnwell_test {

using vtr::Append;
using vtr::ChannelEntry;
using vtr::EmbeddedChannel;
using vtr::EmbeddedOtherDll;
using vtr::FileCrc;
using vtr::OtherDllEntry;
using vtr::ProjectBlock;
using vtr::ProjectBlocks;
using vtr::WriteProject;

}  // namespace tarnwell_test
