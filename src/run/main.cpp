// korvane-run: assembles a program and runs it with standard input and output.

#include "run/options.h"
#include "run/runner.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    const terminal::Options options = terminal::parseOptions(QCoreApplication::arguments());

    using Action = terminal::Options::Action;
    switch (options.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::cout << options.text.toStdString() << std::flush;
        return std::cout ? terminal::Halted : terminal::OutputFailed;
    case Action::Refuse:
        std::cerr << "korvane-run: " << options.text.toStdString() << std::endl;
        return terminal::WrongUsage;
    case Action::Run:
    case Action::Assemble:
        break;
    }

    QString source;
    QString error;
    if (!terminal::readProgram(options, source, error)) {
        std::cerr << "korvane-run: " << error.toStdString() << std::endl;
        return terminal::WrongUsage;
    }

    terminal::Runner runner(std::cin, std::cout, std::cerr);
    if (!runner.load(source))
        return terminal::AssemblyFailed;
    const terminal::ExitStatus status =
        options.action == Action::Assemble ? runner.printImage() : runner.run(options.maxSteps);
    if (options.showMemory)
        runner.printMemory();
    return status;
}
