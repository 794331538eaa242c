# What the Windows build of the tests leaves out, each with its reason: the one list of them.
# Read by tests/CMakeLists.txt when building for Windows; everything else runs there too.
#
#   tarnwell_skip_source(<source relative to tests/> <reason>)   left out of the build
#   tarnwell_skip_folder(<folder of tests/> <reason>)             not added at all
#   tarnwell_skip_test(<gtest name or pattern> <reason>)          built, left out of discovery

# ---- programs the tests start (through tests/support/ChildProcess.h) ----
# The player's tests: of them only the FIFOs and the pseudo terminal stay POSIX's.
tarnwell_skip_test(Player.RegistryFileThatIsNoRegularFileDoesNotHangStartUp
  "the registry file is a FIFO: Windows has no FIFOs in the file system")
tarnwell_skip_test(PlayerTools.FifoSwappedInForABackgroundGroupFileDoesNotHoldTheShutdown
  "a FIFO is swapped in for the group file: Windows has no FIFOs in the file system")
tarnwell_skip_test(Player.StopSignalOutsideTheFrameLoopEndsTheProcess
  "the file dialog waits on a POSIX pseudo terminal; a child's console under wine takes no input")
# The tools' tests that drive Linux programs wine cannot wait for or that cannot run an .exe.
set(reason "draws with Graphviz's dot, which the Windows vantor-cgr.exe finds only as a Windows program (dot.exe); here it is the Linux one")
tarnwell_skip_test(CgrDot.SvgHasOneNodePerChannelAndGroup "${reason}")
tarnwell_skip_test(CgrDot.ControlCharactersOfEveryRangeBecomeSpacesInTheSvg "${reason}")
tarnwell_skip_test(DemoTools.EachDemoGroupDrawsOneNodePerChannel "${reason}")
tarnwell_skip_test(CgrTool.GitDiffShowsGroupFilesAsText
  "git here is the Linux program: under wine it is started without a handle to wait on, and it cannot run vantor-cgr.exe as its text conversion")

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
# Not added on Windows (tests/install/CMakeLists.txt, tests/package/CMakeLists.txt):
#   InstallDebianPackagesHoldRuntimeAndSdk: the Debian packages are the Linux product's only.
#   in InstallRunsPlayerAndToolsFromPrefix, the pkg-config host and the RUNPATH check: no
#     tarnwell.pc is installed for Windows, and a DLL has no RUNPATH (it lies beside its program).

# ---- what Windows itself does differently ----
tarnwell_skip_test(ChannelListCache.CachedModuleBehindADanglingLinkIsMissing
  "makes a symbolic link, which Windows gives the privileged only")
set(reason "the POSIX layer's rule that '\\' becomes '/'; the Windows layer keeps '\\', its own separator")
tarnwell_skip_test(PlatformEnvironment.ReadsLikeTheSystemCallAndFormsPathEntries "${reason}")
tarnwell_skip_test(PlatformFiles.BackslashesBecomeSlashesWithinBounds "${reason}")
