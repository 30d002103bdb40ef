#pragma once

// The exit statuses of korvane-run, also those of korvane-dap's runs. Troubles
// with the command line or the files it names take sysexits.h's numbers.

namespace program
{

enum ExitStatus : int {
    Success = 0, // the program halted; every case passed; help or version shown
    AssemblyFailed = 1,
    RunFailed = 2,
    StepLimitReached = 3,
    CasesFailed = 5,
    WrongUsage = 64,     // EX_USAGE: the command line, or a cases file that cannot be used
    ProgramNotText = 65, // EX_DATAERR: a program file that is not UTF-8 or over 1 MiB
    FileCannotRead = 66, // EX_NOINPUT: a program or a cases file that cannot be opened
    CannotCreate = 73,   // EX_CANTCREAT: a feedback folder or file, or the summary
    OutputFailed = 74,   // EX_IOERR: standard output cannot be written
};

} // namespace program
