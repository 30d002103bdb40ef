// The JSON-RPC transport: Content-Length framing over bytes that arrive in
// any pieces, and the endpoint's answers to what is not a message.

#include "jsonrpc/endpoint.h"
#include "jsonrpc/framing.h"
#include "jsonrpc/message.h"

#include <QJsonDocument>
#include <QTest>

using jsonrpc::MessageReader;

namespace
{

// What the reader makes of the chunks, one entry per result:
// "message BODY", "bad-header PROBLEM" or "too-large PROBLEM".
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
    void endpoint_data();
    void endpoint();
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
        << QStringList{"bad-header a header without Content-Length", "message {}"};
    QTest::newRow("a length that is no number")
        << QByteArrayList{"Content-Length: -5\r\n\r\nContent-Length: 1e3\r\n\r\n"} << qsizetype(100)
        << QStringList{"bad-header Content-Length '-5' is not a number of bytes",
                       "bad-header Content-Length '1e3' is not a number of bytes"};
    QTest::newRow("a length too long for any number")
        << QByteArrayList{"Content-Length: 99999999999999999999999\r\n\r\n"} << qsizetype(100)
        << QStringList{
               "bad-header Content-Length '99999999999999999999999' is not a number of bytes"};
    QTest::newRow("a line without a colon")
        << QByteArrayList{"hello\r\n\r\n"} << qsizetype(100)
        << QStringList{"bad-header malformed header line 'hello'"};
    QTest::newRow("over the limit: skipped as it arrives, the next one read")
        << QByteArrayList{"Content-Length: 11\r\n\r\n01234", "56789",
                          "aContent-Length: 2\r\n\r\n{}"}
        << qsizetype(10)
        << QStringList{"too-large a message of 11 bytes, over the limit of 0 MiB", "message {}"};
    QTest::newRow("exactly at the limit") << QByteArrayList{"Content-Length: 10\r\n\r\n0123456789"}
                                          << qsizetype(10) << QStringList{"message 0123456789"};
    QTest::newRow("a header that never ends, then a message")
        << QByteArrayList{QByteArray(MessageReader::kMaxHeader + 1, 'x'),
                          "\r\n\r\nContent-Length: 2\r\n\r\n{}"}
        << qsizetype(100)
        << QStringList{"bad-header a header block of more than 8192 bytes",
                       "bad-header malformed header line 'xxx'", "message {}"};
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

QTEST_GUILESS_MAIN(TestJsonRpc)
#include "tst_jsonrpc.moc"
