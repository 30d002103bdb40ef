// korvane-run: assembles a program and runs it with standard input and output,
// or lists it, or checks it against test cases.

#include "run/casecheck.h"
#include "run/listing.h"
#include "run/options.h"
#include "run/runner.h"
#include "run/terminalconsole.h"

#include <QCoreApplication>

#include <iostream>

#include <unistd.h>

namespace
{

int refuse(const QString &reason)
{
    std::cerr << "korvane-run: " << reason.toStdString() << std::endl;
    return terminal::WrongUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    const terminal::Options options = terminal::parseOptions(QCoreApplication::arguments());

    using Action = terminal::Options::Action;
    switch (options.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::cout << options.text.toStdString() << std::flush;
        return std::cout ? terminal::Success : terminal::OutputFailed;
    case Action::Refuse:
        return refuse(options.text);
    case Action::Run:
    case Action::Assemble:
    case Action::Listing:
    case Action::Test:
        break;
    }

    terminal::Program program;
    QList<terminal::TestCase> cases;
    QString error;
    if (!terminal::readProgram(options, program, error))
        return refuse(error);
    if (options.action == Action::Test && !terminal::readCases(options.casesFile, cases, error))
        return refuse(error);

    // Someone typing at a terminal is asked for each value; a pipe or a file is not.
    terminal::TerminalConsole console(std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1);
    if (!program.assemble(error)) {
        console.message(error);
        return terminal::AssemblyFailed;
    }
    // On standard error, so that they stay out of the output, the image and a --test report.
    if (options.warnings) {
        for (const QString &warning : program.warnings())
            console.message(warning);
    }
    if (options.action == Action::Test)
        return terminal::checkCases(program, cases, options.maxSteps, std::cout, std::cerr);

    terminal::Runner runner(program, console);
    terminal::ExitStatus status = terminal::Success;
    if (options.action == Action::Assemble || options.action == Action::Listing) {
        const QString text = options.action == Action::Assemble ? terminal::imageOf(program)
                                                                : terminal::listingOf(program);
        status = console.print(text) ? terminal::Success : terminal::OutputFailed;
    } else {
        runner.setTrace(options.trace);
        status = runner.run(options.maxSteps);
    }
    if (options.showMemory)
        console.message(terminal::memoryOf(runner.processor()));
    return status;
}
