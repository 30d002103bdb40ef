#pragma once

// Serves an endpoint over standard input and output, without an event loop:
// the server answers each message before it reads the next.

#include "jsonrpc/endpoint.h"

#include <QByteArray>

#include <functional>

namespace jsonrpc
{

// Writes all the bytes to standard output; false when it cannot (the
// client has gone).
bool writeToStandardOutput(const QByteArray &bytes);

// Reads standard input into the endpoint until it ends, reading fails, the
// endpoint closes, or `finished` returns true after a read. Returns false
// when the input ended, failed or broke rather than `finished` saying so.
bool serveStandardInput(Endpoint &endpoint, const std::function<bool()> &finished);

// Says on standard error, after the application's name, why the input is
// no longer read.
void reportClosed(const QString &problem);

} // namespace jsonrpc
