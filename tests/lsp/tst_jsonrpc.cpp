// The JSON-RPC transport: Content-Length framing over bytes that arrive in
// any pieces, and the endpoint's answers to what is not a message.

#include "jsonrpc/endpoint.h"
#include "jsonrpc/framing.h"
#include "jsonrpc/message.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTest>

using jsonrpc::MessageReader;

namespace
{

// What the reader makes of the chunks, one entry per result:
// "message BODY", "bad-header PROBLEM", "too-large PROBLEM" or, last,
// "broken PROBLEM".
QStringList readAll(const QByteArrayList &chunks, qsizetype maxBody)
{
    MessageReader reader(maxBody);
    QStringList results;
    for (const QByteArray &chunk : chunks) {
        reader.append(chunk);
        for (;;) {
            QByteArray body;
            QString problem;
            const MessageReader::Result result = reader.next(body, problem);
            if (result == MessageReader::Result::Incomplete)
                break;
            if (result == MessageReader::Result::Broken)
                return results << QStringLiteral("broken ") + problem;
            if (result == MessageReader::Result::Message)
                results.append(QStringLiteral("message ") + QString::fromUtf8(body));
            else if (result == MessageReader::Result::BadHeader)
                results.append(QStringLiteral("bad-header ") + problem);
            else
                results.append(QStringLiteral("too-large ") + problem);
        }
    }
    return results;
}

QByteArrayList bytesOneByOne(const QByteArray &bytes)
{
    QByteArrayList pieces;
    for (const char c : bytes)
        pieces.append(QByteArray(1, c));
    return pieces;
}

} // namespace

class TestJsonRpc : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void frameIsRead();
    void readInAnyPieces();
    void endpoint_data();
    void endpoint();
    void endpointClosesOnABrokenStream();
    void serverSaysWhyAndCloses_data();
    void serverSaysWhyAndCloses();
};

void TestJsonRpc::framing_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<qsizetype>("maxBody");
    QTest::addColumn<QStringList>("expected");

    const QByteArray two = "Content-Length: 2\r\n\r\n{}Content-Length: 7\r\n\r\n[1,2,3]";
    QTest::newRow("two messages in one piece")
        << QByteArrayList{two} << qsizetype(100) << QStringList{"message {}", "message [1,2,3]"};
    QTest::newRow("the same a byte at a time")
        << bytesOneByOne(two) << qsizetype(100) << QStringList{"message {}", "message [1,2,3]"};
    QTest::newRow("header names in any case, other headers ignored")
        << QByteArrayList{"content-type: application/vscode-jsonrpc; charset=utf-8\r\n"
                          "CONTENT-LENGTH:4\r\n\r\n\"é\""}
        << qsizetype(100) << QStringList{"message \"é\""};
    QTest::newRow("a body split where a UTF-8 character is")
        << QByteArrayList{"Content-Length: 4\r\n\r\n\"\xc3", "\xa9\""} << qsizetype(100)
        << QStringList{"message \"é\""};
    QTest::newRow("no Content-Length, then a good message")
        << QByteArrayList{"Content-Type: x\r\n\r\nContent-Length: 2\r\n\r\n{}"} << qsizetype(100)
        << QStringList{"bad-header ignored a header without Content-Length", "message {}"};
    QTest::newRow("a length that is no number")
        << QByteArrayList{"Content-Length: -5\r\n\r\nContent-Length: 1e3\r\n\r\n"} << qsizetype(100)
        << QStringList{
               "bad-header ignored a header whose Content-Length is not a number of bytes: '-5'",
               "bad-header ignored a header whose Content-Length is not a number of bytes: '1e3'"};
    QTest::newRow("a length too long for any number")
        << QByteArrayList{"Content-Length: 99999999999999999999999\r\n\r\n"} << qsizetype(100)
        << QStringList{"bad-header ignored a header whose Content-Length is not a number of bytes: "
                       "'99999999999999999999999'"};
    QTest::newRow("an empty body")
        << QByteArrayList{"Content-Length: 0\r\n\r\n"} << qsizetype(100) << QStringList{"message "};
    QTest::newRow("two Content-Length lines that agree")
        << QByteArrayList{"Content-Length: 2\r\ncontent-length:2\r\n\r\n{}"} << qsizetype(100)
        << QStringList{"message {}"};
    // Where the next message starts is unknown: nothing after is read.
    QTest::newRow("two Content-Length lines that disagree break the stream")
        << QByteArrayList{"Content-Length: 2\r\n\r\n{}Content-Length: 2\r\nContent-Length: 3\r\n"
                          "\r\n{}Content-Length: 2\r\n\r\n{}"}
        << qsizetype(100)
        << QStringList{"message {}", "broken two Content-Length headers that disagree, 2 and 3"};
    QTest::newRow("a line without a colon breaks the stream")
        << QByteArrayList{"hello\r\n\r\n", "Content-Length: 2\r\n\r\n{}"} << qsizetype(100)
        << QStringList{"broken a header line without a colon: 'hello'"};
    QTest::newRow("a line without a colon beside a good length")
        << QByteArrayList{QByteArray(5000, 'h') + "\r\nContent-Length: 1\r\n\r\nQ"}
        << qsizetype(100)
        << QStringList{"broken a header line without a colon: '" + QString(80, QLatin1Char('h')) +
                       "'"};
    QTest::newRow("a header block under the limit waits for its end")
        << QByteArrayList{QByteArray(5000, 'h')} << qsizetype(100) << QStringList{};
    QTest::newRow("over the limit: skipped as it arrives, the next one read")
        << QByteArrayList{"Content-Length: 11\r\n\r\n01234", "56789",
                          "aContent-Length: 2\r\n\r\n{}"}
        << qsizetype(10)
        << QStringList{"too-large refused a message of 11 bytes, over the limit of 0 MiB",
                       "message {}"};
    QTest::newRow("exactly at the limit") << QByteArrayList{"Content-Length: 10\r\n\r\n0123456789"}
                                          << qsizetype(10) << QStringList{"message 0123456789"};
    // Dropped whole, up to its end, however it arrives.
    QTest::newRow("a header block over the limit, then a message")
        << QByteArrayList{QByteArray(MessageReader::kMaxHeader + 1, 'x'),
                          "\r\n\r\nContent-Length: 2\r\n\r\n{}"}
        << qsizetype(100)
        << QStringList{"bad-header ignored a header block of more than 8192 bytes", "message {}"};
    QTest::newRow("the same in one piece")
        << QByteArrayList{QByteArray(MessageReader::kMaxHeader + 1, 'x') +
                          "\r\n\r\nContent-Length: 2\r\n\r\n{}"}
        << qsizetype(100)
        << QStringList{"bad-header ignored a header block of more than 8192 bytes", "message {}"};
    const qsizetype limit = MessageReader::kDefaultMaxBody;
    QTest::newRow("over 16 MiB: skipped, the next one read")
        << QByteArrayList{"Content-Length: 16777217\r\n\r\n" + QByteArray(limit + 1, 'x') +
                          "Content-Length: 1\r\n\r\nY"}
        << limit
        << QStringList{"too-large refused a message of 16777217 bytes, over the limit of 16 MiB",
                       "message Y"};
    QTest::newRow("exactly 16 MiB is taken")
        << QByteArrayList{"Content-Length: 16777216\r\n\r\n" + QByteArray(limit, 'x')} << limit
        << QStringList{"message " + QString(limit, QLatin1Char('x'))};
    QTest::newRow("a message cut short waits")
        << QByteArrayList{"Content-Length: 5\r\n\r\n{}"} << qsizetype(100) << QStringList{};
}

void TestJsonRpc::framing()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(qsizetype, maxBody);
    QFETCH(QStringList, expected);
    QCOMPARE(readAll(chunks, maxBody), expected);
}

void TestJsonRpc::frameIsRead()
{
    const QByteArray body = QByteArray("{\"text\":\"") + QByteArray(70000, 'a') + "\"}";
    QCOMPARE(readAll({jsonrpc::frame(body)}, MessageReader::kDefaultMaxBody),
             QStringList{QStringLiteral("message ") + QString::fromUtf8(body)});
}

// The same stream cut anywhere gives the same results, up to a break.
void TestJsonRpc::readInAnyPieces()
{
    const QByteArray stream = jsonrpc::frame("{\"a\":1}") + "Bad: 1\r\n\r\n" + jsonrpc::frame("") +
                              QByteArray(MessageReader::kMaxHeader + 10, 'h') + "\r\n\r\n" +
                              jsonrpc::frame("{\"b\":[2,3]}") +
                              "Content-Length: 1\r\nno colon\r\n\r\n" + jsonrpc::frame("{}");
    const QStringList expected{"message {\"a\":1}",
                               "bad-header ignored a header without Content-Length",
                               "message ",
                               "bad-header ignored a header block of more than 8192 bytes",
                               "message {\"b\":[2,3]}",
                               "broken a header line without a colon: 'no colon'"};
    for (qsizetype piece = 1; piece <= stream.size(); piece += piece < 64 ? 1 : 97) {
        QByteArrayList chunks;
        for (qsizetype at = 0; at < stream.size(); at += piece)
            chunks.append(stream.mid(at, piece));
        QCOMPARE(readAll(chunks, 100), expected);
    }
}

void TestJsonRpc::endpoint_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("handed");   // the object the handler gets, or empty
    QTest::addColumn<QString>("answered"); // the endpoint's own answer, or empty

    QTest::newRow("an object goes to the handler")
        << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":\"x\"}")
        << QString("{\"jsonrpc\":\"2.0\",\"method\":\"x\"}") << QString();
    QTest::newRow("not JSON")
        << QByteArray("{\"a\":") << QString()
        << QString("{\"error\":{\"code\":-32700,\"message\":\"the message is not JSON: "
                   "unterminated object at byte 5\"},\"id\":null,\"jsonrpc\":\"2.0\"}");
    QTest::newRow("a batch") << QByteArray("[{}]") << QString()
                             << QString("{\"error\":{\"code\":-32600,\"message\":\"the message is "
                                        "not a JSON object\"},\"id\":null,\"jsonrpc\":\"2.0\"}");
    QTest::newRow("a number")
        << QByteArray("7") << QString()
        << QString("{\"error\":{\"code\":-32700,\"message\":\"the message is not JSON: illegal "
                   "value at byte 1\"},\"id\":null,\"jsonrpc\":\"2.0\"}");
}

void TestJsonRpc::endpoint()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, handed);
    QFETCH(QString, answered);

    QString gotHanded;
    QByteArray written;
    jsonrpc::Endpoint endpoint(
        [&](const QJsonObject &message) {
            gotHanded = QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
        },
        [&](const QByteArray &bytes) { written += bytes; });
    endpoint.receive(jsonrpc::frame(body));
    QCOMPARE(gotHanded, handed);
    const QStringList answers = readAll({written}, 1000);
    QCOMPARE(answers, answered.isEmpty() ? QStringList{}
                                         : QStringList{QStringLiteral("message ") + answered});
}

void TestJsonRpc::endpointClosesOnABrokenStream()
{
    int handled = 0;
    QByteArray written;
    jsonrpc::Endpoint endpoint([&](const QJsonObject &) { ++handled; },
                               [&](const QByteArray &bytes) { written += bytes; });
    endpoint.receive(jsonrpc::frame("{}") + "Content-Length: 2\r\nContent-Length: 20\r\n\r\n{}");
    endpoint.receive(jsonrpc::frame("{}"));
    QCOMPARE(handled, 1);
    QCOMPARE(written, QByteArray());
    QCOMPARE(endpoint.closedBecause(),
             QStringLiteral("two Content-Length headers that disagree, 2 and 20"));
}

// Both servers read through this framing: a broken stream is said on
// standard error and ends the server, with the input still open.
void TestJsonRpc::serverSaysWhyAndCloses_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("said");

    const QString disagree = QStringLiteral(
        ": two Content-Length headers that disagree, 2 and 3: the next message cannot be found, "
        "the connection is closed\n");
    const QByteArray lengths = "Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}";
    QTest::newRow("korvane-lsp") << QStringLiteral(KORVANE_LSP_PATH) << lengths
                                 << QStringLiteral("korvane-lsp") + disagree;
    QTest::newRow("korvane-dap") << QStringLiteral(KORVANE_DAP_PATH) << lengths
                                 << QStringLiteral("korvane-dap") + disagree;
    QTest::newRow("korvane-dap, no colon")
        << QStringLiteral(KORVANE_DAP_PATH) << QByteArray("Content-Length 2\r\n\r\n{}")
        << QStringLiteral("korvane-dap: a header line without a colon: 'Content-Length 2': the "
                          "next message cannot be found, the connection is closed\n");
}

void TestJsonRpc::serverSaysWhyAndCloses()
{
    QFETCH(QString, server);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    QProcess process;
    process.start(server, {QStringLiteral("--stdio")});
    QVERIFY(process.waitForStarted());
    process.write(bytes);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), said);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestJsonRpc)
#include "tst_jsonrpc.moc"
