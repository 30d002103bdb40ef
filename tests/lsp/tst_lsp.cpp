// The language server without a stream: documents edited in UTF-16
// positions, the protocol's life cycle, and what is answered to requests that
// cannot be served. The features themselves are checked through real
// clients (client/check_lsp.mjs, nvim_check.lua).

#include "jsonrpc/framing.h"
#include "lsp/diagnosticadapter.h"
#include "lsp/document.h"
#include "lsp/server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace
{

QJsonObject change(qint32 l1, qint32 c1, qint32 l2, qint32 c2, const QString &text)
{
    return QJsonObject{{"range", lsp::rangeJson({l1, c1}, {l2, c2})}, {"text", text}};
}

// A server whose messages are kept as compact JSON texts.
struct Session {
    QStringList sent;
    lsp::LanguageServer server{[this](const QJsonObject &message) {
        sent.append(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    }};

    void request(int id, const QString &method, const QJsonObject &params = {})
    {
        server.handle(
            QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    }
    void notify(const QString &method, const QJsonObject &params = {})
    {
        server.handle(QJsonObject{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
    QString last() const { return sent.value(sent.size() - 1); }
    void open(const QString &text)
    {
        notify(
            "textDocument/didOpen",
            {{"textDocument", QJsonObject{{"uri", "file:///p"}, {"version", 1}, {"text", text}}}});
    }
};

QJsonArray published(const QString &message)
{
    return QJsonDocument::fromJson(message.toUtf8())
        .object()["params"]
        .toObject()["diagnostics"]
        .toArray();
}

} // namespace

class TestLsp : public QObject
{
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
    void refusedEditLeavesTheText();
    void linesAsTheProtocolCounts();
    void lifeCycle_data();
    void lifeCycle();
    void exitStatus();
    void documentSizeLimit_data();
    void documentSizeLimit();
    void changeThatFitsNowhere();
    void columnsInUtf16();
    void quickFixOnlyWhereAsked();
    void clientGone_data();
    void clientGone();
};

void TestLsp::edits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QJsonObject>("change");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a word replaced") << "INP\nLOAD x\n"
                                     << change(1, 0, 1, 4, "LDA") << "INP\nLDA x\n";
    QTest::newRow("after a character of two UTF-16 units")
        << QString::fromUtf8("\xf0\x9f\x98\x80x DAT\n") << change(0, 2, 0, 3, "y")
        << QString::fromUtf8("\xf0\x9f\x98\x80y DAT\n");
    QTest::newRow("across lines") << "a\nb\nc" << change(0, 1, 2, 0, "-") << "a-c";
    QTest::newRow("a character past the line's end is its end")
        << "ab\ncd" << change(0, 99, 0, 99, "!") << "ab!\ncd";
    QTest::newRow("a line past the last is the end")
        << "ab\ncd" << change(7, 0, 9, 0, "\nHLT") << "ab\ncd\nHLT";
    QTest::newRow("the whole text, without a range")
        << "old" << QJsonObject{{"text", "new"}} << "new";
    QTest::newRow("CR LF line ends stay") << "INP\r\nOUT\r\n"
                                          << change(1, 0, 1, 3, "HLT") << "INP\r\nHLT\r\n";
    QTest::newRow("past a line's end is before its CR LF")
        << "ab\r\ncd" << change(0, 9, 0, 99, "!") << "ab!\r\ncd";
    QTest::newRow("a carriage return alone ends a line")
        << "INP\rOUT\rx" << change(1, 0, 1, 9, "HLT") << "INP\rHLT\rx";
    QTest::newRow("a whole line end replaced") << "a\r\nb" << change(0, 1, 1, 0, "\n") << "a\nb";
}

void TestLsp::edits()
{
    QFETCH(QString, text);
    QFETCH(QJsonObject, change);
    QFETCH(QString, expected);
    lsp::Document document(text, 1);
    QString problem;
    QVERIFY(document.apply(change, problem));
    QCOMPARE(document.text(), expected);
}

void TestLsp::refusedEditLeavesTheText()
{
    lsp::Document document(QStringLiteral("INP\n"), 1);
    QString problem;
    QVERIFY(!document.apply(change(1, 0, 0, 0, "x"), problem));
    QCOMPARE(problem, QStringLiteral("a change whose range ends before it starts"));
    QVERIFY(!document.apply(QJsonObject{{"range", lsp::rangeJson({0, 0}, {0, 0})}}, problem));
    QCOMPARE(problem, QStringLiteral("a change without its text"));
    QJsonObject negative = change(0, 0, 0, 0, "x");
    negative["range"] = QJsonObject{{"start", QJsonObject{{"line", -1}, {"character", 0}}},
                                    {"end", QJsonObject{{"line", 0}, {"character", 0}}}};
    QVERIFY(!document.apply(negative, problem));
    QCOMPARE(problem, QStringLiteral("a change whose range is not a pair of positions"));
    QCOMPARE(document.text(), QStringLiteral("INP\n"));
}

// Random texts of letters, wide characters, blanks and every kind of line
// end: the document's lines are those the protocol counts, every position in
// them goes to an offset and back, and the checked text is korvane-run's
// reading, each of its characters mapped to the same one in the document.
void TestLsp::linesAsTheProtocolCounts()
{
    const QStringList pieces{"a",
                             QString::fromUtf8("\xc3\xa9"),
                             QString::fromUtf8("\xf0\x9f\x98\x80"),
                             " ",
                             "\r",
                             "\n",
                             "\r\n"};
    QRandomGenerator random(20261208);
    for (int round = 0; round < 500; ++round) {
        QString text;
        for (int i = random.bounded(12); i > 0; --i)
            text += pieces[random.bounded(pieces.size())];
        const lsp::Document document(text, 1);
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        QCOMPARE(document.lineCount(), lines.size());
        for (qint32 line = 0; line < lines.size(); ++line) {
            QCOMPARE(document.lineLength(line), lines[line].size());
            for (qint32 character = 0; character <= lines[line].size(); ++character) {
                const qsizetype offset = document.offsetOf({line, character});
                QCOMPARE(text.mid(offset - character, character), lines[line].left(character));
                const lsp::Position back = document.positionOf(offset);
                QCOMPARE(back.line, line);
                QCOMPARE(back.character, character);
            }
        }
        const lsp::CheckedText &checked = document.checked();
        QCOMPARE(checked.text(),
                 QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        for (qsizetype at = 0; at < checked.text().size(); ++at) {
            const qsizetype mapped = checked.documentOffset(at);
            const bool droppedReturn = checked.text()[at] == QLatin1Char('\n') &&
                                       text.mid(mapped, 2) == QLatin1String("\r\n");
            QVERIFY2(droppedReturn || text[mapped] == checked.text()[at],
                     qPrintable(text.toUtf8().toPercentEncoding()));
        }
        QCOMPARE(checked.documentOffset(checked.text().size()), text.size());
    }
}

void TestLsp::lifeCycle_data()
{
    QTest::addColumn<bool>("initialize");
    QTest::addColumn<bool>("shutdown");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("expected");

    QTest::newRow("before initialize")
        << false << false << "textDocument/hover"
        << "{\"error\":{\"code\":-32002,\"message\":\"the server is not initialized: send "
           "initialize first\"},\"id\":7,\"jsonrpc\":\"2.0\"}";
    QTest::newRow("initialize twice") << true << false << "initialize"
                                      << "{\"error\":{\"code\":-32600,\"message\":\"initialize was "
                                         "sent twice\"},\"id\":7,\"jsonrpc\":\"2.0\"}";
    QTest::newRow("an unknown method")
        << true << false << "workspace/symbol"
        << "{\"error\":{\"code\":-32601,\"message\":\"unknown method "
           "'workspace/symbol'\"},\"id\":7,\"jsonrpc\":\"2.0\"}";
    QTest::newRow("a document that is not open")
        << true << false << "textDocument/definition"
        << "{\"error\":{\"code\":-32602,\"message\":\"the document '' is not "
           "open\"},\"id\":7,\"jsonrpc\":\"2.0\"}";
    QTest::newRow("after shutdown")
        << true << true << "textDocument/hover"
        << "{\"error\":{\"code\":-32600,\"message\":\"the server has shut down: only exit is "
           "left\"},\"id\":7,\"jsonrpc\":\"2.0\"}";
}

void TestLsp::lifeCycle()
{
    QFETCH(bool, initialize);
    QFETCH(bool, shutdown);
    QFETCH(QString, method);
    QFETCH(QString, expected);
    Session session;
    if (initialize)
        session.request(1, "initialize");
    if (shutdown)
        session.request(2, "shutdown");
    session.request(7, method);
    QCOMPARE(session.last(), expected);
}

void TestLsp::exitStatus()
{
    Session clean;
    clean.request(1, "initialize");
    clean.request(2, "shutdown");
    QVERIFY(!clean.server.exitRequested());
    clean.notify("exit");
    QVERIFY(clean.server.exitRequested());
    QCOMPARE(clean.server.exitCode(), 0);

    Session abrupt;
    abrupt.notify("exit");
    QVERIFY(abrupt.server.exitRequested());
    QCOMPARE(abrupt.server.exitCode(), 1);
}

void TestLsp::documentSizeLimit_data()
{
    QTest::addColumn<qsizetype>("bytes");
    QTest::addColumn<QString>("firstCode");
    QTest::addColumn<qsizetype>("count");
    // Lines of "x DAT 1": more than memory holds, so checked in full, an
    // error at the 101st line; one byte more and the document is not checked.
    QTest::newRow("exactly 1 MiB is checked")
        << qsizetype(lsp::kMaxDocumentBytes) << "program-too-long" << qsizetype(1);
    QTest::newRow("one byte more is not")
        << qsizetype(lsp::kMaxDocumentBytes + 1) << "program-too-large" << qsizetype(1);
}

void TestLsp::documentSizeLimit()
{
    QFETCH(qsizetype, bytes);
    QFETCH(QString, firstCode);
    QFETCH(qsizetype, count);
    QString text = QStringLiteral("x DAT 1\n").repeated(bytes / 8);
    text += QString(bytes - text.size(), QLatin1Char('\n'));
    QCOMPARE(text.toUtf8().size(), bytes);
    Session session;
    session.request(1, "initialize");
    session.open(text);
    const QJsonArray diagnostics = published(session.last());
    QCOMPARE(diagnostics.size(), count);
    QCOMPARE(diagnostics[0].toObject()["code"].toString(), firstCode);
}

void TestLsp::changeThatFitsNowhere()
{
    Session session;
    session.request(1, "initialize");
    session.open(QStringLiteral("INP\nHLT\n"));
    session.notify(
        "textDocument/didChange",
        {{"textDocument", QJsonObject{{"uri", "file:///p"}, {"version", 2}}},
         {"contentChanges", QJsonArray{change(0, 0, 0, 3, "OUT"), change(1, 2, 0, 0, "x"),
                                       change(1, 0, 1, 3, "LDA")}}});
    QCOMPARE(session.sent.size(), 4);
    QCOMPARE(session.sent[2],
             QStringLiteral("{\"jsonrpc\":\"2.0\",\"method\":\"window/logMessage\",\"params\":{"
                            "\"message\":\"korvane-lsp: a change to file:///p was not applied (a "
                            "change whose range ends before it starts); its diagnostics are out "
                            "of date until it is opened again\",\"type\":1}}"));
    // The first change is kept, the ones from the refused one on are not.
    QCOMPARE(session.server.document("file:///p")->text(), QStringLiteral("OUT\nHLT\n"));
}

void TestLsp::columnsInUtf16()
{
    // 'ü' is two bytes and one unit, the emoji four bytes and two units.
    Session session;
    session.request(1, "initialize");
    session.open(QString::fromUtf8("\xc3\xbc\xf0\x9f\x98\x80 LDA nowhere\nHLT\n"));
    const QJsonObject range = published(session.last())[0].toObject()["range"].toObject();
    QCOMPARE(QString::fromUtf8(QJsonDocument(range).toJson(QJsonDocument::Compact)),
             QStringLiteral(
                 "{\"end\":{\"character\":15,\"line\":0},\"start\":{\"character\":8,\"line\":0}}"));
}

void TestLsp::quickFixOnlyWhereAsked()
{
    Session session;
    session.request(1, "initialize");
    session.open(QStringLiteral("INP\nOUPT\nHLT\n"));
    const auto actions = [&](qint32 line, const QJsonArray &only) {
        session.request(9, "textDocument/codeAction",
                        {{"textDocument", QJsonObject{{"uri", "file:///p"}}},
                         {"range", lsp::rangeJson({line, 0}, {line, 0})},
                         {"context", QJsonObject{{"diagnostics", QJsonArray()}, {"only", only}}}});
        return QJsonDocument::fromJson(session.last().toUtf8()).object()["result"].toArray();
    };
    QCOMPARE(actions(0, {}).size(), 0);
    QCOMPARE(actions(1, {"refactor"}).size(), 0);
    const QJsonArray fixes = actions(1, {"quickfix"});
    QCOMPARE(fixes.size(), 1);
    QCOMPARE(
        QString::fromUtf8(
            QJsonDocument(fixes[0].toObject()["edit"].toObject()).toJson(QJsonDocument::Compact)),
        QStringLiteral("{\"changes\":{\"file:///"
                       "p\":[{\"newText\":\"OUT\",\"range\":{\"end\":{\"character\":4,\"line\":1},"
                       "\"start\":{\"character\":0,\"line\":1}}}]}}"));
}

void TestLsp::clientGone_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("status");
    const QByteArray initialize =
        jsonrpc::frame("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\"}");
    const QByteArray shutdown =
        jsonrpc::frame("{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"shutdown\"}");
    const QByteArray exit = jsonrpc::frame("{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}");
    QTest::newRow("nothing sent") << QByteArray() << 1;
    QTest::newRow("gone after initialize") << initialize << 1;
    QTest::newRow("gone half-way through a message") << initialize + shutdown.left(30) << 1;
    QTest::newRow("exit without shutdown") << initialize + exit << 1;
    QTest::newRow("shutdown, then exit") << initialize + shutdown + exit << 0;
}

// The real executable: it ends when its input does, at once.
void TestLsp::clientGone()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, status);
    QProcess server;
    server.start(QStringLiteral(KORVANE_LSP_PATH), {QStringLiteral("--stdio")});
    QVERIFY(server.waitForStarted());
    server.write(sent);
    server.closeWriteChannel();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), status);
}

QTEST_GUILESS_MAIN(TestLsp)
#include "tst_lsp.moc"
