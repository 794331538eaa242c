# What the Windows build of the tests leaves out, each with its reason: the one list of them.
# Read by tests/CMakeLists.txt when building for Windows; everything else runs there too.
#
#   tarnwell_skip_source(<source relative to tests/> <reason>)   left out of the build
#   tarnwell_skip_folder(<folder of tests/> <reason>)             not added at all
#   tarnwell_skip_test(<gtest name or pattern> <reason>)          built, left out of discovery

# ---- started as processes: fork/waitpid or the POSIX shell (a process runner comes later) ----
# The player's tests start it through the process runner; of them only the FIFOs stay POSIX's.
tarnwell_skip_test(Player.RegistryFileThatIsNoRegularFileDoesNotHangStartUp
  "the registry file is a FIFO: Windows has no FIFOs in the file system")
tarnwell_skip_test(PlayerTools.FifoSwappedInForABackgroundGroupFileDoesNotHoldTheShutdown
  "a FIFO is swapped in for the group file: Windows has no FIFOs in the file system")
tarnwell_skip_test(Player.StopSignalOutsideTheFrameLoopEndsTheProcess
  "the file dialog waits on a POSIX pseudo terminal; a child's console under wine takes no input")
set(reason "starts the tools as processes through std::system with POSIX shell redirections and wait status")
tarnwell_skip_source(tools/CgrDotTests.cpp "${reason}")
tarnwell_skip_source(tools/CgrToolTests.cpp "${reason}")
tarnwell_skip_source(tools/DemoToolTests.cpp "${reason}")
tarnwell_skip_source(tools/PluginToolTests.cpp "${reason}")
tarnwell_skip_source(tools/ProjectToolTests.cpp "${reason}")
tarnwell_skip_source(tools/ToolDiagnosticsTests.cpp "${reason}")

# ---- POSIX-only mechanisms ----
set(reason "FIFOs swapped in by renameat2: Windows has no FIFOs in the file system")
tarnwell_skip_source(foundation/FileLoaderFifoTests.cpp "${reason}")
tarnwell_skip_source(engine/DynamicLoadingTreadFifoTests.cpp "${reason}")
tarnwell_skip_source(platform/RegistryPosixTests.cpp "${reason}, read in a forked child")
tarnwell_skip_source(platform/FilesPosixTests.cpp
  "setrlimit file size limits, FIFOs read in a forked child, symbolic links made without privileges")
tarnwell_skip_source(engine/PluginFileDialogTerminalTests.cpp "a pseudo terminal stands in for the user")
tarnwell_skip_test(FilePathFindLimits.EmptyPathUnderACurrentDirectoryFillingTheBufferStaysWithinIt
  "needs a current directory of 399 characters; Windows keeps it within MAX_PATH (260)")
tarnwell_skip_test(FileSaver.CompletedSaveReplacesAndKeepsPermissions
  "permission bits beyond the read-only attribute do not exist on Windows")
tarnwell_skip_test(Targets/ChannelGroupUnwritable.AnswersFalseNamingPathAndReasonAndKeepsTheOldFile/DirectoryWithoutWritePermission
  "no directory refuses new files to its owner on Windows (chmod 0555 or a read-only bind mount)")
tarnwell_skip_test(PluginLayout.PlugInNeedingAnotherKernelSaysWhichLayouts
  "the kernel of another version is told apart by its ELF soname; the DLL's name carries no version")

# ---- install trees and packages of the Linux product ----
tarnwell_skip_folder(install "installs through GNUInstallDirs, pkg-config and a Debian package")
tarnwell_skip_folder(package "builds and checks the Debian package")
tarnwell_skip_folder(demo "the demo is not part of the Windows build")

# ---- what Windows itself does differently ----
tarnwell_skip_test(ChannelListCache.CachedModuleBehindADanglingLinkIsMissing
  "makes a symbolic link, which Windows gives the privileged only")
set(reason "the POSIX layer's rule that '\\' becomes '/'; the Windows layer keeps '\\', its own separator")
tarnwell_skip_test(PlatformEnvironment.ReadsLikeTheSystemCallAndFormsPathEntries "${reason}")
tarnwell_skip_test(PlatformFiles.BackslashesBecomeSlashesWithinBounds "${reason}")
