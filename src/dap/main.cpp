// korvane-dap: the Debug Adapter Protocol over standard input and output, so
// that any editor with a DAP client debugs Korvane programs.

#include "dap/adapter.h"
#include "dap/transport.h"
#include "jsonrpc/framing.h"
#include "jsonrpc/stdio.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

#include <iostream>

namespace
{

constexpr int kWrongUsage = 64;

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvane-dap"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Debug adapter for Korvane programs: speaks the Debug Adapter Protocol "
                       "on standard input and output."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("stdio"),
                      QStringLiteral("Speak the protocol on standard input and output (the "
                                     "default, and the only channel).")});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "korvane-dap: " << parser.errorText().toStdString() << std::endl;
        return kWrongUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::cout << parser.helpText().toStdString() << std::flush;
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::cout << "korvane-dap " KORVANE_VERSION << std::endl;
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << "korvane-dap: takes no argument but --stdio: "
                  << parser.positionalArguments().join(QLatin1Char(' ')).toStdString() << std::endl;
        return kWrongUsage;
    }

    dap::Transport transport;
    bool outputFailed = false;
    dap::Adapter adapter([&](const QJsonObject &message) {
        // A client that goes away makes writes fail, which ends the adapter.
        if (!jsonrpc::writeToStandardOutput(
                jsonrpc::frame(QJsonDocument(message).toJson(QJsonDocument::Compact))))
            outputFailed = true;
    });
    const auto take = [&](const dap::Incoming &incoming) {
        if (incoming.problem.isEmpty())
            adapter.handle(incoming.body);
        else
            adapter.refuse(incoming.problem);
    };
    while (!adapter.finished() && !outputFailed) {
        if (adapter.running()) {
            // Whatever came in during the last stretch is answered first.
            while (std::optional<dap::Incoming> incoming = transport.next(false)) {
                take(*incoming);
                if (!adapter.running())
                    break;
            }
            adapter.runChunk();
        } else if (std::optional<dap::Incoming> incoming = transport.next(true)) {
            take(*incoming);
        }
        if (transport.inputEnded())
            break; // the client has gone
    }
    // The reader may still wait in read(): leave without waiting for it.
    std::cout.flush();
    std::_Exit(transport.inputBroken() ? 1 : 0);
}
