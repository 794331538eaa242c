// `vantor-cgr dot`: a group file drawn as a Graphviz graph, read through the kernel.
#pragma once

namespace cgrdot {

// argv[1] is "dot"; answers the exit status.
int RunDot(int argc, char** argv);

}  // namespace cgrdot
