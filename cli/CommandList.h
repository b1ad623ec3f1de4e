// The subcommands of mt1d, one line each, in the order `mt1d --help` lists them. Included by
// Cli.cpp with MT1D_CLI_COMMAND defined; no include guard on purpose.
//
// To add a subcommand `foo`: write cli/FooCommand.cpp defining
//     mt1d::cli::Subcommand AddFooCommand(CLI::App& mt1d)
// as Subcommand.h describes (options on a CLI11 subcommand, a run function that writes to the
// streams it is given and returns the exit status), list the file in cli/CMakeLists.txt, and
// add the line MT1D_CLI_COMMAND(AddFooCommand) below. Its tests go in tests/cli/ and call
// mt1d::cli::Main in-process.

MT1D_CLI_COMMAND(AddForwardCommand)
MT1D_CLI_COMMAND(AddInvertCommand)
MT1D_CLI_COMMAND(AddDataCommand)
MT1D_CLI_COMMAND(AddDimsCommand)
MT1D_CLI_COMMAND(AddFitCommand)
MT1D_CLI_COMMAND(AddMisfitCommand)
MT1D_CLI_COMMAND(AddSampleCommand)
MT1D_CLI_COMMAND(AddBatchCommand)
MT1D_CLI_COMMAND(AddProfileCommand)
MT1D_CLI_COMMAND(AddConvertCommand)
MT1D_CLI_COMMAND(AddExportCommand)
#ifdef MT1D_CLI_SECTION  // drawn with Qt Gui: absent from builds without Qt (MT1D_NO_GUI)
MT1D_CLI_COMMAND(AddSectionCommand)
MT1D_CLI_COMMAND(AddReportCommand)
#endif
